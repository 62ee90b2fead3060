#include "controls/FloatSpinFormat.h"

#include "gfx/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

double CheckFloatValue(double value, double minValue, double maxValue)
{
    if (minValue == maxValue) return value;
    if (value < minValue) return minValue;
    if (value > maxValue) return maxValue;
    return value;
}

namespace {

int Clamped(int v, int lo, int hi) { return std::clamp(v, lo, hi); }

std::string ExponentText(int exponent, bool forceSign, int minDigits)
{
    const std::string digits = std::to_string(std::abs(exponent));
    std::string out = "E";
    if (exponent < 0 || forceSign) out += exponent < 0 ? '-' : '+';
    for (int i = static_cast<int>(digits.size()); i < minDigits; ++i) out += '0';
    return out + digits;
}

// Mantissa text ("-1.2340") and decimal exponent with `precision` significant
// digits, correctly rounded.
std::string Scientific(double value, int precision, int& exponent)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision - 1);
    const std::string text(buf, res.ptr);
    const size_t e = text.find('e');
    exponent = std::atoi(text.c_str() + e + 1);
    return text.substr(0, e);
}

std::string ExponentForm(double value, int precision, int digits)
{
    int exponent = 0;
    const std::string mantissa = Scientific(value, precision, exponent);
    return mantissa + ExponentText(exponent, true, digits);
}

// The general helper writes its exponent with as few digits as it can; this
// form asks for at least `digits` of them.
std::string GeneralForm(double value, int precision, int digits)
{
    std::string text = FormatGeneral(value, precision);
    const size_t e = text.find('E');
    if (e == std::string::npos) return text;
    const int exponent = std::atoi(text.c_str() + e + 1);
    return text.substr(0, e) + ExponentText(exponent, false, digits);
}

int IntegerDigits(double value, int precision)
{
    if (value == 0) return 1;
    int exponent = 0;
    Scientific(value, precision, exponent);
    return exponent + 1;
}

std::string Grouped(const std::string& fixed)
{
    const size_t begin = fixed[0] == '-' ? 1 : 0;
    size_t end = fixed.find('.');
    if (end == std::string::npos) end = fixed.size();
    std::string out = fixed.substr(0, begin);
    for (size_t i = begin; i < end; ++i) {
        if (i > begin && (end - i) % 3 == 0) out += ',';
        out += fixed[i];
    }
    return out + fixed.substr(end);
}

} // namespace

std::string FormatFloatText(double value, TFloatFormat format, int precision, int digits)
{
    if (!std::isfinite(value)) return {};
    precision = Clamped(precision, 1, 17);
    if (format == TFloatFormat::ffGeneral) return GeneralForm(value, precision, Clamped(digits, 0, 4));
    if (format == TFloatFormat::ffExponent || IntegerDigits(value, precision) > precision)
        return ExponentForm(value, precision, Clamped(digits, 0, 4));
    const std::string fixed = FormatFixed(value, Clamped(digits, 0, 18));
    return format == TFloatFormat::ffFixed ? fixed : Grouped(fixed);
}

std::optional<double> ParseFloatText(const std::string& text, TFloatFormat format)
{
    if (format != TFloatFormat::ffNumber && format != TFloatFormat::ffCurrency) return ParseNumber(text);
    std::string plain = text;
    plain.erase(std::remove(plain.begin(), plain.end(), ','), plain.end());
    return ParseNumber(plain);
}

std::optional<double> StepFloatValue(double value, double increment, bool multiply, bool up)
{
    if (!up && increment == 0) return std::nullopt;
    double result = 0;
    if (multiply)
        result = up ? value * increment : value / increment;
    else
        result = up ? value + increment : value - increment;
    if (!std::isfinite(result)) return std::nullopt;
    return result;
}

bool IsFloatEditChar(char32_t key, bool editorEnabled)
{
    if (!editorEnabled && (key >= 32 || key == 8)) return false;
    if (key < 32) return key != 13;
    return (key >= '0' && key <= '9') || key == '+' || key == '-' || key == 'e' || key == 'E' || key == '.';
}
