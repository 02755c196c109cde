// Tests of the hit set's listing against the result tree's, on generated stores, and of the
// two-thread walk against the one-thread walk through the search runs.

#include "search/hit_listing.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/letter_search.h"
#include "search/number_text.h"
#include "search/regexpr.h"
#include "search/result_tree.h"
#include "search/search_run.h"
#include "tests/support/recording_load_view.h"
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

// A view that lists whole or in blocks, on one thread or two, and keeps what it was shown.
class TThreadsView : public TSearchView
{
public:
    bool Alpha = false;
    bool Ipm = true;
    std::string MinIpm = "0";
    TWordFilter Filter;
    std::size_t TwoThreadsFrom = 0;
    bool Blocks = false;
    bool Records = false;
    bool List = false;
    int BlockBrackets = 0;  // BeginListingBlocks() and EndListingBlocks() seen in this run
    std::size_t SizeBound = 0;
    std::vector<bool> Ticked;
    bool Cancel = false;

    std::string Listing;
    std::string Found;
    std::vector<THitRecord> HitRecords;

    TSearchSettings Settings() const override
    {
        TSearchSettings settings;
        settings.Alphabetical = Alpha;
        settings.ShowIpm = Ipm;
        settings.MinIpmText = ToCp1251(MinIpm);
        settings.Filter = Filter;
        settings.TwoThreadsFrom = TwoThreadsFrom;
        return settings;
    }
    std::size_t RowCount() const override { return Ticked.size(); }
    bool RowTicked(std::size_t row) const override { return Ticked.at(row); }
    void ShowInterim(const std::string&) override
    {
        BlockBrackets = 0;
        Listing.clear();
        HitRecords.clear();
    }
    void ShowListing(const std::string& listing) override
    {
        EXPECT_FALSE(Blocks);
        Listing = listing;
    }
    bool KeepGoing(TSearchClock::duration) override { return !Cancel; }
    bool WantsListingBlocks() const override { return Blocks; }
    void ShowListingBlock(std::string_view block) override
    {
        EXPECT_TRUE(Blocks);
        EXPECT_EQ(BlockBrackets, 1) << "a piece outside BeginListingBlocks/EndListingBlocks";
        Listing += block;
    }
    void BeginListingBlocks(std::size_t sizeBound) override
    {
        EXPECT_TRUE(Blocks);
        EXPECT_EQ(BlockBrackets++, 0);
        SizeBound = sizeBound;
    }
    void EndListingBlocks() override
    {
        EXPECT_EQ(BlockBrackets++, 1);
        EXPECT_LE(Listing.size(), SizeBound);
    }
    void ShowFoundCount(const std::string& caption) override { Found = ToUtf8(caption); }
    bool WantsHitRecords() const override { return Records; }
    bool WantsHitList() const override { return List; }
    void ShowHitList(THitList hits) override { HitRecords = hits.Records(); }
    void ShowHitRecords(std::vector<THitRecord> records) override
    {
        HitRecords = std::move(records);
    }
};

// One run's outcome, comparable as a whole.
struct TOutcome
{
    std::string Listing;
    std::string Found;
    std::vector<std::string> Records;

    bool operator==(const TOutcome&) const = default;
};

TOutcome Outcome(TThreadsView& view, const std::function<void(TSearchView&)>& run)
{
    run(view);
    TOutcome outcome{view.Listing, view.Found, {}};
    for (const THitRecord& record : view.HitRecords) {
        outcome.Records.push_back(ToUtf8(record.Word) + " " + IpmText(record.Ipm) + " " +
                                  std::to_string(record.Count) + " " + std::to_string(record.Row));
    }
    return outcome;
}

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
        m_view.Ticked = {true, false, true, true};
    }

    TThreadsView m_view;
};

TEST_F(TwoThreads, ListAsOneThreadWithEveryQueryOrderAndSetting)
{
    LoadRandomStore();
    // Many hits, few hits, none; the engine, a mask's wildcard, endings with and without е.
    const std::function<void(TSearchView&)> runs[] = {
        [](TSearchView& view) { PatternSearch(ToCp1251("/[ая]/"), view); },
        [](TSearchView& view) { PatternSearch(ToCp1251("/^ко.*т$/"), view); },
        [](TSearchView& view) { PatternSearch(ToCp1251("/^.*ёё.*$/"), view); },
        [](TSearchView& view) { PatternSearch(ToCp1251("/ъ/"), view); },
        // Masks whose words are turned away by their last bytes first.
        [](TSearchView& view) { PatternSearch(ToCp1251("/^.*к[её]$/"), view); },
        [](TSearchView& view) { PatternSearch(ToCp1251("/^.*[ая]т$/"), view); },
        [](TSearchView& view) { EndingSearch(ToCp1251("т"), view); },
        [](TSearchView& view) { EndingSearch(ToCp1251("е"), view); },
        [](TSearchView& view) { EndingSearch("", view); },
        // The letter searches' copies count letters apart; a "?" makes them count by hand.
        [](TSearchView& view) { LetterSearch(TLetterMode::Anagram, ToCp1251("ток?"), view); },
        [](TSearchView& view) {
            LetterSearch(TLetterMode::FromLetters, ToCp1251("коттедж"), view);
        },
        [](TSearchView& view) {
            LetterSearch(TLetterMode::FromLetters, ToCp1251("??актёров"), view);
        },
    };
    TWordFilter lengths;
    lengths.Length = TCountRange{3, 6};
    TWordFilter syllables;
    syllables.Syllables = TCountRange{2, 2};
    const TWordFilter filters[] = {TWordFilter{}, lengths, syllables};
    std::size_t runIndex = 0;
    for (const auto& run : runs) {
        for (const bool alpha : {false, true}) {
            for (const char* minimum : {"0", "3000"}) {
                for (std::size_t filter = 0; filter < std::size(filters); ++filter) {
                    SCOPED_TRACE("run " + std::to_string(runIndex) + (alpha ? " by word" : "") +
                                 " min " + minimum + " filter " + std::to_string(filter));
                    m_view.Alpha = alpha;
                    m_view.MinIpm = minimum;
                    m_view.Filter = filters[filter];
                    m_view.Records = filter == 1;
                    m_view.Blocks = false;
                    m_view.TwoThreadsFrom = std::numeric_limits<std::size_t>::max();
                    const TOutcome one = Outcome(m_view, run);
                    m_view.TwoThreadsFrom = 0;
                    m_view.Blocks = true;
                    const TOutcome two = Outcome(m_view, run);
                    EXPECT_EQ(two, one);
                }
            }
        }
        ++runIndex;
    }
}

