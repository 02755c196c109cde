// Fuzz target: a dictionary pair made of fuzzed bytes, loaded from a folder and searched by
// ending, mask, regular expression and letters; the loaded words and every listing are checked
// against a plain model of the loader's line rules, of the letter games and of the listing order.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "search/hit_listing.h"
#include "search/letter_search.h"
#include "search/mask.h"
#include "search/number_text.h"
#include "search/query.h"
#include "search/regexpr.h"
#include "search/search_run.h"
#include "search/wildcard.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/letters.h"
#include "wordstore/word_store.h"

namespace {

// Minimum texts a header byte picks from; the last is no number.
const char* const kMinIpmTexts[] = {"0,0", "0", "1", "-1", "0,5", "1000", "1e-3", "abc"};

// One dictionary row, always ticked, and the settings of the run.
class TModelControl : public TRunControl
{
public:
    explicit TModelControl(const TSearchSettings& settings)
        : m_settings(settings)
    {}
    TSearchSettings Settings() const override { return m_settings; }
    std::size_t RowCount() const override { return 1; }
    bool RowTicked(std::size_t /*row*/) const override { return true; }

private:
    TSearchSettings m_settings;
};

// What a run of test lists, as the front ends write it: the listing and its number of lines.
struct TListed
{
    std::string Listing;
    std::size_t Lines = 0;
};

TListed RunListing(const TWordTest& test, const TSearchSettings& settings)
{
    TModelControl control(settings);
    TSearchRun run(control);
    const THitSet hits = run.Collect(test);
    TListed listed;
    listed.Lines = WriteHitListing(hits, settings.Alphabetical, settings.ShowIpm,
                                   [&listed](std::string_view block) { listed.Listing += block; });
    return listed;
}

// The loader's line rules, written apart from it: a line ends at LF, CR or NUL, then one CR and
// one LF are skipped; the first NUL ends the words.
std::vector<std::string> ModelWords(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
        words.emplace_back(bytes.substr(pos, end - pos));
        pos = end;
        if (pos < bytes.size() && bytes[pos] == '\r') {
            ++pos;
        }
        if (pos < bytes.size() && bytes[pos] == '\n') {
            ++pos;
        }
    }
    return words;
}

// The alphabetical place of a byte: byte order, but ё and Ё right after е and Е.
double Rank(unsigned char byte)
{
    if (byte == 0xB8 || byte == 0xA8) {
        return (byte == 0xB8 ? 0xE5 : 0xC5) + 0.5;
    }
    return byte;
}

bool AlphabeticallyBefore(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return Rank(static_cast<unsigned char>(x)) < Rank(static_cast<unsigned char>(y));
    });
}

struct THit
{
    std::string Word;
    double Ipm = 0;
};

// The listing the hits must give, by the rules of tests/support/result_tree.h.
std::string ModelListing(std::vector<THit> hits, const TSearchSettings& settings)
{
    if (settings.Alphabetical) {
        // Each word once, with the value it came with first; the empty word never.
        std::vector<THit> distinct;
        for (THit& hit : hits) {
            const bool seen = std::any_of(distinct.begin(), distinct.end(),
                                          [&hit](const THit& d) { return d.Word == hit.Word; });
            if (!hit.Word.empty() && !seen) {
                distinct.push_back(std::move(hit));
            }
        }
        hits = std::move(distinct);
        std::sort(hits.begin(), hits.end(), [](const THit& a, const THit& b) {
            return AlphabeticallyBefore(a.Word, b.Word);
        });
    } else {
        // The latest of equal values first; the empty word lists no line.
        std::reverse(hits.begin(), hits.end());
        std::stable_sort(hits.begin(), hits.end(),
                         [](const THit& a, const THit& b) { return a.Ipm > b.Ipm; });
        std::erase_if(hits, [](const THit& hit) { return hit.Word.empty(); });
    }
    std::string listing;
    for (const THit& hit : hits) {
        listing += listing.empty() ? "" : "\r\n";
        listing += hit.Word;
        if (settings.ShowIpm) {
            listing += " = " + IpmText(hit.Ipm);
        }
    }
    return listing;
}

// The loaded dictionary as the model holds it.
struct TModelDictionary
{
    std::vector<std::string> Words;
    std::vector<std::int32_t> Counts;
    double Total = 0;
};

