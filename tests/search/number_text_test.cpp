// Tests of reading the minimum frequency, of the ipm text and of the error text rule.

#include "search/number_text.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/exact_decimal.h"

namespace {

TEST(StrToFloat, ReadsNumbersWithADecimalComma)
{
    const std::pair<const char*, double> cases[] = {
        {"0,0", 0.0},    {"0,07", 0.07},   {"0,005", 0.005}, {"  12  ", 12.0},
        {"-1,5", -1.5},  {"+2", 2.0},      {"1,", 1.0},      {",5", 0.5},
        {"1E3", 1000.0}, {"2,5e-1", 0.25}, {"1e+2", 100.0},  {"007", 7.0},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(StrToFloat(text), value);
    }
}

// Was wrong: "0.5" was refused, though a point is what most people type.
TEST(StrToFloat, ReadsNumbersWithADecimalPoint)
{
    const std::pair<const char*, double> cases[] = {
        {"0.5", 0.5},     {" 0.07 ", 0.07}, {"-1.5", -1.5},   {"1.", 1.0},
        {".5", 0.5},      {"+.25", 0.25},   {"2.5E-1", 0.25}, {"200000.5", 200000.5},
        {"1.0e2", 100.0}, {"-0.0", 0.0},    {"00.010", 0.01}, {"3.e1", 30.0},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(StrToFloat(text), value);
        std::string withComma = text;
        std::replace(withComma.begin(), withComma.end(), '.', ',');
        EXPECT_EQ(StrToFloat(withComma), value);
    }
}

// Was wrong: a number too small for a double was refused as invalid, though its syntax is valid.
TEST(StrToFloat, ReadsNumbersTooSmallForADoubleAsZero)
{
    const std::string manyZeros(5000, '0');
    const std::string cases[] = {
        "1e-400",
        "-1e-400",
        "0," + manyZeros + "1",
        "0." + manyZeros + "1",
        "0,1e-99999999999999999999",
        "2,4e-324",
        "0,00001e-320",
        "-" + manyZeros + ",0" + manyZeros + "9e-30",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.substr(0, 40));
        const double value = StrToFloat(text);
        EXPECT_EQ(value, 0.0);
        EXPECT_EQ(std::signbit(value), text[0] == '-');
    }
    // Just above half the smallest double, the value is that double, not zero.
    EXPECT_EQ(StrToFloat("2,5e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(StrToFloat("1e-310"), 1e-310);
}

// A number too large for a double stays refused: no minimum could be compared with it.
TEST(StrToFloat, RefusesAnythingElseWithTheFieldsText)
{
    const std::string manyDigits(400, '9');
    const std::string cases[] = {
        "",
        "   ",
        "1,2,3",
        "abc",
        "1e",
        "e5",
        "1 2",
        "--1",
        ",",
        "+",
        "1,5x",
        "\t1",
        "1e999",
        "1 000",
        "1,5.3",
        "1.5,3",
        "1..5",
        ".",
        "1.2.3",
        "-.",
        ".e1",
        "1e400",
        "-1,8e308",
        manyDigits,
        "1e5.5",
        "1.5e",
        "0x1p3",
        "inf",
        "nan",
        "1;5",
        manyDigits + ".5",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        EXPECT_THAT([&] { StrToFloat(text); },
                    ::testing::ThrowsMessage<EConvertError>(
                        std::string("'") + text + "' is not a valid floating point value"));
    }
}

TEST(UserErrorText, AppendsAPointWhenTheLastCharacterSortsAfterIt)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Unknown error", "Unknown error."},
        {"TRegExpr(comp): Unmatched [] (pos 3)", "TRegExpr(comp): Unmatched [] (pos 3)"},
        {"Done.", "Done."},
        {"Ends in a dash-", "Ends in a dash-"},
        {"Ends in a slash/", "Ends in a slash/."},
        {"\xFF", "\xFF."},  // bytes above 0x7F sort after "."
        {"", ""},
    };
    for (const auto& [message, shown] : cases) {
        SCOPED_TRACE(message);
        EXPECT_EQ(UserErrorText(message), shown);
    }
}

