// The result pane's word rules on one line: what a double-click selects, where Ctrl+Left and
// Ctrl+Right stop, and how they agree on generated lines.

#include "ui/word_bounds.h"

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <utility>

#include <QString>
#include <gtest/gtest.h>

#include "tests/ui/random_text.h"
#include "wordstore/encoding.h"

namespace {

const char* const kLine = "слово = 12,34567 д'Артаньян, т.е. AT&T 3.5 a_b 1;2 x:y ’н’";

// The byte offset of needle in the UTF-8 line: its offset once the line is Windows-1251.
std::size_t IndexOf(const char* needle)
{
    const qsizetype index = QString::fromUtf8(kLine).indexOf(QString::fromUtf8(needle));
    EXPECT_GE(index, 0) << needle;
    return static_cast<std::size_t>(index);
}

TEST(WordAt, SelectsTheWordAndKeepsJoiningMarksInside)
{
    // Where the double-click falls (the first byte of this), then what it selects.
    const std::pair<const char*, const char*> cases[] = {
        {"слово", "слово"}, {"ово", "слово"}, {"2,", "12,34567"},    {",34", "12,34567"},
        {"=", "="},         {" =", " "},      {"Арт", "д'Артаньян"}, {"'", "д'Артаньян"},
        {", т", ","},       {".е", "т.е"},    {"е.", "т.е"},         {". A", "."},
        {"T&", "AT"},       {"&", "&"},       {".5", "3.5"},         {"_", "a_b"},
        {";", "1;2"},       {":", "x:y"},     {"’н", "’"},           {"н’", "н"},
    };
    const std::string line = ToCp1251(kLine);
    for (const auto& [on, word] : cases) {
        SCOPED_TRACE(on);
        const TWordSpan span = WordAt(line, IndexOf(on));
        EXPECT_EQ(ToUtf8(line.substr(span.Begin, span.End - span.Begin)), word);
    }
}

TEST(WordStops, CtrlArrowsStopWhereWordsBegin)
{
    struct TCase
    {
        const char* Caret;  // the caret stands before the first byte of this
        bool Right;         // Ctrl+Right, else Ctrl+Left
        const char* Over;   // the text the caret moves over
    };
    const TCase cases[] = {
        {"слово", true, "слово "},  {"ово", true, "ово "},        {"=", true, "= "},
        {"12,", true, "12,34567 "}, {"т.е", true, "т.е"},         {". A", true, ". "},
        {"&", true, "&"},           {"’н’", true, "’"},           {" = 12", false, "слово"},
        {"= 12", false, "слово "},  {" 12", false, "="},          {"12,", false, "= "},
        {" д'", false, "12,34567"}, {", т", false, "д'Артаньян"}, {" AT", false, "."},
        {"AT&", false, ". "},       {"&T", false, "AT"},          {"T 3", false, "&"},
    };
    const std::string line = ToCp1251(kLine);
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Caret << (c.Right ? " right" : " left"));
        const std::size_t caret = IndexOf(c.Caret);
        const std::size_t stop =
            c.Right ? NextWordStop(line, caret) : PreviousWordStop(line, caret);
        const std::size_t from = std::min(caret, stop);
        EXPECT_EQ(ToUtf8(line.substr(from, std::max(caret, stop) - from)), c.Over);
    }
    EXPECT_EQ(NextWordStop(line, line.size() - 1), line.size());
    EXPECT_EQ(PreviousWordStop(line, 1), 0u);
}

TEST(WordBounds, DoubleClickAndCtrlArrowsAgreeOnGeneratedLines)
{
    const std::string pieces[] = {ToCp1251("ёж"), "a", "7", " ", "  ", ",",   ".", "'",
                                  "\x92",         ":", ";", "&", "_",  "\xA0"};
    std::mt19937 random(92);
    for (int round = 0; round < 300; ++round) {
        const std::string line = RandomText(random, pieces, 21, 1);
        for (std::size_t pos = 0; pos < line.size(); ++pos) {
            SCOPED_TRACE(testing::Message() << round << ": " << ToUtf8(line) << " at " << pos);
            const TWordSpan span = WordAt(line, pos);
            ASSERT_LE(span.Begin, pos);
            ASSERT_LT(pos, span.End);
            ASSERT_LE(span.End, line.size());
            if (!InWord(line, pos)) {
                EXPECT_EQ(span.End - span.Begin, 1u);
                continue;
            }
            // A word is one run of word bytes: any byte of it selects the same word, and the
            // bytes around it do not belong to a word.
            for (std::size_t inside = span.Begin; inside < span.End; ++inside) {
                EXPECT_TRUE(InWord(line, inside));
            }
            EXPECT_TRUE(span.Begin == 0 || !InWord(line, span.Begin - 1));
            EXPECT_TRUE(span.End == line.size() || !InWord(line, span.End));
            // From its start Ctrl+Right leaves the word, and Ctrl+Left from its end comes back.
            const std::size_t next = NextWordStop(line, span.Begin);
            EXPECT_GE(next, span.End);
            EXPECT_EQ(PreviousWordStop(line, span.End), span.Begin);
        }
    }
}

}  // namespace