// Runs the test that search gives and checks the listing against the model's hits, or the error
// against the model's. matches returns whether a word is a hit and may throw ERegExprError, as the
// run's own test would at that word; setUpError is what the run throws before it reads any word.
template <typename TSearch, typename TMatch>
void CheckSearch(const TModelDictionary& dictionary, const TSearchSettings& settings,
                 TSearch&& search, TMatch&& matches, const std::string& what,
                 const std::optional<std::string>& setUpError = std::nullopt)
{
    std::optional<double> minIpm;
    try {
        minIpm = StrToFloat(settings.MinIpmText);
    } catch (const EConvertError&) {
    }
    std::vector<THit> hits;
    std::optional<std::string> expectedError;
    if (!minIpm) {
        expectedError = "'" + settings.MinIpmText + "' is not a valid floating point value";
    } else if (setUpError) {
        expectedError = setUpError;
    } else if (dictionary.Total != 0) {
        try {
            for (std::size_t j = 0; j < dictionary.Words.size(); ++j) {
                const double ipm = dictionary.Counts[j] / dictionary.Total;
                if (ipm >= *minIpm && matches(dictionary.Words[j])) {
                    hits.push_back({dictionary.Words[j], ipm});
                }
            }
        } catch (const ERegExprError& e) {
            expectedError = e.what();
        }
    }

    TListed listed;
    std::optional<std::string> error;
    try {
        listed = RunListing(search(), settings);
    } catch (const std::exception& e) {
        error = e.what();
    }
    Check(error == expectedError, "the search fails otherwise than the model",
          what + " | " + error.value_or("-") + " | " + expectedError.value_or("-"));
    if (error) {
        return;
    }
    const std::string expected = ModelListing(std::move(hits), settings);
    Check(listed.Listing == expected, "the listing differs from the model's",
          what + " | " + listed.Listing + " | " + expected);
    const std::size_t lines =
        expected.empty() ? 0 : std::count(expected.begin(), expected.end(), '\n') + 1;
    Check(listed.Lines == lines, "the count of lines is not the listing's lines",
          std::to_string(listed.Lines));
}

bool EndsWithEnding(const std::string& word, const std::string& ending)
{
    if (word.size() < ending.size()) {
        return false;
    }
    const std::size_t start = word.size() - ending.size();
    for (std::size_t i = 0; i < ending.size(); ++i) {
        const char have = word[start + i];
        const bool yeTakesYo = ending[i] == '\xE5' && have == '\xB8';
        if (have != ending[i] && !yeTakesYo) {
            return false;
        }
    }
    return true;
}

// Checks a pattern search for query against the matcher the run must use: the wildcard where one
// stands for the expression (the mask fuzz target compares it with the engine), else the engine.
void CheckPatternSearch(const TModelDictionary& dictionary, const TSearchSettings& settings,
                        const std::string& query)
{
    const std::optional<TPatternQuery> split = SplitPatternQuery(query);
    if (!split) {
        Check(!PatternTest(query).has_value(), "a blank query gives a test", query);
        return;
    }
    const auto search = [&query] { return *PatternTest(query); };
    if (const std::optional<TWildcard> wildcard =
            TWildcard::FromExpression(split->Expression, split->Modifiers)) {
        CheckSearch(
            dictionary, settings, search,
            [&wildcard](const std::string& word) { return wildcard->Matches(word); }, query);
        return;
    }
    TRegExpr engine;
    std::optional<std::string> refusal;
    try {
        engine.SetModifierStr(split->Modifiers);
    } catch (const ERegExprError& e) {
        refusal = e.what();
    }
    engine.SetExpression(split->Expression);
    CheckSearch(
        dictionary, settings, search,
        [&engine](const std::string& word) { return engine.Exec(word); }, query, refusal);
}

// Whether the letters (trimmed and lowercased as typed) hold every byte of word, a "?" standing in
// for any one byte and an е for a word's ё; for an anagram, with none left over, and not the
// letters themselves. Counted plainly, one byte at a time.
bool MadeOfLetters(const std::string& word, std::string letters, TLetterMode mode)
{
    letters = TrimBlanks(letters);
    LowerCyr(letters);
    if (word.empty() || (mode == TLetterMode::Anagram && word.size() != letters.size())) {
        return false;
    }
    // An anagram is another word: the letters themselves, in any letter case and with ё for е,
    // are left out.
    if (mode == TLetterMode::Anagram &&
        std::equal(word.begin(), word.end(), letters.begin(),
                   [](char have, char typed) { return LowerLetterYoAsYe(have) == typed; })) {
        return false;
    }
    for (const char c : word) {
        std::size_t at = letters.find(c == '\xB8' ? '\xE5' : c);
        if (at == std::string::npos) {
            at = letters.find('?');
        }
        if (at == std::string::npos) {
            return false;
        }
        letters.erase(at, 1);
    }
    return true;
}

