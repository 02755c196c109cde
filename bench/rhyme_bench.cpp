// Times the rhyme index of one dictionary: phonemising and stemming on one core, both at once on
// two threads of one process and with the helper process, hashing the pair for the cache and
// loading the cached index, and the rhyme search on it against the mask search.
//
//   rhyme_bench DICT.txt [QUERY]     prints words per second and the ratios; QUERY default окно

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <sys/resource.h>

#include "phonetics/headwords.h"
#include "phonetics/phonemes.h"
#include "phonetics/rhyme_build.h"
#include "phonetics/rhyme_cache.h"
#include "phonetics/rhyme_index.h"
#include "search/hit_listing.h"
#include "search/search_run.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/rhyme_walk.h"
#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

namespace {

using TClock = std::chrono::steady_clock;

double SecondsOf(const std::function<void()>& work)
{
    const TClock::time_point start = TClock::now();
    work();
    return std::chrono::duration<double>(TClock::now() - start).count();
}

// The processor seconds this process and its ended children have used so far.
double CpuSeconds()
{
    double seconds = 0.0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage = {};
        getrusage(who, &usage);
        seconds += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return seconds;
}

// The seconds work takes, and in cores the processor time it used over them: how many cores
// it kept busy, which a machine shared with other work shows where the seconds cannot.
double SecondsOf(const std::function<void()>& work, double& cores)
{
    const double cpu = CpuSeconds();
    const double seconds = SecondsOf(work);
    cores = (CpuSeconds() - cpu) / seconds;
    return seconds;
}

// How many cores the machine gives this process now: the same spinning on two threads against
// one. Other work on the machine takes its share, and the index can use no more than this.
double CoresGiven()
{
    const auto spin = [] {
        volatile std::uint64_t sum = 0;
        for (std::uint64_t i = 0; i < 300000000; ++i) {
            sum = sum + i;
        }
    };
    const double one = SecondsOf(spin);
    const double two = SecondsOf([&] {
        std::thread other(spin);
        spin();
        other.join();
    });
    return 2.0 * one / two;
}

// The best of five runs, in milliseconds.
double BestMillisecondsOf(const std::function<void()>& work)
{
    double best = 1e30;
    for (int i = 0; i < 5; ++i) {
        best = std::min(best, SecondsOf(work) * 1000.0);
    }
    return best;
}

// The first row ticked, no limit; a run keeps only its count, as the window shows it.
class TQuietView : public TRunControl
{
public:
    TWordFilter Filter;

    TSearchSettings Settings() const override
    {
        TSearchSettings settings;
        settings.TimeLimit = std::chrono::seconds(0);
        settings.Filter = Filter;
        return settings;
    }
    std::size_t RowCount() const override { return 1; }
    bool RowTicked(std::size_t /*row*/) const override { return true; }

    void Run(const TWordTest& test)
    {
        TSearchRun run(*this);
        const THitSet hits = run.Collect(test);
        std::string listing;
        const std::size_t lines = WriteHitListing(
            hits, false, false, [&listing](std::string_view block) { listing += block; });
        Found = "Найдено:" + std::to_string(lines);
    }

    std::string Found;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: rhyme_bench DICT.txt [QUERY]\n");
        return 2;
    }
    const std::string path = argv[1];
    const std::string query = ToCp1251(argc > 2 ? argv[2] : "окно");
    TRecordingLoadView loadView;
    LoadDictionary(path, loadView);
    if (DictWords.empty()) {
        std::fprintf(stderr, "rhyme_bench: cannot load %s\n", path.c_str());
        return 2;
    }
    const TWordList& words = DictWords[0];
    const double count = static_cast<double>(words.size());
    PhonemesOf(query);  // sets espeak-ng up outside the timings

    const double espeak = SecondsOf([&] {
        for (std::size_t j = 0; j < words.size(); ++j) {
            RhymeKeysOf(std::string(words[j]));
        }
    });
    const double hunspell = SecondsOf([&] {
        THeadwordTest headwords;
        for (std::size_t j = 0; j < words.size(); ++j) {
            headwords.IsHeadword(words[j]);
        }
    });
    const double coresGiven = CoresGiven();
    std::atomic<bool> cancel{false};
    std::atomic<std::size_t> done{0};
    std::optional<TDictRhymes> index;
    TRhymeBuildWorkers threadsOnly;
    threadsOnly.HelperPath.clear();
    double threadCores = 0.0;
    const double twoThreads =
        SecondsOf([&] { index = BuildDictRhymes(words, cancel, done, threadsOnly); }, threadCores);
    std::size_t helperWords = 0;
    TRhymeBuildWorkers withHelper;
    withHelper.HelperWords = &helperWords;
    std::optional<TDictRhymes> helped;
    double helperCores = 0.0;
    const double both =
        SecondsOf([&] { helped = BuildDictRhymes(words, cancel, done, withHelper); }, helperCores);
    const bool same = helped && *helped == *index;