TEST_F(TwoThreads, ListingByWordIsTheSameWhetherTheViewWantsHitRecordsOrNot)
{
    // Without records a listing by word is written a group at a time, with them from the whole
    // order that the records also come from.
    LoadRandomStore();
    const std::function<void(TSearchView&)> runs[] = {
        [](TSearchView& view) { PatternSearch(ToCp1251("/[ая]/"), view); },
        [](TSearchView& view) { EndingSearch("", view); },
        [](TSearchView& view) { PatternSearch(ToCp1251("/ъ/"), view); },
    };
    m_view.Alpha = true;
    for (std::size_t run = 0; run < std::size(runs); ++run) {
        for (const bool ipm : {false, true}) {
            for (const bool blocks : {false, true}) {
                SCOPED_TRACE("run " + std::to_string(run) + (ipm ? " with ipm" : "") +
                             (blocks ? " in blocks" : ""));
                m_view.Ipm = ipm;
                m_view.Blocks = blocks;
                m_view.Records = true;
                const TOutcome withRecords = Outcome(m_view, runs[run]);
                m_view.Records = false;
                const TOutcome without = Outcome(m_view, runs[run]);
                EXPECT_EQ(without.Listing, withRecords.Listing);
                EXPECT_EQ(without.Found, withRecords.Found);
                EXPECT_EQ(without.Records, std::vector<std::string>());
            }
        }
    }
}

TEST_F(TwoThreads, HitListGivesTheRecordsThatTheRunGivesAsRecords)
{
    LoadRandomStore();
    const std::function<void(TSearchView&)> runs[] = {
        [](TSearchView& view) { PatternSearch(ToCp1251("/^ко.*т$/"), view); },
        [](TSearchView& view) { EndingSearch("", view); },
        [](TSearchView& view) { PatternSearch(ToCp1251("/ъ/"), view); },
    };
    for (std::size_t run = 0; run < std::size(runs); ++run) {
        for (const bool alpha : {false, true}) {
            for (const bool blocks : {false, true}) {
                SCOPED_TRACE("run " + std::to_string(run) + (alpha ? " by word" : "") +
                             (blocks ? " in blocks" : ""));
                m_view.Alpha = alpha;
                m_view.Blocks = blocks;
                m_view.Records = true;
                m_view.List = false;
                const TOutcome records = Outcome(m_view, runs[run]);
                m_view.Records = false;
                m_view.List = true;
                const TOutcome list = Outcome(m_view, runs[run]);
                EXPECT_EQ(list, records);
                if (blocks) {
                    EXPECT_EQ(m_view.BlockBrackets, 2);
                }
            }
        }
    }
    // Guards the comparison against empty record lists only.
    m_view.List = true;
    EXPECT_GT(Outcome(m_view, runs[1]).Records.size(), 1000u);
}

TEST_F(TwoThreads, MostRunsListSomethingAndSomeListNothing)
{
    // Guards the test above against comparing empty listings only.
    LoadRandomStore();
    m_view.TwoThreadsFrom = 0;
    const TOutcome many =
        Outcome(m_view, [](TSearchView& view) { PatternSearch(ToCp1251("/[ая]/"), view); });
    const TOutcome none =
        Outcome(m_view, [](TSearchView& view) { PatternSearch(ToCp1251("/ъ/"), view); });
    EXPECT_GT(many.Listing.size(), 10000u);
    EXPECT_EQ(none.Listing, "");
    EXPECT_EQ(none.Found, "Найдено:0");
}

TEST_F(TwoThreads, ExpressionErrorReachesTheCaller)
{
    LoadRandomStore();
    m_view.TwoThreadsFrom = 0;
    EXPECT_THAT([&] { PatternSearch(ToCp1251("/ко[тд/"), m_view); },
                ThrowsMessage<ERegExprError>(::testing::StartsWith("TRegExpr(comp): ")));
}

TEST_F(TwoThreads, ViewThatStopsKeepingOnCancelsBothHalves)
{
    LoadRandomStore();
    m_view.TwoThreadsFrom = 0;
    m_view.Cancel = true;
    EXPECT_THAT([&] { PatternSearch(ToCp1251("/[ая]/"), m_view); },
                ThrowsMessage<ESearchCancelled>("Search cancelled"));
    EXPECT_EQ(m_view.Found, "");
    // The same view lists again once it lets the run go on.
    m_view.Cancel = false;
    PatternSearch(ToCp1251("/[ая]/"), m_view);
    EXPECT_NE(m_view.Found, "");
}

}  // namespace
