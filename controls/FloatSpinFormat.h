// The floating-point spin edit's arithmetic, apart from any widget: limits,
// steps, the number formats of its text, reading the text back, and which
// typed characters it takes.
#pragma once

#include <optional>
#include <string>

// The form of the text: general (shortest), exponent, fixed, fixed with
// thousands separators, and currency (here the same as number: the program
// shows no locale's currency symbol).
enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// The limits hold only while they differ; the lower test comes first, so
// with crossed limits a value below both ends at the lower one.
double CheckFloatValue(double value, double minValue, double maxValue);

// `precision` significant digits; `digits` is the number of decimals (fixed
// forms) or the least number of exponent digits (general and exponent forms).
// Always "." for the point and "," between thousands. Non-finite values give "".
std::string FormatFloatText(double value, TFloatFormat format, int precision, int digits);

// The text as a number, or nothing when it is not a finite number. The
// thousands separators of the forms that write them are read over.
std::optional<double> ParseFloatText(const std::string& text, TFloatFormat format);

// One step up (times or plus `increment`) or down (divided by or minus it).
// Nothing when there is no step to take: down by an increment of 0, or a
// result that would not be a finite number.
std::optional<double> StepFloatValue(double value, double increment, bool multiply, bool up);

// Digits, signs, exponent letters, the point and control characters other
// than Enter; with the editor disabled, no printable character and no
// Backspace.
bool IsFloatEditChar(char32_t key, bool editorEnabled);
