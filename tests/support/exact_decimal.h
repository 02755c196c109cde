#pragma once
// An exact decimal model of doubles and of the ipm text, apart from search/number_text: the tests
// and the fuzz targets check IpmText against it.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// The exact decimal value of a finite double, worked out with big integers apart from the code
// under test: Digits (decimal, most significant first, no leading zero, no trailing zero while
// Scale is positive) times 10^-Scale.
struct TExactDecimal
{
    std::string Digits;
    int Scale = 0;
};

inline TExactDecimal ExactDecimal(double magnitude)
{
    int exponent = 0;
    const double fraction = std::frexp(magnitude, &exponent);
    // magnitude = mantissa * 2^exponent, then times 10^scale in limbs of 9 decimal digits,
    // least significant first.
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    exponent -= 53;
    std::vector<std::uint64_t> limbs;
    for (; mantissa != 0; mantissa /= 1'000'000'000) {
        limbs.push_back(mantissa % 1'000'000'000);
    }
    const auto multiply = [&limbs](std::uint64_t factor) {
        std::uint64_t carry = 0;
        for (std::uint64_t& limb : limbs) {
            const std::uint64_t product = limb * factor + carry;
            limb = product % 1'000'000'000;
            carry = product / 1'000'000'000;
        }
        for (; carry != 0; carry /= 1'000'000'000) {
            limbs.push_back(carry % 1'000'000'000);
        }
    };
    // 2^-k = 5^k / 10^k.
    const std::uint64_t factor = exponent >= 0 ? 2 : 5;
    TExactDecimal exact;
    exact.Scale = std::max(-exponent, 0);
    for (int steps = std::abs(exponent); steps > 0; --steps) {
        multiply(factor);
    }
    for (auto limb = limbs.rbegin(); limb != limbs.rend(); ++limb) {
        const std::string part = std::to_string(*limb);
        exact.Digits += exact.Digits.empty() ? part : std::string(9 - part.size(), '0') + part;
    }
    // Trailing zeros of a fraction say nothing; without them the expansion is unique.
    while (exact.Scale > 0 && exact.Digits.back() == '0') {
        exact.Digits.pop_back();
        --exact.Scale;
    }
    return exact;
}

// The ipm text rule applied to the exact decimal digits of a finite value: keep down to the power
// max(first - 6, -5), add one when the first dropped digit is 5 or more, then write.
inline std::string ExactIpmText(double value)
{
    if (value == 0) {
        return "0,00000";
    }
    const TExactDecimal exact = ExactDecimal(std::fabs(value));
    const int length = static_cast<int>(exact.Digits.size());
    const int firstPower = length - 1 - exact.Scale;
    const int lastPower = std::max(firstPower - 6, -5);
    const int kept = firstPower - lastPower + 1;  // at most 7; at most 0 below 0.00001
    std::uint64_t rounded = 0;
    for (int i = 0; i < kept; ++i) {
        rounded =
            rounded * 10 + (i < length ? static_cast<std::uint64_t>(exact.Digits[i] - '0') : 0);
    }
    if (kept >= 0 && kept < length && exact.Digits[kept] >= '5') {
        ++rounded;
    }
    const std::string sign = value < 0 && rounded != 0 ? "-" : "";
    std::string digits = std::to_string(rounded);
    if (rounded != 0 && static_cast<int>(digits.size()) - 1 + lastPower >= 7) {
        const int power = static_cast<int>(digits.size()) - 1 + lastPower;
        digits.erase(digits.find_last_not_of('0') + 1);
        return sign + digits.substr(0, 1) + (digits.size() > 1 ? "," + digits.substr(1) : "") +
               "E" + std::to_string(power);
    }
    // Now lastPower is at most 0: the value in units of 0.00001, at least 6 digits long.
    digits += std::string(static_cast<std::size_t>(lastPower + 5), '0');
    if (digits.size() < 6) {
        digits.insert(0, 6 - digits.size(), '0');
    }
    return sign + digits.substr(0, digits.size() - 5) + "," + digits.substr(digits.size() - 5);
}
