// Tests of the hit set's listing against the result tree's, on generated stores, and of the
// two-thread walk against the one-thread walk through the search runs.

#include "search/hit_listing.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/hit_order.h"
#include "search/hit_set.h"
#include "search/letter_search.h"
#include "search/number_text.h"
#include "search/regexpr.h"
#include "search/search_run.h"
#include "tests/support/recording_control.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/result_tree.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

namespace {

using ::testing::ThrowsMessage;

// Writes a dictionary of count random words (UTF-8) made of letters, up to maxLength letters
// long, with counts drawn from few values so that many are equal; some words repeat and many
// share their first eight bytes.
void WriteRandomPair(const TTempFolder& folder, const char* name, int count,
                     const std::vector<std::string>& letters, int maxLength, std::mt19937& random)
{
    std::vector<std::string> words;
    std::vector<std::int32_t> counts;
    for (int i = 0; i < count; ++i) {
        std::string word;
        const int length = 1 + static_cast<int>(random() % static_cast<unsigned>(maxLength));
        for (int k = 0; k < length; ++k) {
            word += letters[random() % letters.size()];
        }
        words.push_back(word);
        counts.push_back(static_cast<std::int32_t>(1 + random() % 40) *
                         static_cast<std::int32_t>(1 + random() % 3));
    }
    folder.WritePair(name, words, counts);
}

class HitListing : public ::testing::Test
{
protected:
    void SetUp() override { ClearWordStore(); }
    void TearDown() override { ClearWordStore(); }

    // Loads three dictionaries of counts[i] random words, of up to 12, secondLength and 3
    // letters. "е" and "ё" sort side by side; "ь" and "я" far apart; long words share prefixes.
    void LoadStore(std::mt19937& random, const std::array<int, 3>& counts, int secondLength)
    {
        const std::vector<std::string> letters = {"е", "ё", "ь", "я", "а", "Е", "Ё"};
        WriteRandomPair(m_folder, "a", counts[0], letters, 12, random);
        WriteRandomPair(m_folder, "b", counts[1], letters, secondLength, random);
        WriteRandomPair(m_folder, "c", counts[2], letters, 3, random);
        ScanDictionaryFolder(m_folder.Path(), m_loadView);
        ASSERT_EQ(DictWords.size(), 3u);
    }

