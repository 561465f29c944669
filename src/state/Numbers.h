// The number rules of the whole program, written once: rounding to a 16-bit integer (half to
// even), Int (floor), and the two number-to-text forms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vesta {

// The program's own value of pi, which every angle text is computed with.
inline constexpr double kPi = 3.14159265358979;

// Nearest whole number, a tie going to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double value);

// The conversion to a 16-bit integer: round half to even, then saturate at the type's limits
// (saturating keeps a huge value huge instead of wrapping it round to a wrong sign).
std::int16_t toInteger16(double value);

// Int: the largest whole number not above the value (-0.5 -> -1).
double floorInt(double value);

// The Str form: a leading blank before a number that is not negative, a point as decimal
// separator, at most 15 significant digits ("Str(640)" is " 640", "Str(-2.5)" is "-2.5").
std::string strForm(double value);

// The plain form in the user's number format: no leading blank, at most 15 significant digits,
// the given decimal separator.
std::string plainForm(double value, char decimalSeparator);

// The form a program reads back to the very same double: 17 significant digits, a point, an
// exponent as "e+16" or "e-05" beyond 17 digits or below 1e-4, trailing zeros dropped
// ("0.10000000000000001", "1e+20"). The same in every locale.
std::string exactForm(double value);

// A figure for the panel to a given number of decimals (0 to 6), in the user's number format:
// "207,30" for 207.3 to 2. Zero carries no sign; a value that is not finite reads "?".
std::string fixedForm(double value, int decimals, char decimalSeparator);
// The same with trailing zeros after the separator dropped: "2668,6", "5990", "-45".
std::string roundedForm(double value, int decimals, char decimalSeparator);
// The decimals a reference is given to: those of its shortest exact form, at most 3
// (1200 -> 0, 12.5 -> 1, 207.25 -> 2).
int decimalsOf(double reference);

// A number typed by the user, with a comma or a point as decimal separator and blanks ignored,
// read the same in every locale; nothing when the text is empty or not a finite number.
std::optional<double> typedNumber(const std::string& text);
// A length typed by the user, read as above; nothing unless it is a number above zero and not
// ambiguous.
std::optional<double> typedLength(const std::string& text);

// A point followed by exactly three digits and no comma, as in "1.200": an Italian reader
// means twelve hundred by it (the point groups thousands), the reading above gives 1.2. Such
// a number is refused rather than taken a thousand times off. A leading zero ("0.125") groups
// no thousands and is not ambiguous.
bool ambiguousPoint(const std::string& text);
// The Italian message that refuses such a number and shows how to type either reading.
std::string ambiguousPointMessage(const std::string& text);

}  // namespace vesta
