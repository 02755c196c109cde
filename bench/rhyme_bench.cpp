// Times the rhyme index of one dictionary: phonemising and stemming on one core, both at once on
// two, loading the cached index, and the rhyme search on it against the mask search.
//
//   rhyme_bench DICT.txt [QUERY]     prints words per second and the ratios; QUERY default окно

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "phonetics/headwords.h"
#include "phonetics/phonemes.h"
#include "phonetics/rhyme_index.h"
#include "search/search_run.h"
#include "tests/support/recording_load_view.h"
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

// The best of five runs, in milliseconds.
double BestMillisecondsOf(const std::function<void()>& work)
{
    double best = 1e30;
    for (int i = 0; i < 5; ++i) {
        best = std::min(best, SecondsOf(work) * 1000.0);
    }
    return best;
}

class TQuietView : public TSearchView
{
public:
    TSearchSettings Settings() const override
    {
        TSearchSettings settings;
        settings.TimeLimit = std::chrono::seconds(0);
        return settings;
    }
    std::size_t RowCount() const override { return 1; }
    bool RowTicked(std::size_t /*row*/) const override { return true; }
    void ShowListing(const std::string& listing) override { Found = FoundCountText(listing); }

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
    std::atomic<bool> cancel{false};
    std::atomic<std::size_t> done{0};
    std::optional<TDictRhymes> index;
    const double both = SecondsOf([&] { index = BuildDictRhymes(words, cancel, done); });

    const std::string cacheFolder = "/tmp/rhyme_bench_cache";
    const std::string cachePath = RhymeCachePath(cacheFolder, path);
    const std::string identity = RhymeCacheIdentity(path);
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
    const double rhyme = BestMillisecondsOf([&] { RhymeSearch(query, rhymes, rhymeView); });
    // The mask a user would try for the same rhyme: the word's last two letters.
    const std::string mask = "/^.*" + query.substr(query.size() - 2) + "$/";
    const double maskSearch = BestMillisecondsOf([&] { PatternSearch(mask, maskView); });

    std::printf("words                          %.0f\n", count);
    std::printf("espeak-ng keys, one core       %8.0f words/s\n", count / espeak);
    std::printf("Hunspell headwords, one core   %8.0f words/s\n", count / hunspell);
    std::printf("index on one core (sum)        %8.0f words/s   (target >= 20000)\n",
                count / (espeak + hunspell));
    std::printf("index on two cores             %8.0f words/s   %.2fx one core\n", count / both,
                (espeak + hunspell) / both);
    std::printf("cache file                     %8.1f MB (%ld bytes, %.1f bytes a word)\n",
                cacheBytes / 1e6, cacheBytes, cacheBytes / count);
    std::printf("cache load                     %8.1f ms\n", load);
    std::printf("rhyme search %-17s %8.2f ms   %s\n", argv[2] ? argv[2] : "окно", rhyme,
                ToUtf8(rhymeView.Found).c_str());
    std::printf("mask search %-18s %8.2f ms   %s\n", ToUtf8(mask).c_str(), maskSearch,
                ToUtf8(maskView.Found).c_str());
    std::printf("rhyme / mask                   %8.2f       (target <= 1)\n", rhyme / maskSearch);
    return 0;
}
