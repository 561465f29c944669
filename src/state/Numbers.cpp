#include "state/Numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace vesta {

double roundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    double lower = std::floor(value);
    double diff = value - lower;
    if (diff < 0.5) {
        return lower;
    }
    if (diff > 0.5) {
        return lower + 1.0;
    }
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::int16_t toInteger16(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    double r = roundHalfEven(value);
    if (r >= std::numeric_limits<std::int16_t>::max()) {
        return std::numeric_limits<std::int16_t>::max();
    }
    if (r <= std::numeric_limits<std::int16_t>::min()) {
        return std::numeric_limits<std::int16_t>::min();
    }
    return static_cast<std::int16_t>(r);
}

double floorInt(double value) {
    return std::floor(value);
}

namespace {

// Up to 15 significant digits, trailing zeros dropped, exponent written as E+nn like the
// classic conversion ("1E+16", "1.5E-05"). to_chars never looks at the process locale, which
// the window takes from the user's environment.
std::string fifteenDigits(double value, char decimalSeparator) {
    if (value == 0.0) {
        return "0";  // also for -0: no sign on zero
    }
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, written.ptr);
    for (char& c : text) {
        c = c == '.' ? decimalSeparator : char(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

}  // namespace

std::string strForm(double value) {
    std::string text = fifteenDigits(value, '.');
    return (value >= 0.0 || std::isnan(value)) && text[0] != '-' ? " " + text : text;
}

std::string plainForm(double value, char decimalSeparator) {
    return fifteenDigits(value, decimalSeparator);
}

std::string exactForm(double value) {
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, written.ptr);
}

std::string fixedForm(double value, int decimals, char decimalSeparator) {
    if (!std::isfinite(value)) {
        return "?";
    }
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                         std::chars_format::fixed, std::clamp(decimals, 0, 6));
    std::string text = ec == std::errc() ? std::string(buffer, end) : "?";
    // -0.004 to two decimals is no negative figure.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);
    }
    for (char& c : text) {
        c = c == '.' ? decimalSeparator : c;
    }
    return text;
}

std::string roundedForm(double value, int decimals, char decimalSeparator) {
    std::string text = fixedForm(value, decimals, decimalSeparator);
    if (text.find(decimalSeparator) != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == decimalSeparator) {
            text.pop_back();
        }
    }
    return text;
}

int decimalsOf(double reference) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, reference, std::chars_format::fixed);
    const std::string text = ec == std::errc() ? std::string(buffer, end) : "";
    const std::size_t point = text.find('.');
    return point == std::string::npos ? 0 : std::min(3, int(text.size() - point - 1));
}

std::optional<double> typedNumber(const std::string& text) {
    std::string number;
    for (char c : text) {
        if (c != ' ') {
            number += c == ',' ? '.' : c;
        }
    }
    double v = 0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, v);
    if (number.empty() || error != std::errc() || stop != end || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::optional<double> typedLength(const std::string& text) {
    const std::optional<double> v = typedNumber(text);
    return v && *v > 0 && !ambiguousPoint(text) ? v : std::nullopt;
}

namespace {

std::string withoutBlanks(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != ' ') {
            out += c;
        }
    }
    return out;
}

bool allDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

bool ambiguousPoint(const std::string& text) {
    const std::string number = withoutBlanks(text);
    const std::size_t point = number.find('.');
    if (point == std::string::npos || number.find(',') != std::string::npos) {
        return false;
    }
    const std::string whole = number.substr(0, point), part = number.substr(point + 1);
    return allDigits(whole) && whole.find_first_not_of('0') != std::string::npos &&
           part.size() == 3 && allDigits(part);
}

std::string ambiguousPointMessage(const std::string& text) {
    const std::string number = withoutBlanks(text);
    const std::size_t point = number.find('.');
    const std::string whole = number.substr(0, point), part = number.substr(point + 1);
    const std::string decimals = part.substr(0, part.find_last_not_of('0') + 1);
    const std::string asDecimal = decimals.empty() ? whole : whole + "," + decimals;
    return "Il numero " + number + " è ambiguo: scrivere " + whole + part +
           " se il punto separa le migliaia, oppure " + asDecimal +
           " se separa i decimali (si usa la virgola).";
}

}  // namespace vesta
