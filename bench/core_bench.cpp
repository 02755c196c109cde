// Benchmarks of the core on a generated dictionary: loading, the kinds of search, and
// ordering plus listing of many hits. bench/run.sh generates the dictionary and runs this.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include "search/hit_listing.h"
#include "search/letter_search.h"
#include "search/query.h"
#include "search/search_run.h"
#include "search/word_filter.h"
#include "tests/support/recording_load_view.h"
#include "wordstore/encoding.h"
#include "wordstore/letters.h"
#include "wordstore/word_store.h"

namespace {

constexpr char kDirFlag[] = "--dir=";
constexpr char kDirVariable[] = "SLOVOSITO_BENCH_DIR";
constexpr std::size_t kListedHits = 200'000;
// The bytes of the store per word beyond the files' bytes that the store may take.
constexpr double kBudgetPerWord = 8.0;

// Every row ticked, no minimum and listing in relevance order without ipm: a run collects its
// hits and writes their listing into memory, as a front end would, keeping only the count of
// lines and bytes.
class TBenchSearchView : public TRunControl
{
public:
    // The length and syllable ranges of the runs; none by default.
    TWordFilter Filter;
    // From how many words a run takes two threads; the front ends' default unless set.
    std::size_t TwoThreadsFrom = TSearchSettings().TwoThreadsFrom;

    TSearchSettings Settings() const override
    {
        TSearchSettings settings;
        settings.Filter = Filter;
        settings.TwoThreadsFrom = TwoThreadsFrom;
        return settings;
    }
    std::size_t RowCount() const override { return DictWords.size(); }
    bool RowTicked(std::size_t) const override { return true; }

    void Run(const std::optional<TWordTest>& test)
    {
        TSearchRun run(*this);
        const THitSet hits = run.Collect(*test);
        std::string listing;
        listing.reserve(ListingSizeBound(hits, false));
        m_lines = WriteHitListing(hits, false, false,
                                  [&listing](std::string_view block) { listing += block; });
        m_listingBytes = listing.size();
    }

    double Hits() const { return static_cast<double>(m_lines); }
    double ListingBytes() const { return static_cast<double>(m_listingBytes); }

private:
    std::size_t m_lines = 0;
    std::size_t m_listingBytes = 0;
};

// A field of /proc/self/status in bytes, such as "VmRSS"; 0 when it cannot be read.
double ProcStatusBytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":")) {
            return std::strtod(line.c_str() + field.size() + 1, nullptr) * 1024.0;
        }
    }
    return 0.0;
}

struct TStoreMemory
{
    double ResidentGrowth = 0.0;  // resident bytes added by loading, once it is done
    double PeakGrowth = 0.0;      // highest resident bytes during loading, over the start
    double FileBytes = 0.0;       // word lists and count files
    double Words = 0.0;
};

void LoadStore(const std::string& folder)
{
    TRecordingLoadView view;
    ScanDictionaryFolder(folder, view);
    // Every pair must load: a refused one would make the timings meaningless.
    for (const std::vector<std::string>* problems : {&view.Errors, &view.Warnings}) {
        if (!problems->empty()) {
            throw std::runtime_error(problems->front());
        }
    }
    if (DictWords.empty()) {
        throw std::runtime_error("no dictionary in " + folder);
    }
}

// Loads the folder into the empty store and measures what that costs in memory.
TStoreMemory MeasureLoad(const std::string& folder)
{
    ClearWordStore();
    // Writing 5 here resets the peak (VmHWM) to the current resident size.
    std::ofstream("/proc/self/clear_refs") << "5";
    TStoreMemory memory;
    const double before = ProcStatusBytes("VmRSS");
    LoadStore(folder);
    memory.ResidentGrowth = ProcStatusBytes("VmRSS") - before;
    memory.PeakGrowth = ProcStatusBytes("VmHWM") - before;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".txt") || name.ends_with(".txt.cnt")) {
            memory.FileBytes += static_cast<double>(entry.file_size());
        }
    }
    for (const TWordList& words : DictWords) {
        memory.Words += static_cast<double>(words.size());
    }
    return memory;
}

