// The numeric gauge bar's arithmetic, apart from any widget: the table that
// maps gauge positions to values, the text a value is shown as, and the key
// filter of its edit box. Tests reach all of it without a display.
#pragma once

#include <string>
#include <vector>

// Values of the positions 0..n-1 of a gauge, spread evenly between the
// bounds on a linear scale, or on a logarithmic one (equal steps multiply the
// value by a constant factor). A logarithmic scale needs two positive bounds;
// otherwise the scale is linear.
class TGaugeScale {
public:
    TGaugeScale() = default;
    TGaugeScale(int positions, float minValue, float maxValue, bool logScale);

    int Count() const { return static_cast<int>(Table.size()); }
    bool IsLog() const { return Log; }
    // The value of a position; positions past the end read the last entry.
    double ValueAt(int position) const;
    // The position whose value lies nearest to `value`; the lowest one among
    // equally near positions.
    int NearestPosition(double value) const;

private:
    // Linear: the values themselves; logarithmic: their natural logarithms.
    std::vector<float> Table;
    bool Log = false;
};

// Lower bound first, then upper bound: when the bounds cross, the upper wins.
double ClampGaugeValue(double value, float minValue, float maxValue);

// The edit box's text for a value: the nearest integer with `intValue`, else
// one decimal below 10 and none from 10 up, at most four significant digits.
std::string FormatGaugeValue(double value, bool intValue);

// The edit box's key filter: returns the character to process, Tab for
// Enter, or 0 for a character that is swallowed. Digits, minus, point,
// Backspace, Tab and Enter pass.
char FilterGaugeKey(char key);
