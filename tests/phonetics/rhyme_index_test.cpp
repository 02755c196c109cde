// Tests of the rhyme index: its cache file's round trip, every damage it must refuse, its identity
// and the pruning of its folder, and the indexed rhyme search and headword test against the same
// answers asked of espeak-ng and Hunspell word by word, over the sample dictionary.

#include "phonetics/rhyme_index.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "phonetics/headwords.h"
#include "phonetics/key_worker.h"
#include "phonetics/listed_records.h"
#include "phonetics/phonemes.h"
#include "phonetics/rhyme_cache.h"
#include "phonetics/rhyme_key.h"
#include "phonetics/yo_readings.h"
#include "search/word_order.h"
#include "tests/support/recording_control.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/letters.h"
#include "wordstore/word_store.h"

namespace {

namespace fs = std::filesystem;

TDictRhymes SmallIndex()
{
    TDictRhymes index;
    index.SetKeys({"", "amak", "no", "oZna"});
    index.KeyIds = {2, 2, 3, 0, 2};
    index.SetClasses({0x1041, 0, 0x2041, 0x1020, 0x1004});
    index.SecondKeys = {{2, 1}};
    index.MakeKeyLists();
    return index;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(RhymeCache, WhatIsSavedLoadsBackOnlyForTheSameIdentityAndWordCount)
{
    TTempFolder folder;
    const std::string path = folder.Path() + "/deep/er/index";
    SaveDictRhymes(SmallIndex(), path, "identity");
    const std::optional<TDictRhymes> loaded = LoadDictRhymes(path, "identity", 5);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(fs::status(folder.Path() + "/deep").permissions(), fs::perms::owner_all);
    EXPECT_TRUE(*loaded == SmallIndex());
    EXPECT_FALSE(LoadDictRhymes(path, "identitx", 5).has_value());
    EXPECT_FALSE(LoadDictRhymes(path, "identity", 6).has_value());
    EXPECT_FALSE(LoadDictRhymes(folder.Path() + "/missing", "identity", 5).has_value());

    // More kinds of classes than a byte can number are kept word by word.
    TDictRhymes wide = SmallIndex();
    std::vector<std::uint16_t> classes(300);
    std::iota(classes.begin(), classes.end(), std::uint16_t{0x0fc0});
    wide.KeyIds.resize(classes.size(), 3);
    wide.SetClasses(classes);
    wide.MakeKeyLists();
    SaveDictRhymes(wide, path, "identity");
    const std::optional<TDictRhymes> wideLoaded = LoadDictRhymes(path, "identity", 300);
    ASSERT_TRUE(wideLoaded.has_value());
    EXPECT_TRUE(*wideLoaded == wide);
    EXPECT_EQ(wideLoaded->Classes(299), 0x10eb);
}

TEST(RhymeCache, EveryDamagedByteOrCutIsRefused)
{
    TTempFolder folder;
    const std::string path = folder.Path() + "/index";
    SaveDictRhymes(SmallIndex(), path, "identity");
    const std::string sound = ReadFileBytes(path);
    for (std::size_t i = 0; i < sound.size(); ++i) {
        SCOPED_TRACE(i);
        std::string damaged = sound;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x10);
        WriteBytes(path, damaged);
        EXPECT_FALSE(LoadDictRhymes(path, "identity", 5).has_value());
        WriteBytes(path, sound.substr(0, i));
        EXPECT_FALSE(LoadDictRhymes(path, "identity", 5).has_value());
    }
    WriteBytes(path, sound + "x");
    EXPECT_FALSE(LoadDictRhymes(path, "identity", 5).has_value());
}

TEST(RhymeCache, IdentityIsThePairsContentWhereverItLies)
{
    TTempFolder folder;
    const std::string identity = RhymeCacheIdentity(folder.WritePair("a/pair", {"окно"}, {7}));
    // A pair, then whether its index is the first pair's.
    const std::pair<std::string, bool> cases[] = {
        {folder.WritePair("b/copy", {"окно"}, {7}), true},
        {folder.WritePair("c/words", {"сено"}, {7}), false},  // the same sizes
        {folder.WritePair("d/counts", {"окно"}, {8}), false},
    };
    for (const auto& [path, same] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(RhymeCacheIdentity(path) == identity, same);
    }
    EXPECT_EQ(RhymeCacheIdentity(folder.Path() + "/missing.txt"), "");
}

TEST(RhymeCache, ARememberedHashServesOnlyAFileUnchangedSinceItHadSettled)
{
    TTempFolder folder;
    const std::string cache = folder.Path() + "/cache";
    const std::string list = folder.WritePair("dict/pair", {"окно"}, {7});
    // Hashes are remembered only of files last changed over two seconds before.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const std::string identity = RhymeCacheIdentity(list, cache);
    EXPECT_EQ(identity, RhymeCacheIdentity(list));
    // A remembered hash is taken as it stands.
    const std::string memo = ReadFileBytes(cache + "/content-hashes");
    const std::string hash = identity.substr(identity.find("words ") + 8, 16);
    ASSERT_NE(memo.find(hash), std::string::npos);
    folder.Write("cache/content-hashes", memo.substr(0, memo.find(hash)) + "0000000000000000" +
                                             memo.substr(memo.find(hash) + 16));
    EXPECT_NE(RhymeCacheIdentity(list, cache).find("words 6 0000000000000000"), std::string::npos);
    // The same size and time of modification, but written since: hashed again, not remembered.
    const auto modified = fs::last_write_time(list);
    folder.Write("dict/pair.txt", ToCp1251("сено\r\n"));
    fs::last_write_time(list, modified);
    const std::string changed = RhymeCacheIdentity(list, cache);
    EXPECT_EQ(changed, RhymeCacheIdentity(list));
    EXPECT_NE(changed, identity);
    EXPECT_EQ(ReadFileBytes(cache + "/content-hashes").size(), memo.size());
    // Nothing is written beside the pair.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path() + "/dict"), {}), 2);
}

TEST(RhymeCache, ALinkPlantedAtTheTemporaryNameIsNotFollowed)
{
    TTempFolder folder;
    const std::string victim = folder.Write("victim", "mine");
    const std::string path = folder.Path() + "/rhymes-0123456789abcdef.idx";
    const std::string planted = path + ".tmp" + std::to_string(getpid());
    fs::create_symlink(victim, planted);
    SaveDictRhymes(SmallIndex(), path, "identity");
    EXPECT_EQ(ReadFileBytes(victim), "mine");
    EXPECT_TRUE(fs::is_symlink(planted));
    EXPECT_TRUE(LoadDictRhymes(path, "identity", 5).has_value());
}

// Writes bytes to name in folder, last modified days ago.
void WriteAged(const TTempFolder& folder, const std::string& name, double days,
               const std::string& bytes = "x")
{
    const std::chrono::minutes age(static_cast<long>(days * 24 * 60));
    fs::last_write_time(folder.Write(name, bytes), fs::file_time_type::clock::now() - age);
}

TEST(RhymeCache, PruningRemovesOnlyItsOwnFilesUnusedAbandonedOrLeastRecentlyUsedPastTheBound)
{
    // A file of 100 bytes, its age in days, then whether it stays: in a folder pruned with the
    // usual limits, and in one pruned to 250 bytes with file 1 kept.
    using TCase = std::tuple<const char*, double, bool>;
    const std::pair<std::vector<TCase>, TRhymeCacheLimits> folders[] = {
        {{{"rhymes-00000000000000aa.idx", 100, false},
          {"rhymes-00000000000000bb.idx", 80, true},
          {"rhymes-00000000000000aa.idx.tmp77", 0.1, false},
          {"rhymes-00000000000000aa.idx.tmp77-2", 0.01, true},
          {"notes.txt", 100, true},
          {"rhymes-00000000000000AA.idx", 100, true},
          {"rhymes-00000000000000aa.idx.tmp", 100, true}},
         {}},
        {{{"rhymes-0000000000000001.idx", 5, true},
          {"rhymes-0000000000000002.idx", 3, false},
          {"rhymes-0000000000000003.idx", 4, false},
          {"rhymes-0000000000000004.idx", 1, true},
          {"notes.txt", 9, true}},
         {.Bytes = 250}},
    };
    for (const auto& [cases, limits] : folders) {
        TTempFolder folder;
        for (const auto& [name, days, stays] : cases) {
            WriteAged(folder, name, days, std::string(100, 'x'));
        }
        WriteAged(folder, "target", 100);
        fs::create_symlink(folder.Path() + "/target",
                           folder.Path() + "/rhymes-00000000000000cc.idx");
        PruneRhymeCache(folder.Path(), "rhymes-0000000000000001.idx", limits);
        for (const auto& [name, days, stays] : cases) {
            SCOPED_TRACE(name);
            EXPECT_EQ(fs::exists(folder.Path() + "/" + name), stays);
        }
        EXPECT_TRUE(fs::is_symlink(folder.Path() + "/rhymes-00000000000000cc.idx"));
    }
}

// The sample loaded as row 0, and its index built into a fresh cache folder.
class RhymeIndexOnSample : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearWordStore();
        TRecordingLoadView loadView;
        LoadDictionary(kSample, loadView);
        ASSERT_EQ(DictWords.size(), 1u);
        m_index.Start({kSample}, m_cache.Path());
        ASSERT_TRUE(m_index.Wait());
        EXPECT_TRUE(m_index.TakeWarnings().empty());
    }
    void TearDown() override { ClearWordStore(); }

    static constexpr const char* kSample = SLOVOSITO_SAMPLE_DIR "/opensub2018_ru_50k.txt";
    TTempFolder m_cache;
    TRhymeIndex m_index;
};

