// Locale-free number text: "." is always the decimal point, whatever the
// user's locale. Every number the program shows, reads or writes goes here.
#pragma once

#include <optional>
#include <string>

// General format with at most `digits` significant digits, no trailing zeros,
// plain notation unless the rounded value's exponent reaches the digits or
// lies below -5 ("1.5", "0.00001", "12", "1E15", "1E-6"). Non-finite values give "".
std::string FormatGeneral(double value, int digits);

// Fixed notation with exactly `decimals` digits after the point ("0.5000").
std::string FormatFixed(double value, int decimals);

// Parses a whole string as a finite decimal number (leading and trailing
// blanks allowed). "inf", "nan", empty text and trailing junk give nothing.
std::optional<double> ParseNumber(const std::string& text);

// Parses a whole string as a signed 32-bit integer.
std::optional<int> ParseInteger(const std::string& text);
