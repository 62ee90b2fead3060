#include "gfx/NumberText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

std::string Trimmed(const std::string& text)
{
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    return text.substr(b, e - b);
}

// from_chars takes a leading '-' but not a '+'; one '+' is dropped here, and
// only when no second sign follows it ("+-2" is not a number).
std::string WithoutPlus(std::string t)
{
    if (t.size() > 1 && t[0] == '+' && t[1] != '-' && t[1] != '+') t.erase(0, 1);
    return t;
}

} // namespace

std::string FormatGeneral(double value, int digits)
{
    if (!std::isfinite(value)) return {};
    if (digits < 1) digits = 1;
    if (digits > 17) digits = 17;
    if (value == 0) return "0";

    // Significant digits and decimal exponent, correctly rounded.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
    std::string sci(buf, res.ptr);
    const size_t ePos = sci.find('e');
    const int exponent = std::atoi(sci.c_str() + ePos + 1);
    std::string mantissa = sci.substr(0, ePos);
    const bool negative = mantissa[0] == '-';
    if (negative) mantissa.erase(0, 1);
    std::string digitsOnly;
    for (char c : mantissa)
        if (c != '.') digitsOnly += c;
    while (digitsOnly.size() > 1 && digitsOnly.back() == '0') digitsOnly.pop_back();

    std::string out;
    if (exponent >= digits || exponent < -5) {
        out = digitsOnly.substr(0, 1);
        if (digitsOnly.size() > 1) {
            out += '.';
            out.append(digitsOnly, 1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out = "0.";
        out.append(static_cast<size_t>(-exponent - 1), '0');
        out += digitsOnly;
    } else {
        const size_t intLen = static_cast<size_t>(exponent) + 1;
        if (digitsOnly.size() <= intLen) {
            out = digitsOnly;
            out.append(intLen - digitsOnly.size(), '0');
        } else {
            out = digitsOnly.substr(0, intLen);
            out += '.';
            out.append(digitsOnly, intLen);
        }
    }
    if (negative) out.insert(out.begin(), '-');
    return out;
}

std::string FormatFixed(double value, int decimals)
{
    if (!std::isfinite(value)) return {};
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (res.ec != std::errc()) return {};
    std::string s(buf, res.ptr);
    // "-0.0000" reads as a sign where there is no number.
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

std::optional<double> ParseNumber(const std::string& text)
{
    const std::string t = WithoutPlus(Trimmed(text));
    if (t.empty()) return std::nullopt;
    for (char c : t) {
        // Only digits, sign, point and exponent: no "inf", "nan" or hex.
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E'))
            return std::nullopt;
    }
    double v = 0;
    auto res = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<int> ParseInteger(const std::string& text)
{
    const std::string t = WithoutPlus(Trimmed(text));
    int v = 0;
    auto res = std::from_chars(t.data(), t.data() + t.size(), v, 10);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return std::nullopt;
    return v;
}
