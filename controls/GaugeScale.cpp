#include "controls/GaugeScale.h"

#include "gfx/NumberText.h"
#include "gfx/Rounding.h"

#include <cmath>
#include <limits>

TGaugeScale::TGaugeScale(int positions, float minValue, float maxValue, bool logScale)
    : Log(logScale && minValue > 0 && maxValue > 0)
{
    const int n = positions < 2 ? 2 : positions;
    Table.resize(static_cast<size_t>(n));
    const float step = Single(1.0 / (n - 1));
    const float a = Log ? Single(std::log(double(minValue))) : minValue;
    const float b = Log ? Single(std::log(double(maxValue))) : maxValue;
    // t is kept in single precision as it walks, so the last entry may miss b
    // by a rounding error; a drag to the end shows exactly that entry.
    float t = 0;
    for (float& entry : Table) {
        entry = Single((1.0 - t) * a + double(t) * b);
        t = Single(double(t) + step);
    }
}

double TGaugeScale::ValueAt(int position) const
{
    if (Table.empty()) return 0;
    const int last = Count() - 1;
    const double entry = Table[static_cast<size_t>(position < 0 ? 0 : position > last ? last : position)];
    return Log ? std::exp(entry) : entry;
}

int TGaugeScale::NearestPosition(double value) const
{
    // No cap on the first difference: a value far beyond every position
    // (more than 2^31 away) still goes to the nearest end, not to position 0.
    int best = 0;
    double bestDiff = std::numeric_limits<double>::infinity();
    for (int i = 0; i < Count(); ++i) {
        const double diff = std::fabs(ValueAt(i) - value);
        if (diff < bestDiff) {
            bestDiff = diff;
            best = i;
        }
    }
    return best;
}

double ClampGaugeValue(double value, float minValue, float maxValue)
{
    if (value < minValue) value = minValue;
    if (value > maxValue) value = maxValue;
    return value;
}

namespace {

// Four significant digits would turn 10000 and more into an exponent form
// that the box cannot take back as typed; such values are written in full.
std::string FourDigits(double rounded)
{
    if (std::fabs(rounded) >= 9999.5) return FormatFixed(std::nearbyint(rounded), 0);
    return FormatGeneral(rounded, 4);
}

} // namespace

std::string FormatGaugeValue(double value, bool intValue)
{
    if (!std::isfinite(value)) return {};
    if (intValue) return FormatFixed(std::nearbyint(value), 0);
    if (value < 10) return FourDigits(std::nearbyint(value * 10) / 10);
    return FourDigits(std::nearbyint(value));
}

char FilterGaugeKey(char key)
{
    const bool accepted = (key >= '0' && key <= '9') || key == '-' || key == '.' || key == '\b' ||
                          key == '\t' || key == '\r';
    if (!accepted) return 0;
    return key == '\r' ? '\t' : key;
}
