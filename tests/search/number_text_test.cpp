// Tests of reading the minimum frequency, of the ipm text and of the error text rule.

#include "search/number_text.h"

#include <iomanip>
#include <limits>
#include <string>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

TEST(StrToFloat, RefusesAnythingElseWithTheFieldsText)
{
    const char* const cases[] = {"",    "   ", "0.5", "1,2,3", "abc", "1e",    "e5",   "1 2",
                                 "--1", ",",   "+",   "1,5x",  "\t1", "1e999", "1 000"};
    for (const char* text : cases) {
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
        {2.675, "2,67500"},     // stored as 2.67499999999999982...: 17 digits end in ...98
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

}  // namespace