    TTempFolder m_folder;
    TRecordingLoadView m_loadView;
};

// The listing the result tree gives for hits inserted in number order.
std::string TreeListing(const THitSet& hits, bool alphabetical, bool showIpm)
{
    ResetResultTree();
    hits.ForEach([&](std::size_t number) {
        const TStoredWord word = hits.Word(number);
        if (alphabetical) {
            InsertByWord(StoredBytes(word), StoredIpm(word));
        } else {
            InsertByValue(StoredBytes(word), StoredIpm(word));
        }
    });
    std::string listing;
    if (showIpm) {
        ListWordsWithIpm(listing);
    } else {
        ListWords(listing);
    }
    return listing;
}

// The store's words but the empty ones, each kept with a chance of one in keepOneIn.
THitSet RandomHits(unsigned keepOneIn, std::mt19937& random)
{
    THitSet hits;
    for (std::size_t number = 0; number < hits.Size(); ++number) {
        if (random() % keepOneIn == 0 && !StoredBytes(hits.Word(number)).empty()) {
            hits.Add(number);
        }
    }
    return hits;
}

TEST_F(HitListing, ListsWhatTheResultTreeListsInBothOrdersAndAnyBlockSize)
{
    std::mt19937 random(20261209);
    LoadStore(random, {3001, 0, 1999}, 12);

    // Every word, then about a third of them.
    for (const unsigned keepOneIn : {1u, 3u}) {
        const THitSet hits = RandomHits(keepOneIn, random);
        for (const bool alphabetical : {false, true}) {
            for (const bool showIpm : {false, true}) {
                SCOPED_TRACE(std::to_string(keepOneIn) + (alphabetical ? " by word" : " by value") +
                             (showIpm ? " with ipm" : ""));
                const std::string expected = TreeListing(hits, alphabetical, showIpm);
                ASSERT_NE(expected, "");
                THitOrder order;
                order.Sort(hits, alphabetical);
                for (const std::size_t blockSize :
                     {std::size_t{1}, std::size_t{7}, std::size_t{1} << 20}) {
                    std::string listing;
                    std::size_t blocks = 0;
                    WriteListing(
                        hits, order, showIpm,
                        [&](std::string_view block) {
                            EXPECT_FALSE(block.empty());
                            listing += block;
                            ++blocks;
                        },
                        blockSize);
                    EXPECT_EQ(listing, expected);
                    EXPECT_EQ(blocks == 1, blockSize > expected.size());
                }
                // One line per hit listed: a line break fewer than lines.
                std::size_t breaks = 0;
                for (std::size_t pos = expected.find("\r\n"); pos != std::string::npos;
                     pos = expected.find("\r\n", pos + 2)) {
                    ++breaks;
                }
                EXPECT_EQ(order.Count(), breaks + 1);
            }
        }
    }
}

TEST_F(HitListing, ByWordInGroupsListsWhatTheResultTreeListsForAnyGroupAndBlockSize)
{
    std::mt19937 random(20261211);
    // Words of up to 30 bytes, past the short copies.
    LoadStore(random, {2003, 601, 1499}, 30);

    for (const unsigned keepOneIn : {1u, 4u}) {
        const THitSet hits = RandomHits(keepOneIn, random);
        for (const bool showIpm : {false, true}) {
            const std::string expected = TreeListing(hits, true, showIpm);
            ASSERT_NE(expected, "");
            const std::size_t lines =
                static_cast<std::size_t>(std::count(expected.begin(), expected.end(), '\n')) + 1;
            // A group per bucket, a few buckets a group, all of them in one.
            for (const std::size_t groupSize : {std::size_t{1}, std::size_t{97}, kWordGroupSize}) {
                for (const std::size_t blockSize : {std::size_t{1}, std::size_t{1} << 20}) {
                    SCOPED_TRACE(std::to_string(keepOneIn) + (showIpm ? " with ipm" : "") +
                                 " group " + std::to_string(groupSize) + " block " +
                                 std::to_string(blockSize));
                    std::string listing;
                    const std::size_t written = WriteListingByWord(
                        hits, showIpm, [&](std::string_view block) { listing += block; }, blockSize,
                        groupSize);
                    EXPECT_EQ(listing, expected);
                    EXPECT_EQ(written, lines);
                }
            }
        }
    }
}

TEST_F(HitListing, EmptySetWritesNothing)
{
    m_folder.WritePair("a", {"кот", "кит"}, {1, 2});
    ScanDictionaryFolder(m_folder.Path(), m_loadView);
    THitSet hits;
    EXPECT_EQ(hits.Size(), 2u);
    for (const bool alphabetical : {false, true}) {
        THitOrder order;
        order.Sort(hits, alphabetical);
        EXPECT_EQ(order.Count(), 0u);
        WriteListing(hits, order, true, [](std::string_view) { ADD_FAILURE() << "a block"; });
    }
    EXPECT_EQ(WriteListingByWord(hits, true, [](std::string_view) { ADD_FAILURE() << "a block"; }),
              0u);
}

TEST_F(HitListing, NumbersRunOverEveryRowInOrderSkippingEmptyRows)
{
    m_folder.WritePair("a", {"а", "б"}, {1, 1});
    m_folder.WritePair("b", {}, {});
    m_folder.WritePair("c", {"в", "г", "д"}, {1, 1, 1});
    ScanDictionaryFolder(m_folder.Path(), m_loadView);
    const THitSet hits;
    ASSERT_EQ(hits.Size(), 5u);
    const char* const words[] = {"а", "б", "в", "г", "д"};
    const std::size_t rows[] = {0, 0, 2, 2, 2};
    for (std::size_t number = 0; number < 5; ++number) {
        SCOPED_TRACE(number);
        const TStoredWord word = hits.Word(number);
        EXPECT_EQ(word.Row, rows[number]);
        EXPECT_EQ(ToUtf8(StoredBytes(word)), words[number]);
        EXPECT_EQ(hits.Number(word.Row, word.Index), number);
    }
}

// One run's outcome, comparable as a whole.
struct TOutcome
{
    std::string Listing;
    std::size_t Lines = 0;
    std::vector<std::string> Records;

