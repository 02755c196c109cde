// Tests of the rhyme index built with the helper process against the index one process builds,
// also when the helper fails, of the key lists against the index's own key test, and of the rhyme
// search over the key lists against the search that tests every word.

#include "phonetics/rhyme_build.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include "phonetics/phonemes.h"
#include "phonetics/rhyme_index.h"
#include "phonetics/rhyme_key.h"
#include "search/search_run.h"
#include "tests/support/child_process.h"
#include "tests/support/recording_control.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/rhyme_walk.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

namespace {

constexpr const char* kSample = SLOVOSITO_SAMPLE_DIR "/opensub2018_ru_50k.txt";

void ExpectSameIndex(const TDictRhymes& got, const TDictRhymes& expected)
{
    EXPECT_TRUE(got == expected);
}

// Builds the index of words with the helper at helperPath ("" for none), started for any number
// of words; checks the words counted done. Sets helperWords to the words the helper did.
TDictRhymes Built(const TWordList& words, const std::string& helperPath, std::size_t& helperWords)
{
    std::atomic<bool> cancel{false};
    std::atomic<std::size_t> done{0};
    TRhymeBuildWorkers workers;
    workers.HelperPath = helperPath;
    workers.SecondHelperFrom = 0;
    workers.HelperWords = &helperWords;
    std::optional<TDictRhymes> index = BuildDictRhymes(words, cancel, done, workers);
    EXPECT_EQ(done.load(), 2 * words.size());
    return index ? std::move(*index) : TDictRhymes();
}

// Loads the sample alone into the word store.
void LoadSample()
{
    ClearWordStore();
    TRecordingLoadView loadView;
    LoadDictionary(kSample, loadView);
}

class RhymeBuild : public ::testing::Test
{
protected:
    void SetUp() override { LoadSample(); }
    void TearDown() override { ClearWordStore(); }
};

TEST_F(RhymeBuild, HelperProcessMakesTheIndexOneProcessMakes)
{
    EXPECT_EQ(RhymeKeyHelperPath(), SLOVOSITO_KEY_HELPER_PATH);
    const TWordList& words = DictWords.at(0);
    std::size_t helperWords = 1;
    const TDictRhymes alone = Built(words, "", helperWords);
    EXPECT_EQ(helperWords, 0u);
    // The sample has homographs and words without a key, so every part is compared.
    EXPECT_FALSE(alone.SecondKeys.empty());
    EXPECT_TRUE(std::count(alone.KeyIds.begin(), alone.KeyIds.end(), 0U) > 0);

    const TDictRhymes helped = Built(words, SLOVOSITO_KEY_HELPER_PATH, helperWords);
    ExpectSameIndex(helped, alone);
    EXPECT_EQ(helperWords, words.size());
}

TEST_F(RhymeBuild, AFailingHelperCostsOnlyTheWordsItFailsOnOrEndsTheBuild)
{
    TTempFolder folder;
    // The true helper with its input cut short after 6000 bytes, inside the second batch of the
    // sample's short first words: it answers the first and then ends, as a helper that crashes
    // halfway would.
    const std::string cut = folder.Path() + "/cut-helper";
    std::ofstream(cut) << "#!/bin/sh\nstdbuf -o0 head -c6000 | \"" SLOVOSITO_KEY_HELPER_PATH "\"\n";
    std::filesystem::permissions(cut, std::filesystem::perms::owner_all);
    // A lighter dictionary than the sample: its first 6000 words, cut into a pair of its own.
    std::vector<std::string> words;
    std::vector<std::int32_t> counts;
    for (std::size_t j = 0; j < 6000; ++j) {
        words.push_back(ToUtf8(std::string(DictWords[0][j])));
        counts.push_back(DictCounts[0][j]);
    }
    ClearWordStore();
    TRecordingLoadView loadView;
    LoadDictionary(folder.WritePair("first", words, counts), loadView);
    ASSERT_EQ(DictWords.at(0).size(), 6000u);
    const std::size_t kino = std::find(words.begin(), words.end(), "кино") - words.begin();

    std::size_t helperWords = 0;
    const TDictRhymes alone = Built(DictWords[0], "", helperWords);
    ASSERT_NE(alone.KeyIds.at(kino), 0u);
    TDictRhymes withoutKino = alone;
    withoutKino.KeyIds[kino] = 0;
    withoutKino.MakeKeyLists();
    const std::pair<std::string, const TDictRhymes*> helpers[] = {
        {SLOVOSITO_CRASHING_KEY_HELPER_PATH, &withoutKino},  // its espeak-ng aborts on кино
        {cut, &alone},
    };
    for (const auto& [helper, expected] : helpers) {
        SCOPED_TRACE(helper);
        ExpectSameIndex(Built(DictWords[0], helper, helperWords), *expected);
        EXPECT_EQ(helperWords, expected == &alone ? 6000u : 5999u);
    }
    // Helpers that never answer end the build, as does one that cannot be started.
    const std::string missing = folder.Path() + "/missing";
    const std::string failed = "\" failed on 24 batches of words in a row";
    const std::pair<std::string, std::string> broken[] = {
        {"/bin/cat", "Cannot work out rhyme keys: \"/bin/cat" + failed},  // answers the words
        {"/bin/false", "Cannot work out rhyme keys: \"/bin/false" + failed},
        {missing, "Cannot start \"" + missing + "\". No such file or directory"},
    };
    for (const auto& [helper, message] : broken) {
        SCOPED_TRACE(helper);
        EXPECT_THAT([&] { Built(DictWords[0], helper, helperWords); },
                    testing::ThrowsMessage<EPhoneticsError>(message));
    }
}

// A shell printf of an answer's header: "SLVK", then version, one word and byteCount bytes.
std::string AnswerHeader(std::uint32_t version, std::uint32_t byteCount)
{
    std::string command = "printf 'SLVK";
    for (const std::uint32_t field : {version, 1U, byteCount}) {
        for (int shift = 0; shift < 32; shift += 8) {
            const unsigned byte = (field >> shift) & 0xFF;
            command += "\\" + std::to_string(byte >> 6) + std::to_string((byte >> 3) & 7) +
                       std::to_string(byte & 7);
        }
    }
    return command + "'\n";
}

TEST(KeyWorker, AHelperThatTricklesItsAnswerOrIsOfAnotherVersionIsEnded)
{
    // A header of 100 bytes of keys that come a byte every five seconds, ended at the deadline;
    // and a whole answer (one word, no keys) of another version, refused.
    TTempFolder folder;
    const std::string scripts[] = {
        AnswerHeader(kKeyHelperVersion, 100) + "while printf x; do sleep 5; done\n",
        AnswerHeader(kKeyHelperVersion + 1, 1) + "printf '\\0'\nsleep 5\n",
    };
    for (const std::string& script : scripts) {
        SCOPED_TRACE(script);
        const std::string helperPath = folder.Write("helper", "#!/bin/sh\n" + script);
        std::filesystem::permissions(helperPath, std::filesystem::perms::owner_all);
        EXPECT_EQ(RunInChild([&] {
                      TKeyWorker helper(helperPath);
                      const std::atomic<bool> cancel{false};
                      const std::string words[] = {"x"};
                      helper.Send(words);
                      return helper.Receive(1, cancel, std::chrono::seconds(1)) || helper.Running();
                  }),
                  0);
    }
}

TEST(RhymeKeyLists, ListEveryWordThatHasTheKeyAndNoOther)
{
    // Random ids over 40 keys, id 0 (no key) among them, and second keys for some words.
    std::mt19937 random(20261211);
    TDictRhymes index;
    index.SetKeys(std::vector<std::string>(40));
    for (std::uint32_t j = 0; j < 3000; ++j) {
        index.KeyIds.push_back(random() % 40);
        if (random() % 5 == 0) {
            index.SecondKeys.Owned().push_back({j, 1 + static_cast<std::uint32_t>(random() % 39)});
        }
    }
    index.MakeKeyLists();
    std::size_t listed = 0;
    for (std::uint32_t id = 0; id < 40; ++id) {
        SCOPED_TRACE(id);
        std::vector<std::uint32_t> expected;
        for (std::uint32_t j = 0; j < index.size(); ++j) {
            if (HasRhymeKey(index, j, id, 0)) {
                expected.push_back(j);
            }
        }
        const std::span<const std::uint32_t> got = index.WordsWithKey(id);
        EXPECT_EQ(std::vector<std::uint32_t>(got.begin(), got.end()), expected);
        listed += got.size();
    }
    EXPECT_GT(listed, index.size());
    EXPECT_TRUE(index.WordsWithKey(40).empty());
}

// The rhyme search as it went before the key lists: every word of the ticked rows tested for the
// typed word's key ids. query is lowercase UTF-8.
std::string EveryWordRhymes(const char* query, const TRhymeIndex& index,
                            const TRecordingControl& control)
{
    const TStressedWord typed = ReadStressedWord(ToCp1251(query));
    const std::vector<std::string> keys = RhymeKeysOf(typed.Word, typed.StressedVowel);
    const std::vector<TDictRhymes>& rows = index.Dictionaries();
    // The word's keys are read through the filter's test, which gets each word's row and place.
    TRecordingControl everyWord = control;
    const auto keep = control.Given.Filter.Keep;
    std::vector<std::vector<bool>> rhyming;
    for (const TDictRhymes& row : rows) {
        rhyming.push_back(RhymingIds(row, keys));
    }
    everyWord.Given.Filter.Keep = [&, keep](std::size_t row, std::size_t j) {
        if (row >= rows.size() || DictWords[row][j] == typed.Word) {
            return false;
        }
        return HasRhymingKey(rows[row], j, rhyming[row]) && (!keep || keep(row, j));
    };
    return ListRun(WordTest(
                       0, [](std::string_view) { return true; }, false),
                   everyWord)
        .Text;
}

std::string ListedRhymes(const char* query, const TRhymeIndex& index, TRecordingControl& control)
{
    return ListRun(RhymeTest(ToCp1251(query), index), control).Text;
}

// Runs both routes for the queries over every combination of order, minimum and filter.
void ExpectBothRoutesAgree(TRhymeIndex& index, std::vector<bool> ticked)
{
    const char* queries[] = {"окно", "любовь", "дорога", "замок", "замо'к", "идёт", "щщщ"};
    TWordFilter headwords;
    headwords.Keep = HeadwordTest(index);
    TWordFilter shortHeadwords = headwords;
    shortHeadwords.Length = TCountRange{3, 6};
    const TWordFilter filters[] = {{},
                                   {TCountRange{5, 7}, std::nullopt},
                                   {std::nullopt, TCountRange{2, 2}},
                                   headwords,
                                   shortHeadwords};
    TRecordingControl view;
    view.Ticked = std::move(ticked);
    std::size_t listed = 0;
    for (const bool alpha : {false, true}) {
        for (const char* minimum : {"0,0", "3", "300"}) {
            for (std::size_t f = 0; f < std::size(filters); ++f) {
                for (const char* query : queries) {
                    SCOPED_TRACE(testing::Message()
                                 << (alpha ? "by word" : "by value") << ", minimum " << minimum
                                 << ", filter " << f << ", " << query);
                    view.Given.Alphabetical = alpha;
                    view.Given.ShowIpm = true;
                    view.Given.MinIpmText = minimum;
                    view.Given.Filter = filters[f];
                    const std::string expected = EveryWordRhymes(query, index, view);
                    EXPECT_EQ(ListedRhymes(query, index, view), expected);
                    listed += expected.empty() ? 0 : 1;
                }
            }
        }
    }
    EXPECT_GT(listed, std::size(filters) * 2 * 3 * 3);
}

TEST_F(RhymeBuild, RhymeSearchListsWhatTheSearchOfEveryWordListsOnTheSample)
{
    TTempFolder cache;
    TRhymeIndex index;
    index.Start({kSample}, cache.Path());
    ASSERT_TRUE(index.Wait());
    ExpectBothRoutesAgree(index, {true});
}

// The highest nice value among this process's threads, looked at every few milliseconds while
// index builds, up to looks times; stops at the first look that finds niceToFind.
int HighestNiceWhileBuilding(const TRhymeIndex& index, int looks, int niceToFind)
{
    int highest = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    for (int look = 0; look < looks && !index.Ready() && highest != niceToFind; ++look) {
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
            errno = 0;
            const int nice =
                getpriority(PRIO_PROCESS, static_cast<id_t>(std::stoi(task.path().filename())));
            if (errno == 0) {
                highest = std::max(highest, nice);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return highest;
}

TEST_F(RhymeBuild, BuildInTheBackgroundRunsAtTheLowestPriorityAndLeavesTheCallersAlone)
{
    const int own = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    for (const TBuildPriority priority : {TBuildPriority::Normal, TBuildPriority::Background}) {
        const bool background = priority == TBuildPriority::Background;
        SCOPED_TRACE(background ? "background" : "normal");
        TTempFolder cache;
        TRhymeIndex index;
        index.Start({kSample}, cache.Path(), priority);
        EXPECT_EQ(HighestNiceWhileBuilding(index, background ? 400 : 20, 19),
                  background ? 19 : own);
        index.Cancel();
        EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), own);
    }
}

TEST(RhymeSearchRoutes, AgreeOverRowsOfShuffledWordsWithSomeUnticked)
{
    // Three rows of the sample's words drawn at random, with random counts, so that the same word
    // stands in several rows and twice in a row.
    LoadSample();
    std::vector<std::string> sample;
    for (std::size_t j = 0; j < DictWords.at(0).size(); ++j) {
        sample.push_back(ToUtf8(std::string(DictWords[0][j])));
    }
    ClearWordStore();
    TTempFolder folder;
    std::mt19937 random(20261212);
    std::vector<std::string> paths;
    for (const char* name : {"a", "b", "c"}) {
        std::vector<std::string> words;
        std::vector<std::int32_t> counts;
        for (int i = 0; i < 4000; ++i) {
            // The first thousand words are the commonest, where most rhymes of the queries are.
            words.push_back(sample[random() % (i % 2 == 0 ? 1000 : sample.size())]);
            counts.push_back(static_cast<std::int32_t>(1 + random() % 500));
        }
        paths.push_back(folder.WritePair(name, words, counts));
    }
    TRecordingLoadView loadView;
    ScanDictionaryFolder(folder.Path(), loadView);
    ASSERT_EQ(DictWords.size(), 3u);
    TTempFolder cache;
    TRhymeIndex index;
    index.Start(paths, cache.Path());
    ASSERT_TRUE(index.Wait());
    for (const std::vector<bool>& ticked :
         {std::vector<bool>{true, true, true}, std::vector<bool>{false, true, true},
          std::vector<bool>{true, false, true}}) {
        SCOPED_TRACE(testing::Message() << ticked[0] << ticked[1] << ticked[2]);
        ExpectBothRoutesAgree(index, ticked);
    }
    ClearWordStore();
}

}  // namespace