TEST_F(RhymeIndexOnSample, RhymeSearchListsWhatEspeakGivesWordByWord)
{
    const TWordList& words = DictWords[0];
    for (const char* query :
         {"окно", "любовь", "дорога", "ночь", "замок", "идёт", "идет", "небо"}) {
        SCOPED_TRACE(query);
        // Each word read as the index reads it, ё restored.
        const TYoReadings& yo = InstalledYoReadings();
        const std::vector<std::string> keys = ReadingKeysOf(yo.ToPhonemise(ToCp1251(query)));
        ASSERT_FALSE(keys.empty());
        const auto listedBefore = [](const std::string& a, const std::string& b) {
            return ListedBefore(a, b);
        };
        std::set<std::string, decltype(listedBefore)> expected(listedBefore);
        for (std::size_t j = 0; j < words.size(); ++j) {
            const std::string word(words[j]);
            if (word == ToCp1251(query) || word.empty()) {
                continue;
            }
            for (const std::string& key : ReadingKeysOf(yo.ToPhonemise(LowerKeepingYo(word)))) {
                if (std::any_of(keys.begin(), keys.end(), [&](const std::string& queried) {
                        return RhymePart(queried) == RhymePart(key);
                    })) {
                    expected.insert(word);
                }
            }
        }
        std::string listing;
        for (const std::string& word : expected) {
            listing += (listing.empty() ? "" : "\r\n") + ToUtf8(word);
        }
        TRecordingControl control;
        control.Given.Alphabetical = true;
        control.Given.TimeLimit = std::chrono::seconds(0);
        control.Ticked = {true};
        EXPECT_EQ(ListRun(RhymeTest(ToCp1251(query), m_index), control).Text, listing);
        EXPECT_GT(expected.size(), 3u);
    }
}

