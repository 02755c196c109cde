// Tests of the word list splitter against a plain byte-by-byte reading of the line rules, on
// random buffers whose line breaks fall on and around the scanner's 64-byte blocks.

#include "wordstore/line_scan.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"
#include "wordstore/file_io.h"
#include "wordstore/pair_reader.h"
#include "wordstore/word_store.h"

namespace {

struct TModelSplit
{
    std::vector<std::string> Words;
    std::vector<std::size_t> Starts;  // where each word starts
    std::size_t End = 0;
};

// The line rules read one byte at a time: a word runs to CR, LF, NUL or the end of the bytes;
// then one CR and one LF are skipped. A NUL ends the words.
TModelSplit ModelSplit(const std::string& bytes)
{
    TModelSplit split;
    std::size_t at = 0;
    const std::size_t size = bytes.size();
    while (at < size && bytes[at] != '\0') {
        const std::size_t start = at;
        while (at < size && bytes[at] != '\0' && bytes[at] != '\r' && bytes[at] != '\n') {
            ++at;
        }
        split.Words.push_back(bytes.substr(start, at - start));
        split.Starts.push_back(start);
        if (at < size && bytes[at] == '\r') {
            ++at;
        }
        if (at < size && bytes[at] == '\n') {
            ++at;
        }
    }
    split.End = at;
    return split;
}

// Each word's last byte as LastByteMatch tells it, asking runs of run words at a time for every
// byte; 0x100 for a word it gives no byte or several.
std::vector<unsigned> LastBytesByMatch(const TWordList& list, std::size_t run)
{
    std::vector<unsigned> lastBytes(list.size(), 0x100);
    for (std::size_t first = 0; first < list.size(); first += run) {
        const std::size_t count = std::min(run, list.size() - first);
        for (unsigned byte = 0; byte < 256; ++byte) {
            for (std::uint64_t bits =
                     list.LastByteMatch(first, count, 0xFF, static_cast<std::uint8_t>(byte));
                 bits != 0; bits &= bits - 1) {
                unsigned& last = lastBytes.at(first + std::countr_zero(bits));
                last = last == 0x100 ? byte : 0x200;
            }
        }
        // Nothing is tested on no bits.
        EXPECT_EQ(list.LastByteMatch(first, count, 0, 0), ~std::uint64_t{0} >> (64 - count));
    }
    return lastBytes;
}

TModelSplit SplitWithStore(const std::string& bytes, std::size_t& wordBytes)
{
    TLargeBlock block = MakeLargeBlock(bytes.size() + 1);
    std::memcpy(block.get(), bytes.data(), bytes.size());
    TModelSplit split;
    const TWordList list = TWordList::Split(std::move(block), bytes.size(), split.End);
    std::vector<unsigned> lastBytes;
    for (std::size_t j = 0; j < list.size(); ++j) {
        split.Words.emplace_back(list[j]);
        lastBytes.push_back(list[j].empty() ? 0 : static_cast<unsigned char>(list[j].back()));
    }
    wordBytes = list.BlockBytes();
    // Runs of 64 take the vector path, shorter ones the byte loop.
    EXPECT_EQ(LastBytesByMatch(list, 64), lastBytes);
    EXPECT_EQ(LastBytesByMatch(list, 37), lastBytes);
    return split;
}

std::size_t TotalBytes(const std::vector<std::string>& words)
{
    std::size_t bytes = 0;
    for (const std::string& word : words) {
        bytes += word.size();
    }
    return bytes;
}

// Random bytes over a small alphabet of letters, line-ending bytes and a rare NUL; breakWeight
// of 20 makes a line break of every few bytes.
std::string RandomBytes(std::mt19937& random, std::size_t size, int breakWeight, bool withNul)
{
    const char letters[] = {'a', 'z', '\t', ' ', static_cast<char>(0xFF), static_cast<char>(0xE0)};
    std::uniform_int_distribution<int> pick(0, 99);
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) {
        const int roll = pick(random);
        if (withNul && roll == 0) {
            bytes.push_back('\0');
        } else if (roll < breakWeight / 2) {
            bytes.push_back('\r');
        } else if (roll < breakWeight) {
            bytes.push_back('\n');
        } else {
            bytes.push_back(letters[static_cast<std::size_t>(roll) % sizeof letters]);
        }
    }
    return bytes;
}