void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out), "cannot write the fuzzed pair", path);
}

// Loading for one search: mapped, with only the words a tail filter passes.
class TKeptLoadView : public TRecordingLoadView
{
public:
    explicit TKeptLoadView(const TTailFilter& kept)
        : m_kept(kept)
    {}
    bool MapsFiles() const override { return true; }
    TTailFilter KeptWords(const std::string&) override { return m_kept; }

private:
    TTailFilter m_kept;
};

// Loading for one search that knows its words' places: mapped, with only the words at them.
class TPlacesLoadView : public TRecordingLoadView
{
public:
    explicit TPlacesLoadView(TKeptPlaces kept)
        : m_kept(std::move(kept))
    {}
    bool MapsFiles() const override { return true; }
    std::optional<TKeptPlaces> KeptPlaces(const std::string&, const TWordFinder&) override
    {
        return m_kept;
    }

private:
    TKeptPlaces m_kept;
};

}  // namespace

// Input: a flags byte (bit 0 alphabetical, bit 1 with ipm, bit 2 counts made to fit the words,
// bits 3-5 the minimum, bit 6 the pattern through the regular-expression row, bit 7 the letters
// as an anagram), two bytes of the count file's length (little-endian), then the ending, the
// mask, the pattern query and the letters on a line each, then the word list, then the count
// file's bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const TTempFolder folder;
    TFuzzInput input(data, size);
    const unsigned char flags = input.Byte();
    const std::size_t countLengthLow = input.Byte();
    const std::size_t countLength = countLengthLow | std::size_t{input.Byte()} << 8;
    const std::string ending = input.Line();
    const std::string mask = input.Line();
    const std::string pattern = input.Line();
    const std::string letters = input.Line();
    const std::string_view rest = input.Rest();
    const std::size_t split = rest.size() - std::min(countLength, rest.size());
    const std::string_view wordBytes = rest.substr(0, split);
    std::string countBytes(rest.substr(split));

    const std::vector<std::string> words = ModelWords(wordBytes);
    if (flags & 4) {
        // Cycle the fuzzed count bytes (or ones) to one count per word, plus up to three spare.
        const std::string material = countBytes.empty() ? std::string("\1\0\0\0", 4) : countBytes;
        countBytes.resize(4 * words.size() + countLength % 4);
        for (std::size_t i = 0; i < countBytes.size(); ++i) {
            countBytes[i] = material[i % material.size()];
        }
    }
    WriteFile(folder.Path() + "/d.txt", wordBytes);
    WriteFile(folder.Path() + "/d.txt.cnt", countBytes);

    ClearWordStore();
    TRecordingLoadView loadView;
    ScanDictionaryFolder(folder.Path(), loadView);
    Check(loadView.Errors.empty(), "loading reports an error");
    const bool fits = countBytes.size() / 4 == words.size();
    Check(loadView.Rows.size() == (fits ? 1u : 0u) && loadView.Warnings.size() == (fits ? 0u : 1u),
          "the pair is taken or refused against the model", std::to_string(words.size()));
    if (!fits) {
        return 0;
    }

    TModelDictionary dictionary;
    dictionary.Words = words;
    for (std::size_t j = 0; j < words.size(); ++j) {
        const auto* b = reinterpret_cast<const unsigned char*>(countBytes.data() + 4 * j);
        const auto count = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
            static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
        dictionary.Counts.push_back(count);
        dictionary.Total += count / 1000000.0;
    }
    Check(DictWords.size() == 1 && DictWords[0].size() == words.size(),
          "the loaded word count differs from the model's");
    for (std::size_t j = 0; j < words.size(); ++j) {
        Check(DictWords[0][j] == words[j], "a loaded word differs from the model's", words[j]);
        Check(DictCounts[0][j] == dictionary.Counts[j], "a loaded count differs from the file's");
    }
    Check(DictTotals[0] == dictionary.Total, "the loaded total differs from the counts' sum");

    TSearchSettings settings;
    settings.Alphabetical = flags & 1;
    settings.ShowIpm = flags & 2;
    settings.MinIpmText = kMinIpmTexts[(flags >> 3) & 7];

    // The ending search drops the same blanks around its query as the pattern search.
    const std::optional<TPatternQuery> endingQuery = SplitPatternQuery(ending);
    const std::string trimmedEnding = endingQuery ? endingQuery->Trimmed : std::string();
    CheckSearch(
        dictionary, settings, [&ending] { return EndingTest(ending); },
        [&trimmedEnding](const std::string& word) { return EndsWithEnding(word, trimmedEnding); },
        ending);
    // A malformed set in the mask is refused before any search, as the row refuses it.
    std::optional<std::string> maskQuery;
    try {
        maskQuery = TranslateQuery(TQueryMode::Mask, mask);
    } catch (const EMaskError&) {
    }
    if (maskQuery) {
        CheckPatternSearch(dictionary, settings, *maskQuery);
    }
    // The regular-expression row lowercases what is typed before the search splits it.
    const std::string patternQuery =
        flags & 0x40 ? TranslateQuery(TQueryMode::Regexp, pattern) : pattern;
    CheckPatternSearch(dictionary, settings, patternQuery);

    const TLetterMode letterMode = flags & 0x80 ? TLetterMode::Anagram : TLetterMode::FromLetters;
    const std::optional<TWordTest> letterTest = LetterTest(letterMode, letters);
    Check(letterTest.has_value() == !TrimBlanks(letters).empty(),
          "a letter test is made for blank letters or none for letters", letters);
    if (letterTest) {
        CheckSearch(
            dictionary, settings, [&letterTest] { return *letterTest; },
            [&](const std::string& word) { return MadeOfLetters(word, letters, letterMode); },
            letters);
    }

    // A store loaded for one search holds only the words that search can find, and lists the
    // same: the ending, the mask and the pattern each loaded so, after the searches of the whole
    // store.
    const auto checkKept = [&](const TTailFilter& kept, auto&& check) {
        ClearWordStore();
        TKeptLoadView keptView(kept);
        ScanDictionaryFolder(folder.Path(), keptView);
        Check(keptView.Rows == loadView.Rows && DictTotals.size() == 1 &&
                  DictTotals[0] == dictionary.Total,
              "a store for one search is loaded otherwise than the whole one");
        check();
    };
    checkKept(EndingTailFilter(ending), [&] {
        CheckSearch(
            dictionary, settings, [&ending] { return EndingTest(ending); },
            [&](const std::string& word) { return EndsWithEnding(word, trimmedEnding); }, ending);
    });
    if (maskQuery) {
        checkKept(PatternTailFilter(*maskQuery),
                  [&] { CheckPatternSearch(dictionary, settings, *maskQuery); });
    }
    checkKept(PatternTailFilter(patternQuery),
              [&] { CheckPatternSearch(dictionary, settings, patternQuery); });

    // A store loaded at places holds the words and counts at them, found from where every 64th
    // word starts in the whole store's file; the places are every few words, by the flags.
    ClearWordStore();
    TRecordingLoadView wholeView;
    ScanDictionaryFolder(folder.Path(), wholeView);
    TKeptPlaces places;
    places.WordCount = words.size();
    for (std::size_t j = 0; j < words.size(); ++j) {
        if (j % TKeptPlaces::kWordsPerStart == 0) {
            places.Starts.push_back(static_cast<std::uint32_t>(DictWords[0].Start(j)));
        }
        if (j % (1 + (flags >> 4)) == 0) {
            places.Places.push_back(static_cast<std::uint32_t>(j));
        }
    }
    ClearWordStore();
    TPlacesLoadView placesView(places);
    ScanDictionaryFolder(folder.Path(), placesView);
    // A list without words has no starts, and is loaded whole.
    Check(placesView.Rows == loadView.Rows && DictTotals.size() == 1 &&
              DictTotals[0] == dictionary.Total &&
              (DictKept[0] ? DictKept[0]->Places == places.Places &&
                                 DictWords[0].size() == places.Places.size()
                           : words.empty()),
          "a store loaded at places is loaded otherwise than the whole one");
    for (std::size_t i = 0; i < places.Places.size(); ++i) {
        Check(DictWords[0][i] == words[places.Places[i]] &&
                  DictCounts[0][i] == dictionary.Counts[places.Places[i]],
              "a word loaded at its place differs from the model's", words[places.Places[i]]);
    }
    return 0;
}
