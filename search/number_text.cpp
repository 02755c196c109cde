// Numbers with a decimal comma: reading the minimum frequency, writing the ipm text, and the
// error text both front ends show.

#include "search/number_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// 5^power, for power in 0..27.
std::uint64_t PowerOfFive(int power)
{
    std::uint64_t result = 1;
    for (; power > 0; --power) {
        result *= 5;
    }
    return result;
}

// A GCC and Clang type, taken for the one product that needs more than 64 bits.
__extension__ using TUint128 = unsigned __int128;

// magnitude / 10^lastPower rounded to the nearest integer, an exact tie up, for a magnitude below
// 10^7 and lastPower in -5..0. Exact: the double is mantissa * 2^-shift, so the quotient is
// mantissa * 10^-lastPower (below 2^70) shifted right, and the bits shifted out decide.
std::uint32_t RoundedToPower(double magnitude, int lastPower)
{
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    constexpr std::uint64_t kFraction = (std::uint64_t{1} << 52) - 1;
    const auto biasedExponent = static_cast<int>(bits >> 52);
    std::uint64_t mantissa = bits & kFraction;
    int shift = 1074;  // of a subnormal
    if (biasedExponent != 0) {
        mantissa |= kFraction + 1;
        shift = 1075 - biasedExponent;  // at least 29 below 10^7
    }
    if (shift > 70) {
        return 0;  // below 2^-18, under half of 10^-5
    }
    std::uint64_t scale = 1;
    for (int power = lastPower; power < 0; ++power) {
        scale *= 10;
    }
    const TUint128 scaled = TUint128{mantissa} * scale;
    const TUint128 half = TUint128{1} << (shift - 1);
    const auto quotient = static_cast<std::uint32_t>(scaled >> shift);
    return (scaled & (2 * half - 1)) >= half ? quotient + 1 : quotient;
}

// Whether magnitude is exactly (rounded + 1/2) * 10^lastPower for a lastPower of 1 or more. Such
// a tie equals (2 rounded + 1) * 5^lastPower * 2^(lastPower - 1), so magnitude / 2^(lastPower - 1),
// exact because only the binary exponent moves, must be an integer n equal to
// (2 rounded + 1) * 5^lastPower. An odd n of a double is below 2^53, so lastPower is at most 22.
bool IsTieAbove(double magnitude, std::uint32_t rounded, int lastPower)
{
    const double scaled = std::ldexp(magnitude, 1 - lastPower);
    if (lastPower > 22 || !(scaled < 0x1p53) || scaled != std::floor(scaled)) {
        return false;
    }
    const auto n = static_cast<std::uint64_t>(scaled);
    const std::uint64_t power = PowerOfFive(lastPower);
    return n % power == 0 && n / power == 2 * std::uint64_t{rounded} + 1;
}

}  // namespace

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
    // The power of ten of the first nonzero digit, before the exponent; it tells an underflow
    // from an overflow. Stays below every other value while no nonzero digit has come.
    constexpr long long kNoDigit = std::numeric_limits<long long>::min() / 2;
    long long leadPower = kNoDigit;
    long long power = -1;  // the power of ten of the next digit, counted from the separator
    int digits = 0;
    for (; pos < end && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits) {
        number.push_back(text[pos]);
    }
    for (std::size_t i = 0; i < number.size(); ++i) {
        if (number[i] != '0') {
            leadPower = static_cast<long long>(number.size() - i) - 1;
            break;
        }
    }
    // Either decimal separator, "0,5" as the locale writes it or "0.5" as most people type it.
    if (pos < end && (text[pos] == ',' || text[pos] == '.')) {
        number.push_back('.');
        for (++pos; pos < end && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits, --power) {
            number.push_back(text[pos]);
            if (leadPower == kNoDigit && text[pos] != '0') {
                leadPower = power;
            }
        }
    }
    if (digits == 0) {
        return fail();
    }
    long long exponent = 0;
    if (pos < end && (text[pos] == 'e' || text[pos] == 'E')) {
        number.push_back('e');
        ++pos;
        bool negativeExponent = false;
        if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
            negativeExponent = text[pos] == '-';
            number.push_back(text[pos++]);
        }
        int exponentDigits = 0;
        for (; pos < end && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++exponentDigits) {
            number.push_back(text[pos]);
            // Capped far beyond the range of a double, so that a long run of digits cannot
            // overflow it.
            exponent = std::min(exponent * 10 + (text[pos] - '0'), 1'000'000'000'000LL);
        }
        if (exponentDigits == 0) {
            return fail();
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (pos != end) {
        return fail();
    }
    double value = 0.0;
    const auto [last, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range && leadPower + exponent < 0) {
        // Nearer to zero than the smallest double: the syntax is valid, and zero is its value.
        value = 0.0;
    } else if (error != std::errc() || last != number.data() + number.size()) {
        // Beyond the largest double: no number a minimum could be compared with.
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

// Infinities are written "INF" and "-INF", a NaN "NAN".
char* WriteIpmText(double value, char* out)
{
    if (std::isnan(value)) {
        return std::copy_n("NAN", 3, out);
    }
    if (std::isinf(value)) {
        return value < 0 ? std::copy_n("-INF", 4, out) : std::copy_n("INF", 3, out);
    }

    // Whichever of the two limits keeps fewer digits sets lastPower, the power of ten of the last
    // kept digit: 5 decimals below 100, else 7 significant digits.
    const double magnitude = std::fabs(value);
    std::uint32_t rounded = 0;
    int lastPower = -5;
    if (magnitude < 1e7) {
        for (double bound = 100; lastPower < 0 && magnitude >= bound; bound *= 10) {
            ++lastPower;
        }
        rounded = RoundedToPower(magnitude, lastPower);
    } else {
        // "d.dddddde+xx", 7 digits and the power of ten of the first one, rounded to nearest
        // from the exact binary value (so 99999995.5 gives "1.000000e+08"); 13 bytes at most, as
        // in "1.797693e+308". An exact tie may have gone to even: it is rounded up here.
        char scientific[16];
        const char* end = std::to_chars(scientific, scientific + sizeof scientific, magnitude,
                                        std::chars_format::scientific, 6)
                              .ptr;
        rounded = static_cast<std::uint32_t>(scientific[0] - '0');
        for (int i = 2; i < 8; ++i) {
            rounded = rounded * 10 + static_cast<std::uint32_t>(scientific[i] - '0');
        }
        int exponent = 0;
        std::from_chars(scientific + 10, end, exponent);
        lastPower = exponent - 6;
        if (IsTieAbove(magnitude, rounded, lastPower)) {
            ++rounded;  // 9999999 + 1 carries into an eighth digit
        }
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

std::string_view TIpmTextCache::Text(double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    // Fibonacci hashing: the high bits of the product depend on every bit of the value.
    TEntry& entry = m_entries[(bits * 0x9E3779B97F4A7C15u) >> (64 - kIndexBits)];
    if (entry.Size == 0 || entry.Bits != bits) {
        entry.Bits = bits;
        entry.Size = static_cast<std::uint8_t>(WriteIpmText(value, entry.Text) - entry.Text);
    }
    return {entry.Text, entry.Size};
}