    bool operator==(const TOutcome&) const = default;
};

TOutcome Outcome(const TWordTest& test, TRecordingControl& control, bool withRecords)
{
    const TRunListing listed = ListRun(test, control, withRecords);
    TOutcome outcome{listed.Text, listed.Lines, {}};
    for (const THitRecord& record : listed.Records) {
        outcome.Records.push_back(ToUtf8(record.Word) + " " + IpmText(record.Ipm) + " " +
                                  std::to_string(record.Count) + " " + std::to_string(record.Row));
    }
    return outcome;
}

constexpr std::size_t kOneThread = std::numeric_limits<std::size_t>::max();

class TwoThreads : public HitListing
{
protected:
    // Three ticked rows of odd sizes around an unticked one, so that the stretches end inside
    // rows and away from a row's start.
    void LoadRandomStore()
    {
        std::mt19937 random(20261210);
        const std::vector<std::string> letters = {"а", "б", "е", "ё", "к", "о", "т", "я"};
        // Big enough for a few of the stretches that each thread takes in turn.
        WriteRandomPair(m_folder, "a", 12371, letters, 9, random);
        WriteRandomPair(m_folder, "b", 3001, letters, 9, random);
        WriteRandomPair(m_folder, "c", 21113, letters, 9, random);
        WriteRandomPair(m_folder, "d", 77, letters, 9, random);
        ScanDictionaryFolder(m_folder.Path(), m_loadView);
        ASSERT_EQ(DictWords.size(), 4u);
        m_control.Ticked = {true, false, true, true};
        m_control.Given.ShowIpm = true;
        m_control.Given.MinIpmText = "0";
    }

    TRecordingControl m_control;
};

TEST_F(TwoThreads, ListAsOneThreadWithEveryQueryOrderAndSetting)
{
    LoadRandomStore();
    // Many hits, few hits, none; the engine, a mask's wildcard, endings with and without е.
    const TWordTest tests[] = {
        *PatternTest(ToCp1251("/[ая]/")),
        *PatternTest(ToCp1251("/^ко.*т$/")),
        *PatternTest(ToCp1251("/^.*ёё.*$/")),
        *PatternTest(ToCp1251("/ъ/")),
        // Masks whose words are turned away by their last bytes first.
        *PatternTest(ToCp1251("/^.*к[её]$/")),
        *PatternTest(ToCp1251("/^.*[ая]т$/")),
        EndingTest(ToCp1251("т")),
        EndingTest(ToCp1251("е")),
        EndingTest(""),
        // The letter searches' copies count letters apart; a "?" makes them count by hand.
        *LetterTest(TLetterMode::Anagram, ToCp1251("ток?")),
        *LetterTest(TLetterMode::FromLetters, ToCp1251("коттедж")),
        *LetterTest(TLetterMode::FromLetters, ToCp1251("??актёров")),
    };
    TWordFilter lengths;
    lengths.Length = TCountRange{3, 6};
    TWordFilter syllables;
    syllables.Syllables = TCountRange{2, 2};
    const TWordFilter filters[] = {TWordFilter{}, lengths, syllables};
    for (std::size_t test = 0; test < std::size(tests); ++test) {
        for (const bool alpha : {false, true}) {
            for (const char* minimum : {"0", "3000"}) {
                for (std::size_t filter = 0; filter < std::size(filters); ++filter) {
                    SCOPED_TRACE("test " + std::to_string(test) + (alpha ? " by word" : "") +
                                 " min " + minimum + " filter " + std::to_string(filter));
                    m_control.Given.Alphabetical = alpha;
                    m_control.Given.MinIpmText = minimum;
                    m_control.Given.Filter = filters[filter];
                    m_control.Given.TwoThreadsFrom = kOneThread;
                    const TOutcome one = Outcome(tests[test], m_control, filter == 1);
                    m_control.Given.TwoThreadsFrom = 0;
                    const TOutcome two = Outcome(tests[test], m_control, filter == 1);
                    EXPECT_EQ(two, one);
                }
            }
        }
    }
}

TEST_F(TwoThreads, StalledRunsFindEveryHit)
{
    // The first row is unticked and of an odd size, so that the walk starts off a multiple of 64;
    // every word is a hit, so that the threads write their neighbouring stretches' bits densely.
    std::mt19937 random(20261209);
    const std::vector<std::string> letters = {"а", "е", "к", "о", "т"};
    WriteRandomPair(m_folder, "a", 50001, letters, 7, random);
    WriteRandomPair(m_folder, "b", 250003, letters, 7, random);
    WriteRandomPair(m_folder, "c", 1237, letters, 7, random);
    ScanDictionaryFolder(m_folder.Path(), m_loadView);
    m_control.Ticked = {false, true, true};
    m_control.Given.MinIpmText = "0";
    const TWordTest everyWord = EndingTest("");
    for (const bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "by word" : "by value");
        m_control.Given.Alphabetical = alpha;
        m_control.Given.TwoThreadsFrom = kOneThread;
        m_control.OnKeepGoing = nullptr;
        const TOutcome one = Outcome(everyWord, m_control, false);
        ASSERT_GT(one.Lines, alpha ? 1000u : 251000u);
        // Stalls of the calling thread, where it asks whether to go on, shift it against the
        // other thread as a busy machine does.
        m_control.Given.TwoThreadsFrom = 0;
        std::minstd_rand stalls(7);
        m_control.OnKeepGoing = [&stalls](TSearchClock::duration) {
            if (stalls() % 4 == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(stalls() % 300));
            }
            return true;
        };
        for (int run = 0; run < 20; ++run) {
            SCOPED_TRACE("run " + std::to_string(run));
            // With records, as the window lists, and without, as the command line does.
            const TOutcome two = Outcome(everyWord, m_control, run % 2 == 0);
            ASSERT_EQ(two.Listing, one.Listing);
            ASSERT_EQ(two.Lines, one.Lines);
        }
    }
}