void AddHitCounters(benchmark::State& state, const TBenchSearchView& view)
{
    state.counters["hits"] = view.Hits();
    state.counters["listing_bytes"] = view.ListingBytes();
}

void BM_Load(benchmark::State& state, const std::string& folder, const TStoreMemory& memory)
{
    for (auto _ : state) {
        state.PauseTiming();
        ClearWordStore();
        // A program loads once, at start-up, into memory it has never touched: the heap gives
        // what the store freed back to the system, so the next load starts on fresh pages.
        malloc_trim(0);
        state.ResumeTiming();
        try {
            LoadStore(folder);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    const auto bytes = benchmark::Counter::OneK::kIs1024;
    state.counters["words"] = memory.Words;
    state.counters["store_rss"] = benchmark::Counter(memory.ResidentGrowth, {}, bytes);
    state.counters["store_peak"] = benchmark::Counter(memory.PeakGrowth, {}, bytes);
    state.counters["budget"] =
        benchmark::Counter(memory.FileBytes + kBudgetPerWord * memory.Words, {}, bytes);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(memory.Words));
}

// utf8ending / utf8mask as typed into the row; an е there also takes ё, which costs a compare
// more per byte.
void BM_EndingSearch(benchmark::State& state, const char* utf8ending)
{
    const std::string ending = ToCp1251(utf8ending);
    TBenchSearchView view;
    for (auto _ : state) {
        view.Run(EndingTest(ending));
    }
    AddHitCounters(state, view);
}

// The ending search with a length and a syllable range that keep part of its hits.
void BM_EndingSearchFiltered(benchmark::State& state, const char* utf8ending)
{
    const std::string ending = ToCp1251(utf8ending);
    TBenchSearchView view;
    view.Filter.Length = ParseCountRange("-9");
    view.Filter.Syllables = ParseCountRange("3-");
    for (auto _ : state) {
        view.Run(EndingTest(ending));
    }
    AddHitCounters(state, view);
}

// The runs below with oneThread walk the words on the calling thread only, the baseline of the
// runs on two threads.
void BM_MaskSearch(benchmark::State& state, const char* utf8mask, bool oneThread = false)
{
    std::string mask = ToCp1251(utf8mask);
    LowerCyr(mask);
    TBenchSearchView view;
    if (oneThread) {
        view.TwoThreadsFrom = std::numeric_limits<std::size_t>::max();
    }
    for (auto _ : state) {
        view.Run(PatternTest(MaskToPattern(mask)));
    }
    AddHitCounters(state, view);
}

void BM_RegexpSearch(benchmark::State& state, bool oneThread = false)
{
    // An alternation, so that the engine runs: a mask-like expression could be matched without it.
    const std::string query = ToCp1251("/^п.*(ость|ание)$/");
    TBenchSearchView view;
    if (oneThread) {
        view.TwoThreadsFrom = std::numeric_limits<std::size_t>::max();
    }
    for (auto _ : state) {
        view.Run(PatternTest(query));
    }
    AddHitCounters(state, view);
}

// utf8letters as typed into --anagram or --from-letters.
void BM_LetterSearch(benchmark::State& state, TLetterMode mode, const char* utf8letters)
{
    const std::string letters = ToCp1251(utf8letters);
    TBenchSearchView view;
    for (auto _ : state) {
        view.Run(LetterTest(mode, letters));
    }
    AddHitCounters(state, view);
}

// Every stride-th word of the first dictionary, up to kListedHits of them: a frequency list's
// hits spread over it, as a search meets them.
THitSet SampleHits()
{
    THitSet hits;
    const std::size_t words = DictWords.front().size();
    const std::size_t stride = std::max<std::size_t>(1, words / kListedHits);
    std::size_t taken = 0;
    for (std::size_t j = 0; j < words && taken < kListedHits; j += stride, ++taken) {
        hits.Add(hits.Number(0, j));
    }
    return hits;
}

// Orders the sample hits and writes their listing with ipm into memory, as the command-line
// program lists a run's hits. Repeated runs reuse what the runs before them left, as a window
// that searches again does. The ...FirstRun benchmarks make one run only, which is the first
// listing of its process when the benchmark is the only one the process runs (bench/run.sh runs
// it so): the one search of the command-line program.
void BM_List(benchmark::State& state, bool alphabetical)
{
    const THitSet hits = SampleHits();
    std::size_t lines = 0;
    std::size_t listed = 0;
    for (auto _ : state) {
        std::string listing;
        listing.reserve(ListingSizeBound(hits, true));
        lines = WriteHitListing(hits, alphabetical, true,
                                [&listing](std::string_view block) { listing += block; });
        listed = listing.size();
    }
    state.counters["hits"] = static_cast<double>(lines);
    state.counters["listing_bytes"] = static_cast<double>(listed);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(hits.Count()));
}

