// Tests of reading the minimum frequency and of the error text rule.

#include "search/number_text.h"

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

}  // namespace