TEST_F(TwoThreads, ListingByWordIsTheSameWhetherRecordsAreAskedForOrNot)
{
    // Without records a listing by word is written a group at a time, with them from the whole
    // order that the records also come from.
    LoadRandomStore();
    const TWordTest tests[] = {*PatternTest(ToCp1251("/[ая]/")), EndingTest(""),
                               *PatternTest(ToCp1251("/ъ/"))};
    m_control.Given.Alphabetical = true;
    for (std::size_t test = 0; test < std::size(tests); ++test) {
        for (const bool ipm : {false, true}) {
            SCOPED_TRACE("test " + std::to_string(test) + (ipm ? " with ipm" : ""));
            m_control.Given.ShowIpm = ipm;
            const TOutcome withRecords = Outcome(tests[test], m_control, true);
            const TOutcome without = Outcome(tests[test], m_control, false);
            EXPECT_EQ(without.Listing, withRecords.Listing);
            EXPECT_EQ(without.Lines, withRecords.Lines);
            EXPECT_EQ(without.Records, std::vector<std::string>());
        }
    }
    // Guards the comparison against empty listings only.
    m_control.Given.Alphabetical = false;
    EXPECT_GT(Outcome(tests[1], m_control, true).Records.size(), 1000u);
    EXPECT_EQ(Outcome(tests[2], m_control, false).Lines, 0u);
}

TEST_F(TwoThreads, ExpressionErrorReachesTheCaller)
{
    LoadRandomStore();
    m_control.Given.TwoThreadsFrom = 0;
    EXPECT_THAT([&] { ListRun(*PatternTest(ToCp1251("/ко[тд/")), m_control); },
                ThrowsMessage<ERegExprError>(::testing::StartsWith("TRegExpr(comp): ")));
}

TEST_F(TwoThreads, ControlThatStopsKeepingOnCancelsBothHalves)
{
    LoadRandomStore();
    m_control.Given.TwoThreadsFrom = 0;
    m_control.OnKeepGoing = [](TSearchClock::duration) { return false; };
    const TWordTest test = *PatternTest(ToCp1251("/[ая]/"));
    EXPECT_THAT([&] { ListRun(test, m_control); },
                ThrowsMessage<ESearchCancelled>("Search cancelled"));
    // The same control lists again once it lets the run go on.
    m_control.OnKeepGoing = nullptr;
    EXPECT_GT(ListRun(test, m_control).Lines, 0u);
}

}  // namespace