TEST(IpmText, RoundsToSevenDigitsOrFiveDecimalsHalfUp)
{
    const std::pair<double, const char*> cases[] = {
        {123.456789, "123,45680"},
        {0.123456789, "0,12346"},
        {12345.6789, "12345,68000"},
        {1000000, "1000000,00000"},
        {0.000006, "0,00001"},
        {0.000004, "0,00000"},
        {-1.5, "-1,50000"},
        {12345678, "1,234568E7"},
        {9999999.6, "1E7"},
        {0.0, "0,00000"},
        {-0.0, "0,00000"},
        {-0.000004, "0,00000"},  // rounds to zero: no minus
        {-0.000006, "-0,00001"},
        {999999.96, "1000000,00000"},
        {99999.999999, "100000,00000"},
        {0.999999, "1,00000"},
        {1e300, "1E300"},
        {-12345678, "-1,234568E7"},
        {0.203125, "0,20313"},  // an exact tie in binary rounds up
        {2.675, "2,67500"},     // stored as 2.67499999999999982...
        {0.000005, "0,00001"},  // stored slightly above 5e-6
        {0.0000049999, "0,00000"},
        {1234567.5, "1234568,00000"},  // seven digits leave no decimal
        {1234567.4999, "1234567,00000"},
        {5.0, "5,00000"},
        {1e-300, "0,00000"},
        {4.9406564584124654e-324, "0,00000"},
        {0.00001, "0,00001"},
        {0.1 + 0.2, "0,30000"},
        {10000000, "1E7"},
        {12000000, "1,2E7"},
        {10000001, "1E7"},
        {99999995, "1E8"},
        {-9999999.6, "-1E7"},
        {9999999.4, "9999999,00000"},
        {1.7976931348623157e308, "1,797693E308"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(testing::Message() << "value " << std::setprecision(17) << value);
        EXPECT_EQ(IpmText(value), text);
    }
}

// Was wrong: the value was first printed with 17 significant digits and that text rounded, so a
// value just below a boundary (28.356375 is 28.35637499999999988...) rounded up.
TEST(IpmText, RoundsFromTheExactBinaryValue)
{
    // Values just below a boundary, with their exact expansions, and exact ties, which round away
    // from zero where rounding to even would not.
    const std::pair<double, const char*> cases[] = {
        {28.356375, "28,35637"},        // 28.35637499999999988631...
        {-19695.535, "-19695,53000"},   // -19695.53499999999985448...
        {0.304145, "0,30414"},          // 0.30414499999999999...
        {126.65835, "126,65830"},       // 126.65834999999999...
        {5224.0445, "5224,04400"},      // 5224.04449999999...
        {15237.775, "15237,77000"},     // 15237.7749999999...
        {127751.45, "127751,40000"},    // 127751.449999999...
        {2.6214635e21, "2,621463E21"},  // 2621463499999999967...
        {2.7033995e22, "2,703399E22"},  // 27033994999999999...
        {0.0000049999999999999996, "0,00000"},
        {0.015625, "0,01563"},  // 1/64: a tie
        {-0.015625, "-0,01563"},
        {1234568.5, "1234569,00000"},
        {-1234568.5, "-1234569,00000"},
        {12345685, "1,234569E7"},
        {1234568500, "1,234569E9"},
        {9.5, "9,50000"},
        {9.999975, "9,99997"},            // 9.99997499999999917...
        {9.999985, "9,99999"},            // 9.99998500000000056...
        {9.999995, "10,00000"},           // 9.99999500000000018...
        {9.9999949999999984, "9,99999"},  // the double below it
        {3.000025, "3,00002"},            // 3.00002499999999994...
        {0.100005, "0,10000"},            // 0.10000499999999999...
        {0.000035, "0,00003"},            // 0.0000349999999999999969...
        {0.000045, "0,00005"},            // 0.0000450000000000000028...
        {9999999.5, "1E7"},
        {99999995, "1E8"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(testing::Message() << "value " << std::setprecision(17) << value);
        EXPECT_EQ(IpmText(value), text);
    }
}

// Doubles on either side of (c + 1/2) * 10^power, a rounding boundary, for random c of 7 digits
// (fewer where 5 decimals keep fewer), and the boundary itself where a double holds it exactly.
std::vector<double> BoundaryValues(std::uint32_t seed, int perPower)
{
    std::mt19937_64 random(seed);
    std::vector<double> values;
    for (int power = -5; power <= 40; ++power) {
        for (int i = 0; i < perPower; ++i) {
            const std::uint64_t low = power <= -5 ? 0 : 1'000'000;
            const auto c = static_cast<double>(low + random() % (10'000'000 - low));
            const double boundary = (c + 0.5) * std::pow(10.0, power);
            for (const double value :
                 {boundary, std::nextafter(boundary, 0.0), std::nextafter(boundary, 1e300)}) {
                values.push_back(value);
                values.push_back(-value);
            }
        }
    }
    // Exact ties: (2c + 1) * 5^power * 2^(power - 1) for power >= 1, and k / 2^(d + 1) with
    // k * 5^d odd for d decimals.
    for (int power = 1; power <= 13; ++power) {
        for (int i = 0; i < perPower; ++i) {
            const std::uint64_t c = 1'000'000 + random() % 9'000'000;
            const double odd = static_cast<double>(2 * c + 1) * std::pow(5.0, power);
            if (odd < 0x1p53) {
                values.push_back(std::ldexp(odd, power - 1));
            }
        }
    }
    for (int d = 0; d <= 5; ++d) {
        for (int i = 0; i < perPower; ++i) {
            const std::uint64_t k = 2 * (random() % 100'000) + 1;
            values.push_back(std::ldexp(static_cast<double>(k), -(d + 1)));
        }
    }
    return values;
}

TEST(IpmText, AgreesWithTheExactDecimalValue)
{
    std::vector<double> values = {0.203125,
                                  28.356375,
                                  -19695.535,
                                  2.675,
                                  0.000005,
                                  0.0000049999999999999996,
                                  0.000015,
                                  0.0000005,
                                  0.000001,
                                  9.999995,
                                  9.999996,
                                  99999.995,
                                  999999.95,
                                  1234567.5,
                                  1234568.5,
                                  9999999.5,
                                  9999999.4999999991,
                                  12345675,
                                  12345685,
                                  99999995,
                                  1e22,
                                  1e23,
                                  2.7033995e22,
                                  1.7976931348623157e308,
                                  4.9406564584124654e-324,
                                  2.2250738585072014e-308,
                                  0.0,
                                  -0.0};
    const std::vector<double> boundaries = BoundaryValues(7, 40);
    values.insert(values.end(), boundaries.begin(), boundaries.end());
    std::mt19937_64 random(8);
    for (int i = 0; i < 20000; ++i) {
        // Any finite double, and doubles spread evenly over the magnitudes of real ipm values.
        double value = std::bit_cast<double>(random());
        if (!std::isfinite(value)) {
            continue;
        }
        values.push_back(value);
        const double power = static_cast<double>(random() % 2'000'000) / 100'000.0 - 8.0;
        values.push_back(std::pow(10.0, power));
    }
    int failures = 0;
    for (const double value : values) {
        const std::string exact = ExactIpmText(value);
        if (IpmText(value) != exact && ++failures <= 10) {
            ADD_FAILURE() << "value " << std::setprecision(17) << value << ": " << IpmText(value)
                          << ", exactly " << exact;
        }
    }
    EXPECT_EQ(failures, 0) << "of " << values.size() << " values";
}

// The model above must itself be right: a few expansions checked by hand.
TEST(IpmText, ExactDecimalModelExpandsDoublesExactly)
{
    const std::tuple<double, const char*, int> cases[] = {
        {0.203125, "203125", 6},
        {2.675, "267499999999999982236431605997495353221893310546875", 50},
        {1e22, "10000000000000000000000", 0},
        {1.5, "15", 1},
        {std::ldexp(1.0, 70), "1180591620717411303424", 0},
    };
    for (const auto& [value, digits, scale] : cases) {
        SCOPED_TRACE(digits);
        const TExactDecimal exact = ExactDecimal(value);
        EXPECT_EQ(exact.Digits, digits);
        EXPECT_EQ(exact.Scale, scale);
    }
}

}  // namespace