    const std::string cacheFolder = "/tmp/rhyme_bench_cache";
    std::string identity;
    const double identityTime = BestMillisecondsOf([&] { identity = RhymeCacheIdentity(path); });
    const std::string cachePath = RhymeCachePath(cacheFolder, identity);
    SaveDictRhymes(*index, cachePath, identity);
    std::FILE* cacheFile = std::fopen(cachePath.c_str(), "rb");
    std::fseek(cacheFile, 0, SEEK_END);
    const long cacheBytes = std::ftell(cacheFile);
    std::fclose(cacheFile);
    const double load =
        BestMillisecondsOf([&] { LoadDictRhymes(cachePath, identity, words.size()); });

    TRhymeIndex rhymes;
    rhymes.Start({path}, cacheFolder);
    rhymes.Wait();
    TQuietView rhymeView;
    TQuietView maskView;
    const double rhyme = BestMillisecondsOf([&] { rhymeView.Run(RhymeTest(query, rhymes)); });
    // The rhyme search as it was before the key lists: every word walked, one call per word.
    const std::vector<std::string> keys = RhymeKeysOf(query);
    const TDictRhymes& dict = rhymes.Dictionaries()[0];
    TQuietView walkView;
    const double walk = BestMillisecondsOf([&] {
        const std::uint32_t first = keys.empty() ? 0 : dict.KeyId(keys[0]);
        const std::uint32_t second = keys.size() < 2 ? 0 : dict.KeyId(keys[1]);
        std::vector<std::uint8_t> hits(dict.size());
        for (std::size_t j = 0; j < dict.size(); ++j) {
            hits[j] = HasRhymeKey(dict, j, first, second) ? 1 : 0;
        }
        walkView.Filter.Keep = [&](std::size_t, std::size_t j) {
            return hits[j] != 0 && DictWords[0][j] != query;
        };
        walkView.Run(WordTest(
            0, [](std::string_view) { return true; }, false));
    });
    // The mask a user would try for the same rhyme: the word's last two letters.
    const std::string mask = "/^.*" + query.substr(query.size() - 2) + "$/";
    const double maskSearch = BestMillisecondsOf([&] { maskView.Run(*PatternTest(mask)); });

    std::printf("words                          %.0f\n", count);
    std::printf("espeak-ng keys, one core       %8.0f words/s\n", count / espeak);
    std::printf("Hunspell headwords, one core   %8.0f words/s\n", count / hunspell);
    std::printf("cores the machine gives now     %7.2f   (two threads spinning against one)\n",
                coresGiven);
    std::printf("index on one core (sum)        %8.0f words/s   (target >= 20000)\n",
                count / (espeak + hunspell));
    std::printf("index, two threads, one process %7.0f words/s   %.2fx one core, %.2f cores busy\n",
                count / twoThreads, (espeak + hunspell) / twoThreads, threadCores);
    std::printf(
        "index, helper process beside    %7.0f words/s   %.2fx one core, %.2f cores busy, "
        "%.2fx one process\n",
        count / both, (espeak + hunspell) / both, helperCores, twoThreads / both);
    std::printf("                                helper did %.0f %% of the keys; %s\n",
                100.0 * static_cast<double>(helperWords) / count,
                same ? "index identical to one process's" : "INDEX DIFFERS FROM ONE PROCESS'S");
    std::printf("cache file                     %8.1f MB (%ld bytes, %.1f bytes a word)\n",
                cacheBytes / 1e6, cacheBytes, cacheBytes / count);
    std::printf("cache load                     %8.1f ms\n", load);
    std::printf("cache identity (pair hashed)   %8.1f ms\n", identityTime);
    std::printf("rhyme search %-17s %8.2f ms   %s\n", argv[2] ? argv[2] : "окно", rhyme,
                rhymeView.Found.c_str());
    std::printf("mask search %-18s %8.2f ms   %s\n", ToUtf8(mask).c_str(), maskSearch,
                maskView.Found.c_str());
    std::printf("rhyme search, every word walked %8.2f ms   %s\n", walk, walkView.Found.c_str());
    std::printf("rhyme / mask                   %8.2f       (target <= 1)\n", rhyme / maskSearch);
    std::printf("walked rhyme / mask            %8.2f\n", walk / maskSearch);
    std::printf("walked rhyme / listed rhyme    %8.2f\n", walk / rhyme);
    return 0;
}