TEST_F(RhymeIndexOnSample, HeadwordFlagsAreHunspellsAnswersAndTheCacheGivesThemBack)
{
    const TWordList& words = DictWords[0];
    THeadwordTest headwords;
    ASSERT_TRUE(headwords.Available());
    const auto keep = HeadwordTest(m_index);
    std::size_t kept = 0;
    // Every 7th word: the answers of a whole dictionary take a second.
    for (std::size_t j = 0; j < words.size(); j += 7) {
        EXPECT_EQ(keep(0, j), headwords.IsHeadword(words[j])) << ToUtf8(words[j]);
        kept += keep(0, j) ? 1 : 0;
    }
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, words.size() / 7);
    // A second index over the same cache loads what the first wrote.
    TRhymeIndex again;
    again.Start({kSample}, m_cache.Path());
    ASSERT_TRUE(again.Wait());
    EXPECT_TRUE(again.Dictionaries()[0] == m_index.Dictionaries()[0]);
}

// A load view that keeps only the words a rhyme search's cached index names.
class TRhymePlacesView : public TRecordingLoadView
{
public:
    TRhymePlacesView(const std::string& word, bool nearToo, const std::string& cacheFolder)
        : Indexes(cacheFolder)
        , Places(word, nearToo, Indexes)
    {}
    std::optional<TKeptPlaces> KeptPlaces(const std::string& path,
                                          const TWordFinder& words) override
    {
        return Places.PlacesIn(path, words);
    }

    TCachedIndexes Indexes;
    TRhymePlaces Places;
};

