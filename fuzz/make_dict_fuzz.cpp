// Fuzz target: make-dict's list and text readers on fuzzed input, then the pair written and
// loaded back, which must give exactly the words and counts gathered.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <string>
#include <string_view>
#include <unordered_set>

#include "fuzz/fuzz_check.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/dictionary_builder.h"
#include "wordstore/word_store.h"

namespace {

// Adds each input to builder; returns whether all were read without an input error.
bool AddInputs(TDictionaryBuilder& builder, std::initializer_list<std::string_view> inputs)
{
    try {
        for (const std::string_view input : inputs) {
            builder.AddText(input, "input");
        }
    } catch (const EInputError& e) {
        Check(std::string_view(e.what()).starts_with("input:"), "an input error does not name it",
              e.what());
        return false;
    }
    return true;
}

void CheckShape(const TBuiltDictionary& dictionary, const TBuildOptions& options)
{
    Check(dictionary.Words.size() == dictionary.Counts.size(), "words and counts differ in number");
    Check(dictionary.Total ==
              std::accumulate(dictionary.Counts.begin(), dictionary.Counts.end(), std::int64_t{0}),
          "the total is not the counts' sum");
    Check(dictionary.DroppedExamples.size() == std::min<std::size_t>(dictionary.DroppedWords, 10),
          "the dropped examples are not the first ten");
    std::unordered_set<std::string> seen;
    for (std::size_t i = 0; i < dictionary.Words.size(); ++i) {
        const std::string& word = dictionary.Words[i];
        Check(
            !word.empty() && word.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos,
            "a word is empty or holds a line break or NUL", word);
        Check(seen.insert(word).second, "a word is gathered twice", word);
        if (!options.KeepOrder && i > 0) {
            const std::int32_t before = dictionary.Counts[i - 1];
            const std::int32_t count = dictionary.Counts[i];
            Check(before > count || (before == count && dictionary.Words[i - 1] < word),
                  "the words are not by count, then in byte order", word);
        }
    }
}

}  // namespace

// Input: a flags byte (bit 0 text instead of list, bit 1 Windows-1251, bit 2 lowercase, bit 3
// first-occurrence order), a byte that picks where the input is cut in two, then the input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const TTempFolder folder;
    TFuzzInput input(data, size);
    const unsigned char flags = input.Byte();
    const unsigned char cut = input.Byte();
    const std::string_view text = input.Rest();

    TBuildOptions options;
    options.Format = flags & 1 ? TInputFormat::Text : TInputFormat::List;
    options.Encoding = flags & 2 ? TInputEncoding::Cp1251 : TInputEncoding::Utf8;
    options.Lower = flags & 4;
    options.KeepOrder = flags & 8;

    TDictionaryBuilder whole(options);
    const bool wholeRead = AddInputs(whole, {text});
    const TBuiltDictionary dictionary = whole.Result();
    CheckShape(dictionary, options);

    // The same lines given as two inputs, cut after a line, gather the same words; only the
    // first line of an input may start with a byte order mark.
    const std::size_t lineEnd = text.find('\n', text.size() * cut / 256);
    if (lineEnd != std::string_view::npos) {
        const std::string_view first = text.substr(0, lineEnd + 1);
        const std::string_view second = text.substr(lineEnd + 1);
        TDictionaryBuilder halves(options);
        const bool halvesRead = AddInputs(halves, {first, second});
        if (wholeRead && halvesRead && !second.starts_with("\xEF\xBB\xBF")) {
            const TBuiltDictionary again = halves.Result();
            Check(again.Words == dictionary.Words && again.Counts == dictionary.Counts &&
                      again.DroppedWords == dictionary.DroppedWords,
                  "one input cut in two gathers other words");
        }
    }

    const TWrittenPair written = WriteDictionaryPair(folder.Path(), "d", dictionary, true);
    std::uint64_t wordBytes = 0;
    for (const std::string& word : dictionary.Words) {
        wordBytes += word.size() + 2;
    }
    Check(
        written.WordListBytes == wordBytes && written.CountFileBytes == 4 * dictionary.Words.size(),
        "the written sizes are not those of the words and counts");

    ClearWordStore();
    TRecordingLoadView view;
    ScanDictionaryFolder(folder.Path(), view);
    Check(view.Errors.empty() && view.Warnings.empty() && view.Rows.size() == 1,
          "the written pair does not load as one dictionary");
    Check(DictWords[0].size() == dictionary.Words.size(), "the pair loads back another word count");
    for (std::size_t j = 0; j < dictionary.Words.size(); ++j) {
        Check(DictWords[0][j] == dictionary.Words[j], "a word loads back otherwise",
              dictionary.Words[j]);
        Check(DictCounts[0][j] == dictionary.Counts[j], "a count loads back otherwise",
              dictionary.Words[j]);
    }
    return 0;
}
