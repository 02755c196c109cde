// Numbers with a decimal comma: reading the minimum frequency, writing the ipm text, and the
// error text both front ends show.

#include "search/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

double StrToFloat(const std::string& text)
{
    const auto fail = [&text]() -> double {
        throw EConvertError("'" + text + "' is not a valid floating point value");
    };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] == ' ') {
        --end;
    }
    // Rebuilt in the form std::from_chars reads, which knows no locale: a point, no plus sign.
    std::string number;
    std::size_t pos = begin;
    bool negative = false;
    if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int digits = 0;
    for (; pos < end && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits) {
        number.push_back(text[pos]);
    }
    if (pos < end && text[pos] == ',') {
        number.push_back('.');
        for (++pos; pos < end && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits) {
            number.push_back(text[pos]);
        }
    }
    if (digits == 0) {
        return fail();
    }
    if (pos < end && (text[pos] == 'e' || text[pos] == 'E')) {
        number.push_back('e');
        ++pos;
        if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
            number.push_back(text[pos++]);
        }
        int exponentDigits = 0;
        for (; pos < end && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++exponentDigits) {
            number.push_back(text[pos]);
        }
        if (exponentDigits == 0) {
            return fail();
        }
    }
    if (pos != end) {
        return fail();
    }
    double value = 0.0;
    const auto [last, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || last != number.data() + number.size()) {
        // Out of the range of a double.
        return fail();
    }
    return negative ? -value : value;
}

std::string UserErrorText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

std::string IpmText(double value)
{
    char text[kMaxIpmTextSize];
    return std::string(text, WriteIpmText(value, text));
}

// The decimal digits are those std::to_chars gives for 17 significant digits (correctly rounded
// from the binary value); the half-up rule is applied to those digits. So 0.203125, exactly
// representable, becomes 0,20313, and 2.675, stored as 2.67499999999999982..., has the digits
// 2.6749999999999998 and becomes 2,67500. Infinities are written "INF" and "-INF", a NaN "NAN".
char* WriteIpmText(double value, char* out)
{
    if (std::isnan(value)) {
        return std::copy_n("NAN", 3, out);
    }
    if (std::isinf(value)) {
        return value < 0 ? std::copy_n("-INF", 4, out) : std::copy_n("INF", 3, out);
    }

    // "d.dddddddddddddddde±xx": 17 digits, then the power of ten of the first one; 23 bytes at
    // most, as in "1.7976931348623157e+308".
    char scientific[32];
    const auto printed = std::to_chars(scientific, scientific + sizeof scientific, std::fabs(value),
                                       std::chars_format::scientific, 16);
    int digits[17];
    digits[0] = scientific[0] - '0';
    for (int i = 1; i < 17; ++i) {
        digits[i] = scientific[i + 1] - '0';
    }
    int exponent = 0;
    std::from_chars(scientific + 20, printed.ptr, exponent);
    if (scientific[19] == '-') {
        exponent = -exponent;
    }

    // Whichever of the two limits keeps fewer digits sets the power of ten of the last kept
    // digit. Below 0.00001 no digit may be kept, and the first dropped one is a leading zero
    // unless the value is at least 0.000001.
    const int lastPower = std::max(exponent - 6, -5);
    const int kept = exponent - lastPower + 1;
    std::uint32_t rounded = 0;
    for (int i = 0; i < kept; ++i) {
        rounded = rounded * 10 + static_cast<std::uint32_t>(digits[i]);
    }
    const int firstDropped = kept >= 0 ? digits[kept] : 0;
    if (firstDropped >= 5) {
        ++rounded;  // 9999999 + 1 carries into an eighth digit
    }
    // The magnitude is now rounded * 10^lastPower, with rounded at most 10^7.

    if (value < 0 && rounded != 0) {
        *out++ = '-';
    }
    char roundedDigits[8];
    char* roundedEnd = std::to_chars(roundedDigits, roundedDigits + 8, rounded).ptr;
    const int digitCount = static_cast<int>(roundedEnd - roundedDigits);
    const int magnitudePower = digitCount - 1 + lastPower;
    if (rounded != 0 && magnitudePower >= 7) {
        while (roundedEnd[-1] == '0') {
            --roundedEnd;
        }
        *out++ = roundedDigits[0];
        if (roundedEnd - roundedDigits > 1) {
            *out++ = ',';
            out = std::copy(roundedDigits + 1, roundedEnd, out);
        }
        *out++ = 'E';
        return std::to_chars(out, out + 4, magnitudePower).ptr;
    }

    // Here lastPower lies in -5..0: the last -lastPower digits of rounded are decimals.
    const int decimals = -lastPower;
    const int integerDigits = digitCount - decimals;
    if (integerDigits > 0) {
        out = std::copy_n(roundedDigits, integerDigits, out);
    } else {
        *out++ = '0';
    }
    *out++ = ',';
    for (int i = integerDigits; i < 0; ++i) {
        *out++ = '0';
    }
    out = std::copy(roundedDigits + std::max(integerDigits, 0), roundedEnd, out);
    return std::fill_n(out, 5 - decimals, '0');
}