TEST(SplitWordList, AgreesWithTheLineRulesOnRandomBuffers)
{
    std::mt19937 random(20240611);
    // Sizes on and around the 64-byte blocks, and their 16- and 32-byte parts.
    const std::size_t sizes[] = {0,  1,  2,  3,  15, 16,  17,  31,  32,  33,  62,  63,
                                 64, 65, 66, 95, 96, 127, 128, 129, 191, 192, 193, 1000};
    for (const std::size_t size : sizes) {
        for (const int breakWeight : {2, 20, 60, 100}) {
            for (int round = 0; round < 40; ++round) {
                const std::string bytes = RandomBytes(random, size, breakWeight, round % 4 == 0);
                SCOPED_TRACE(::testing::PrintToString(bytes));
                const TModelSplit expected = ModelSplit(bytes);
                std::size_t wordBytes = 0;
                const TModelSplit actual = SplitWithStore(bytes, wordBytes);
                ASSERT_EQ(actual.Words, expected.Words);
                ASSERT_EQ(actual.End, expected.End);
                ASSERT_EQ(wordBytes, TotalBytes(expected.Words));
            }
        }
    }
}

// A filter of the last bytes of random sets of the buffers' bytes, NUL and the breaks among them.
TTailFilter RandomTailFilter(std::mt19937& random)
{
    const char bytes[] = {
        'a', 'z', '\t', ' ', '\0', '\r', '\n', static_cast<char>(0xFF), static_cast<char>(0xE0)};
    std::vector<std::bitset<256>> lastFirst(1 + random() % 2);
    for (std::bitset<256>& set : lastFirst) {
        for (unsigned i = 1 + random() % 2; i-- > 0;) {
            set.set(static_cast<unsigned char>(bytes[random() % sizeof bytes]));
        }
    }
    return TTailFilter::OfLastBytes(lastFirst);
}

// The words a filter passes, their places and the count of all, as from the store's split.
TEST(PassingWords, KeepsTheWordsThatTheFilterPassesOfTheWholeSplit)
{
    const TTempFolder folder;
    std::mt19937 random(20261209);
    for (const std::size_t size : {0, 1, 2, 3, 62, 63, 64, 65, 66, 127, 128, 129, 1000, 70000}) {
        for (const int breakWeight : {2, 20, 60}) {
            for (int round = 0; round < 30; ++round) {
                const std::string bytes = RandomBytes(random, size, breakWeight, round % 4 == 0);
                const TTailFilter filter = RandomTailFilter(random);
                SCOPED_TRACE(::testing::PrintToString(bytes));
                const TModelSplit whole = ModelSplit(bytes);
                std::vector<std::string> passing;
                std::vector<std::uint32_t> places;
                for (std::size_t j = 0; j < whole.Words.size(); ++j) {
                    if (filter.Passes(whole.Words[j])) {
                        passing.push_back(whole.Words[j]);
                        places.push_back(static_cast<std::uint32_t>(j));
                    }
                }
                // Split whole, and read from a file in pieces of a few bytes or more.
                TPassingWords inOnePiece(filter);
                inOnePiece.Add(bytes.data(), bytes.size());
                const std::string path = folder.Write("list.txt", bytes);
                std::size_t fileBytes = 0;
                for (const TKeptWords& kept :
                     {inOnePiece.Take(),
                      ReadPassing(OpenRegularFile(path), filter, fileBytes, 1 + round % 70)}) {
                    ASSERT_EQ(kept.AllWords, whole.Words.size());
                    ASSERT_EQ(kept.End, whole.End);
                    ASSERT_EQ(kept.Places, places);
                    ASSERT_EQ(kept.Words.size(), passing.size());
                    for (std::size_t i = 0; i < passing.size(); ++i) {
                        ASSERT_EQ(kept.Words[i], passing[i]);
                    }
                }
                // Reading stops at the piece that holds the NUL that ends the words.
                ASSERT_TRUE(whole.End < bytes.size() ? fileBytes > whole.End
                                                     : fileBytes == bytes.size());
            }
        }
    }
}