// A rhyme search over only the words its cached index names lists what one over every word
// lists: the same words, tiers, counts and stresses in the same order, with the headword filter
// too, and with a dictionary before the sample that lacks the word, or holds it unindexed.
TEST_F(RhymeIndexOnSample, LoadingOnlyTheWordsTheIndexNamesListsTheSame)
{
    const TTempFolder folder;
    const struct
    {
        const char* Word;
        bool Near = false;
        bool Headwords = false;
        // A dictionary of a few words loaded before the sample, with a count of its own so that
        // its index is its own, searched first without and then with its index in the cache.
        int SmallCount = 0;
        bool Kept = true;  // whether the sample's words are kept at their places
    } cases[] = {
        {"окно"},
        {"замок"},
        {"идет"},
        {"небо", true},
        {"любовь", false, true},
        {"дорога", true, true},
        {"окно", false, false, 1},
        // The small dictionary holds кино first, and its index is not in the cache yet.
        {"кино", false, false, 2, false},
        {"синхрофазотрон", false, false, false, false},  // not in the sample
        {"замо'к", false, false, false, false},          // a stress typed
    };
    const auto listing = [](const TRhymeIndex& index, const std::optional<TRhymeSearch>& search,
                            bool headwords) {
        TRecordingControl control;
        control.Given.TimeLimit = std::chrono::seconds(0);
        control.Ticked.assign(DictWords.size(), true);
        if (headwords) {
            control.Given.Filter.KeepAll({HeadwordTest(index)});
        }
        TSearchRun run(control);
        std::vector<std::string> lines;
        for (const THitRecord& record :
             ListedRecords(run.Collect(search->Test()), false, &*search, &index)) {
            lines.push_back(ToUtf8(record.Word) + " " + record.Label + " " +
                            std::to_string(record.Count) + " " + std::to_string(record.Row));
        }
        return lines;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::make_tuple(c.Word, c.Near, c.SmallCount)));
        const std::string word = ToCp1251(c.Word);
        std::vector<std::string> paths = {kSample};
        if (c.SmallCount != 0) {
            paths.insert(paths.begin(),
                         folder.WritePair("small" + std::to_string(c.SmallCount),
                                          {"кино", "вино", "дно"}, {9, 8, c.SmallCount}));
        }
        ClearWordStore();
        TRhymePlacesView keptView(word, c.Near, m_cache.Path());
        for (const std::string& path : paths) {
            LoadDictionary(path, keptView);
        }
        EXPECT_EQ(DictKept.back().has_value(), c.Kept);
        TRhymeIndex kept;
        kept.Start(paths, m_cache.Path(), TBuildPriority::Normal, keptView.Indexes.Take());
        ASSERT_TRUE(kept.Wait());
        std::optional<TRhymeSearch> keptSearch(std::in_place, word, kept, c.Near,
                                               keptView.Places.Keys());
        const std::vector<std::string> found = listing(kept, keptSearch, c.Headwords);

        ClearWordStore();
        TRecordingLoadView wholeView;
        for (const std::string& path : paths) {
            LoadDictionary(path, wholeView);
        }
        TRhymeIndex whole;
        whole.Start(paths, m_cache.Path());
        ASSERT_TRUE(whole.Wait());
        std::optional<TRhymeSearch> wholeSearch(std::in_place, word, whole, c.Near);
        const std::vector<std::string> expected = listing(whole, wholeSearch, c.Headwords);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(found, expected);
    }
}

TEST(RhymeIndex, CancelStopsTheBuildAndNothingIsReady)
{
    ClearWordStore();
    TRecordingLoadView loadView;
    LoadDictionary(SLOVOSITO_SAMPLE_DIR "/opensub2018_ru_50k.txt", loadView);
    TTempFolder cache;
    TRhymeIndex index;
    index.Start({SLOVOSITO_SAMPLE_DIR "/opensub2018_ru_50k.txt"}, cache.Path());
    // Cancelled at the first report, which comes before the build could have got far.
    int calls = 0;
    EXPECT_FALSE(index.Wait([&](double fraction) {
        EXPECT_GE(fraction, 0.0);
        EXPECT_LE(fraction, 1.0);
        return ++calls < 1;
    }));
    EXPECT_FALSE(index.Ready());
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(index.Dictionaries().empty());
    ClearWordStore();
}

}  // namespace