// Takes "--dir=DIR" out of the arguments, or else reads the environment variable.
std::string DictionaryFolder(int& argc, char** argv)
{
    std::string folder;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with(kDirFlag)) {
            folder = arg.substr(std::string_view(kDirFlag).size());
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    if (folder.empty()) {
        if (const char* value = std::getenv(kDirVariable)) {
            folder = value;
        }
    }
    if (folder.empty()) {
        throw std::runtime_error(std::string("name the dictionary folder with ") + kDirFlag +
                                 "DIR or " + kDirVariable + " (bench/run.sh makes one)");
    }
    return folder;
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    try {
        const std::string folder = DictionaryFolder(argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
            return 2;
        }
        const TStoreMemory memory = MeasureLoad(folder);

        // Wall-clock time, to be set beside grep's; the store stays loaded after BM_Load.
        const std::vector<benchmark::internal::Benchmark*> benchmarks = {
            benchmark::RegisterBenchmark("BM_Load", BM_Load, folder, memory),
            benchmark::RegisterBenchmark("BM_EndingSearch", BM_EndingSearch, "янка"),
            benchmark::RegisterBenchmark("BM_EndingSearchYe", BM_EndingSearch, "енный"),
            benchmark::RegisterBenchmark("BM_EndingSearchFiltered", BM_EndingSearchFiltered,
                                         "янка"),
            benchmark::RegisterBenchmark("BM_MaskSearch", BM_MaskSearch, "*янка", false),
            benchmark::RegisterBenchmark("BM_MaskSearchYe", BM_MaskSearch, "*енный", false),
            // A vowel, a consonant and a set: the wildcard's loop of byte sets.
            benchmark::RegisterBenchmark("BM_MaskSearchClasses", BM_MaskSearch, "*@#[кг]а", false),
            benchmark::RegisterBenchmark("BM_RegexpSearch", BM_RegexpSearch, false),
            benchmark::RegisterBenchmark("BM_RegexpSearchOneThread", BM_RegexpSearch, true),
            benchmark::RegisterBenchmark("BM_MaskSearchOneThread", BM_MaskSearch, "*янка", true),
            // Letters of the usual length of a word; a long word to make words from, which
            // leaves most words short enough to be tested, and a short one.
            benchmark::RegisterBenchmark("BM_Anagram", BM_LetterSearch, TLetterMode::Anagram,
                                         "сокол"),
            benchmark::RegisterBenchmark("BM_AnagramWildcard", BM_LetterSearch,
                                         TLetterMode::Anagram, "пр?ка??"),
            benchmark::RegisterBenchmark("BM_FromLetters", BM_LetterSearch,
                                         TLetterMode::FromLetters, "переставление"),
            benchmark::RegisterBenchmark("BM_FromLettersShort", BM_LetterSearch,
                                         TLetterMode::FromLetters, "сокол"),
            benchmark::RegisterBenchmark("BM_ListWithIpm", BM_List, false),
            benchmark::RegisterBenchmark("BM_ListAlphabetical", BM_List, true),
            benchmark::RegisterBenchmark("BM_ListWithIpmFirstRun", BM_List, false)->Iterations(1),
            benchmark::RegisterBenchmark("BM_ListAlphabeticalFirstRun", BM_List, true)
                ->Iterations(1),
        };
        for (benchmark::internal::Benchmark* bench : benchmarks) {
            bench->Unit(benchmark::kMillisecond)->UseRealTime();
        }
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "core_bench: %s\n", e.what());
        return 2;
    }
}