// The words at some places, found from where every 64th word starts, and the first place of a
// word, as from the store's split.
TEST(SplitAtPlaces, FindsTheWordsOfTheWholeSplitFromEverySixtyFourthStart)
{
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> pick(0, 7);
    for (const std::size_t size : {0, 1, 2, 63, 64, 65, 127, 128, 129, 1000, 70000}) {
        for (const int breakWeight : {2, 20, 60}) {
            for (int round = 0; round < 30; ++round) {
                const std::string bytes = RandomBytes(random, size, breakWeight, round % 4 == 0);
                SCOPED_TRACE(::testing::PrintToString(bytes));
                const TModelSplit whole = ModelSplit(bytes);
                TKeptPlaces wanted;
                wanted.WordCount = whole.Words.size();
                for (std::size_t j = 0; j < whole.Words.size(); j += TKeptPlaces::kWordsPerStart) {
                    wanted.Starts.push_back(static_cast<std::uint32_t>(whole.Starts[j]));
                }
                std::vector<std::uint32_t> expected;
                for (std::size_t j = 0; j < whole.Words.size(); ++j) {
                    if (pick(random) == 0) {
                        expected.push_back(static_cast<std::uint32_t>(j));
                    }
                }
                wanted.Places = expected;
                // A place past the last word is left out.
                wanted.Places.push_back(static_cast<std::uint32_t>(whole.Words.size() + 1));
                std::string buffer = bytes + '\0';
                const TKeptWords kept = SplitAtPlaces(buffer.data(), bytes.size(), wanted);
                ASSERT_EQ(kept.AllWords, whole.Words.size());
                ASSERT_EQ(kept.Places, expected);
                ASSERT_EQ(kept.Words.size(), expected.size());
                for (std::size_t i = 0; i < expected.size(); ++i) {
                    ASSERT_EQ(kept.Words[i], whole.Words[expected[i]]);
                }

                const TWordFinder finder(bytes.data(), bytes.size());
                for (std::size_t j = 0; j < whole.Words.size(); j += 1 + j / 2) {
                    for (const std::string& word : {whole.Words[j], whole.Words[j] + "a"}) {
                        const auto first = std::find(whole.Words.begin(), whole.Words.end(), word);
                        const std::optional<std::size_t> expectedPlace =
                            word.empty() || first == whole.Words.end()
                                ? std::nullopt
                                : std::optional<std::size_t>(first - whole.Words.begin());
                        ASSERT_EQ(finder.PlaceOf(word), expectedPlace) << word;
                    }
                }
            }
        }
    }
}

TEST(SplitWordList, BreaksAcrossTheBlockEdgeAreReadAsOne)
{
    // Where a break, a NUL or a word's end falls against the 64th byte.
    const std::string word63(63, 'w');
    const std::string word62(62, 'w');
    const struct
    {
        std::string Bytes;
        std::vector<std::string> Words;
    } cases[] = {
        {word63 + "\r\nx", {word63, "x"}},  // CR LF split by the edge
        {word62 + "\r\n\nx", {word62, "", "x"}},
        {word63 + "\r\rx", {word63, "", "x"}},
        {word63 + "\n\rx", {word63, "", "x"}},
        {word63 + "\r", {word63}},
        {word63 + "\r" + std::string(1, '\0') + "x", {word63}},
        {word63 + "x" + std::string(1, '\0') + "\r\n", {word63 + "x"}},
        {std::string(64, '\n'), std::vector<std::string>(64, "")},
        {std::string(64, '\r') + "\n", std::vector<std::string>(64, "")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Bytes));
        std::size_t wordBytes = 0;
        EXPECT_EQ(SplitWithStore(c.Bytes, wordBytes).Words, c.Words);
    }
}

