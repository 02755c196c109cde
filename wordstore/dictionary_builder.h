#pragma once
// Making a dictionary: words and counts gathered from frequency lists or plain texts, ready to be
// written as a pair by pair_writer.h.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "wordstore/file_io.h"
#include "wordstore/pair_writer.h"

// What the inputs hold.
enum class TInputFormat {
    List,  // one "word count", "word<TAB>count" or "count word" a line
    Text,  // running text: every word counts once
};

enum class TInputEncoding {
    Utf8,
    // Windows-1251; an input that reads as UTF-8 with Cyrillic letters is refused.
    Cp1251,
    // Each input is read as UTF-8 when it reads so, else as Windows-1251. The first piece of an
    // input (a read of up to 1 MiB) that holds a byte beyond ASCII decides.
    Auto,
};

struct TBuildOptions
{
    TInputFormat Format = TInputFormat::List;
    TInputEncoding Encoding = TInputEncoding::Utf8;
    bool Lower = false;      // fold letter case first (Ё becomes ё, not е)
    bool KeepOrder = false;  // order of first occurrence instead of by count
};

// A line of an input that cannot be used: what() is "NAME:LINE: reason", Windows-1251; or an
// input that cannot be used at all: "NAME: reason".
class EInputError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The finished dictionary and what was left out of it.
struct TBuiltDictionary
{
    std::vector<std::string> Words;  // Windows-1251
    std::vector<std::int32_t> Counts;
    std::int64_t Total = 0;  // the sum of Counts
    // Distinct words that have no Windows-1251 form, and the first ten of them, UTF-8.
    std::size_t DroppedWords = 0;
    std::vector<std::string> DroppedExamples;
};

// Gathers the words of one or more inputs. The same word given twice has its counts added.
class TDictionaryBuilder
{
public:
    explicit TDictionaryBuilder(const TBuildOptions& options);

    // Adds the words of the file at path, which names it in messages. Returns the encoding it
    // was read in. Throws EFileError when it cannot be opened or read, and EInputError as
    // AddText.
    TInputEncoding AddFile(const std::string& path);

    // Adds the words read from in up to its end. Returns the encoding they were read in. Throws
    // EFileError when reading fails, and EInputError as AddText.
    TInputEncoding AddStream(std::istream& in, const std::string& inputName);

    // Adds the words of text, one whole input named inputName (UTF-8) in messages. Returns the
    // encoding it was read in: the one asked for, or what Auto took (Utf8 for an input of ASCII
    // only). Throws EInputError for a list line that fits no format, for malformed UTF-8, for a
    // count that no longer fits 32 bits signed once added, and, when Cp1251 is asked for, for an
    // input that reads as UTF-8 with Cyrillic letters ("NAME: the input is UTF-8 with Cyrillic
    // letters, not Windows-1251"); the words added before stay added.
    TInputEncoding AddText(std::string_view text, const std::string& inputName);

    // The words gathered so far, by count, largest first, ties in byte order; or in the order
    // of their first occurrence when the options keep the order.
    TBuiltDictionary Result() const;

private:
    struct TEntry
    {
        std::string Word;
        std::int64_t Count = 0;
    };

    void BeginInput(const std::string& inputName);
    // Takes the input's encoding from the next piece of it, unless that is ASCII too; last: no
    // piece follows.
    void TakeEncoding(std::string_view bytes, bool last);
    void AddChunk(std::string_view bytes);
    void EndInput();
    void AddLine(std::string_view line);
    void AddListLine(std::string_view line);
    void AddTextLine(std::string_view line);
    void AddWord(std::u32string& word, std::int64_t count, bool countTooLong);
    [[noreturn]] void Fail(const std::string& reason) const;

    TBuildOptions m_options;
    std::vector<TEntry> m_entries;  // in order of first occurrence
    std::unordered_map<std::string, std::size_t> m_index;
    std::unordered_set<std::string> m_dropped;
    std::vector<std::string> m_droppedExamples;

    // The input being read.
    std::string m_inputName;                           // Windows-1251, for messages
    TInputEncoding m_encoding = TInputEncoding::Utf8;  // Utf8 or Cp1251
    bool m_encodingTaken = false;                      // m_encoding is no longer a guess
    std::size_t m_lineNumber = 0;
    std::string m_partialLine;
    std::u32string m_word;    // scratch, reused for every word
    std::string m_converted;  // scratch, reused for every word
};

// Writes dictionary's words and counts as the pair folder/name.txt and folder/name.txt.cnt, as
// the WriteDictionaryPair of pair_writer.h does.
inline TWrittenPair WriteDictionaryPair(const std::string& folder, const std::string& name,
                                        const TBuiltDictionary& dictionary, bool replace)
{
    return WriteDictionaryPair(folder, name, dictionary.Words, dictionary.Counts, replace);
}
