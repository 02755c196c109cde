// The result pane's line index, the scan for line breaks, and the row scroll mapping, without a
// widget.

#include "ui/line_index.h"

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/ui/random_text.h"
#include "wordstore/encoding.h"

namespace {

TEST(LineIndex, SplitsAtCrLfAtALoneCrAndAtALoneLf)
{
    // A text, then where its lines start.
    const std::pair<std::string, std::vector<std::uint64_t>> cases[] = {
        {"", {0}},
        {"кот", {0}},
        {"кот\r\nпёс", {0, 5}},
        {"кот\r\n", {0, 5}},
        {"a\rb\nc", {0, 2, 4}},
        {"\n\r", {0, 1, 2}},
        {"\r\r\n\r\n", {0, 1, 3, 5}},
        {"абвгдежзий\r\nклмнопрстуфхцчшщ\nэюя", {0, 12, 29}},  // breaks past eight bytes
    };
    for (const auto& [text, starts] : cases) {
        SCOPED_TRACE(text);
        TLineIndex index;
        index.Build(ToCp1251(text));
        std::vector<std::uint64_t> found;
        for (std::uint64_t line = 0; line < index.Count(); ++line) {
            found.push_back(index.Start(line));
        }
        EXPECT_EQ(found, starts);
    }
}

TEST(LineIndex, FindsTheLineThatHoldsAPosition)
{
    TLineIndex index;
    index.Build("ab\r\ncd\nef");
    // A position, then its line: a break belongs to the line it ends.
    const std::pair<std::uint64_t, std::uint64_t> cases[] = {
        {0, 0}, {2, 0}, {3, 0}, {4, 1}, {6, 1}, {7, 2}, {9, 2},
    };
    for (const auto& [position, line] : cases) {
        SCOPED_TRACE(position);
        EXPECT_EQ(index.LineOf(position), line);
    }
}

TEST(RowScroll, MapsRowsBeyondTheScrollBarsRangeAndKeepsTheLastRowReachable)
{
    struct TCase
    {
        std::uint64_t LastTopRow;
        int Maximum;
        std::uint64_t RowsPerStep;
    };
    const TCase cases[] = {
        {0, 0, 1},
        {9'999'977, 9'999'977, 1},
        {1'073'741'824, 1'073'741'824, 1},
        {1'073'741'825, 536'870'913, 2},
        {5'000'000'000, 1'000'000'000, 5},
        {18'000'000'000'000'000'000u, 1'073'741'824, 16'763'806'344},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.LastTopRow);
        const TRowScroll scroll(c.LastTopRow);
        EXPECT_EQ(scroll.Maximum(), c.Maximum);
        EXPECT_EQ(scroll.RowsPerStep(), c.RowsPerStep);
        EXPECT_EQ(scroll.TopRowOf(scroll.Maximum()), c.LastTopRow);
        EXPECT_EQ(scroll.ValueOf(c.LastTopRow), c.Maximum);
        EXPECT_EQ(scroll.TopRowOf(0), 0u);
    }
    const TRowScroll scroll(5'000'000'000);
    EXPECT_EQ(scroll.TopRowOf(1), 5u);
    EXPECT_EQ(scroll.TopRowOf(999'999'999), 4'999'999'995u);
    EXPECT_EQ(scroll.ValueOf(12), 2);
    EXPECT_EQ(scroll.ValueOf(4'999'999'999), 999'999'999);
}

TEST(NextBreakCandidate, NeverPassesACrOrAnLfAndFindsTheEndWithoutOne)
{
    // Texts of every length up to three words of eight bytes, with CR, LF and other bytes below
    // 14 among letters, bytes of 0x80 and above, and blanks: checked against a byte-by-byte scan.
    const std::string pieces[] = {"a",   ToCp1251("я"), " ",    "\r",   "\n",
                                  "\t",  "\x0D\x0A",    "\x7F", "\x0E", std::string(1, '\0'),
                                  "\xFF"};
    std::mt19937 random(14);
    for (int round = 0; round < 2000; ++round) {
        const std::string text = RandomText(random, pieces, 25);
        for (std::size_t from = 0; from <= text.size(); ++from) {
            std::size_t first = from;
            while (first < text.size() && static_cast<unsigned char>(text[first]) >= 14) {
                ++first;
            }
            SCOPED_TRACE(testing::Message() << round << ": from " << from << " of " << text.size());
            const std::size_t found = NextBreakCandidate(text, from);
            EXPECT_GE(found, from);
            EXPECT_LE(found, first);
            if constexpr (std::endian::native == std::endian::little) {
                EXPECT_EQ(found, first);
            }
        }
    }
}

TEST(LineIndex, AgreesWithALineByLineSplitOnGeneratedTexts)
{
    const std::string pieces[] = {"ab", ToCp1251("слово"),  "\r\n", "\r", "\n", "\n\r",
                                  " ",  std::string(9, 'x')};
    std::mt19937 random(29);
    for (int round = 0; round < 500; ++round) {
        const std::string text = RandomText(random, pieces, 30);
        std::vector<std::uint64_t> expected = {0};
        for (std::size_t pos = 0; pos < text.size(); ++pos) {
            if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') {
                ++pos;
            }
            if (text[pos] == '\r' || text[pos] == '\n') {
                expected.push_back(pos + 1);
            }
        }
        SCOPED_TRACE(testing::Message() << round << ": " << ToUtf8(text));
        TLineIndex index;
        index.Build(text);
        std::vector<std::uint64_t> found;
        for (std::uint64_t line = 0; line < index.Count(); ++line) {
            found.push_back(index.Start(line));
            EXPECT_EQ(index.LineOf(index.Start(line)), line);
        }
        EXPECT_EQ(found, expected);
        EXPECT_EQ(index.LineOf(text.size()), index.Count() - 1);
    }
}

}  // namespace