TEST(ScanLines, GivesEachWordsStartAndBreakLength)
{
    const std::string bytes = std::string("ab\r\ncd\ne\rf") + '\0' + "g\n";
    std::vector<std::pair<std::size_t, std::size_t>> seen;
    const std::size_t end =
        ScanLines(bytes.c_str(), 0, bytes.size(),
                  [&](auto start, auto breakBytes) { seen.emplace_back(start, breakBytes); });
    const std::vector<std::pair<std::size_t, std::size_t>> expected = {
        {0, 2}, {4, 1}, {7, 1}, {9, 0}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(end, 10u);
}

TEST(ScanLines, StopsAtTheGivenEndAsAtANul)
{
    // The bytes after end must not be looked at: they would add a word and break the CR LF.
    const std::string bytes = std::string(70, 'a') + "\r\nbc\r" + "\nzz";
    // The end, then the words' starts and break lengths up to it.
    const struct
    {
        std::size_t End;
        std::vector<std::pair<std::size_t, std::size_t>> Words;
    } cases[] = {
        {70, {{0, 0}}},
        {71, {{0, 1}}},
        {74, {{0, 2}, {72, 0}}},
        {75, {{0, 2}, {72, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.End);
        std::vector<std::pair<std::size_t, std::size_t>> seen;
        EXPECT_EQ(
            ScanLines(bytes.c_str(), 0, c.End,
                      [&](auto start, auto breakBytes) { seen.emplace_back(start, breakBytes); }),
            c.End);
        EXPECT_EQ(seen, c.Words);
    }
}

// From 2 MiB on, the halves of a list are split on two cores: the words, the end and the bytes
// must come out as from one.
TEST(SplitWordList, AgreesWithTheLineRulesOnLargeBuffersSplitInHalves)
{
    std::mt19937 random(777);
    constexpr std::size_t kSize = 3 * 1024 * 1024 + 17;
    // Where a NUL is put (a fraction of the size, or none), and whether a word longer than the
    // cut's search runs over the middle.
    const struct
    {
        double NulAt;
        bool LongMiddle;
    } cases[] = {{-1, false}, {0.25, false}, {0.5, false}, {0.75, false}, {-1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "NUL at " << c.NulAt << ", long middle " << c.LongMiddle);
        std::string bytes = RandomBytes(random, kSize, 20, false);
        if (c.NulAt >= 0) {
            bytes[static_cast<std::size_t>(c.NulAt * kSize)] = '\0';
        }
        if (c.LongMiddle) {
            std::fill(bytes.begin() + kSize / 2 - 10, bytes.begin() + kSize / 2 + 200000, 'w');
        }
        // The middle falls inside a CR LF: the cut must not part them.
        bytes[kSize / 2] = '\r';
        bytes[kSize / 2 + 1] = '\n';
        const TModelSplit expected = ModelSplit(bytes);
        std::size_t wordBytes = 0;
        const TModelSplit actual = SplitWithStore(bytes, wordBytes);
        ASSERT_EQ(actual.Words.size(), expected.Words.size());
        EXPECT_TRUE(actual.Words == expected.Words);
        EXPECT_EQ(actual.End, expected.End);
        EXPECT_EQ(wordBytes, TotalBytes(expected.Words));
    }
}

TEST(WordCounter, CountsAsTheLineRulesSplitWhateverThePiecesItIsFed)
{
    std::mt19937 random(99);
    std::uniform_int_distribution<std::size_t> pieceSize(1, 140);
    for (const std::size_t size : {0, 1, 2, 63, 64, 65, 200, 5000}) {
        for (const int breakWeight : {2, 20, 100}) {
            for (int round = 0; round < 30; ++round) {
                const std::string bytes = RandomBytes(random, size, breakWeight, round % 3 == 0);
                SCOPED_TRACE(::testing::PrintToString(bytes));
                TWordCounter counter;
                // Pieces that end anywhere: inside a CR LF, at a NUL, one byte long.
                for (std::size_t at = 0; at < bytes.size();) {
                    const std::size_t piece = std::min(pieceSize(random), bytes.size() - at);
                    counter.Add(bytes.data() + at, piece);
                    at += piece;
                }
                ASSERT_EQ(counter.Words(), ModelSplit(bytes).Words.size());
            }
        }
    }
}

}  // namespace
