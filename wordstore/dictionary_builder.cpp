// Making a dictionary: reading frequency lists and texts, counting and ordering.

#include "wordstore/dictionary_builder.h"

#include <algorithm>
#include <cerrno>
#include <istream>
#include <limits>
#include <numeric>

#include <fcntl.h>
#include <unistd.h>

#include "wordstore/encoding.h"
#include "wordstore/file_io.h"

namespace {

constexpr std::size_t kChunkSize = 1 << 20;
constexpr std::size_t kMaxDroppedExamples = 10;
// More digits than this cannot be summed exactly in 64 bits; the count is too large anyway.
constexpr std::size_t kMaxExactDigits = 18;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

struct TParsedCount
{
    bool Valid = false;
    bool TooLong = false;  // more digits than can be summed exactly; Value is then meaningless
    std::int64_t Value = 0;
};

// An optional "-" and one or more decimal digits.
TParsedCount ParseCount(std::string_view text)
{
    TParsedCount count;
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return count;
    }
    count.Valid = true;
    const std::size_t firstDigit = std::min(text.find_first_not_of('0'), text.size());
    text.remove_prefix(firstDigit);
    if (text.size() > kMaxExactDigits) {
        count.TooLong = true;
        return count;
    }
    for (const char c : text) {
        count.Value = count.Value * 10 + (c - '0');
    }
    if (negative) {
        count.Value = -count.Value;
    }
    return count;
}

// Latin and Cyrillic letters, also those that Windows-1251 lacks: a word with one of them is
// dropped whole rather than cut in two.
bool IsLetter(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= 0x00C0 && c <= 0x024F && c != 0x00D7 && c != 0x00F7) ||
           (c >= 0x0400 && c <= 0x0481) || (c >= 0x048A && c <= 0x052F);
}

bool IsCombiningMark(char32_t c)
{
    return c >= 0x0300 && c <= 0x036F;
}

// The one letter that a letter and a following combining diaeresis or breve stand for, as
// decomposed text writes "ё" and "й"; 0 when there is none.
char32_t Composed(char32_t letter, char32_t mark)
{
    constexpr char32_t kDiaeresis = 0x0308;
    constexpr char32_t kBreve = 0x0306;
    static constexpr char32_t kPairs[][3] = {
        {0x0435, kDiaeresis, 0x0451}, {0x0415, kDiaeresis, 0x0401},  // ё Ё
        {0x0456, kDiaeresis, 0x0457}, {0x0406, kDiaeresis, 0x0407},  // ї Ї
        {0x0438, kBreve, 0x0439},     {0x0418, kBreve, 0x0419},      // й Й
        {0x0443, kBreve, 0x045E},     {0x0423, kBreve, 0x040E},      // ў Ў
    };
    for (const auto& pair : kPairs) {
        if (pair[0] == letter && pair[1] == mark) {
            return pair[2];
        }
    }
    return 0;
}

// Lower case of the letters that have a Windows-1251 form; Ё becomes ё.
char32_t FoldCase(char32_t c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) ||
        (c >= 0x0410 && c <= 0x042F)) {
        return c + 0x20;
    }
    if (c >= 0x0400 && c <= 0x040F) {
        return c + 0x50;
    }
    if (c == 0x0490) {
        return 0x0491;
    }
    return c;
}

}  // namespace

TDictionaryBuilder::TDictionaryBuilder(const TBuildOptions& options)
    : m_options(options)
{}

TInputEncoding TDictionaryBuilder::AddFile(const std::string& path)
{
    const TFileHandle file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        throw EFileError("Cannot open file " + QuotedPath(path) + ". " + SystemReason(errno));
    }
    BeginInput(path);
    std::string chunk(kChunkSize, '\0');
    for (;;) {
        const ssize_t got = read(file.get(), chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EFileError("Cannot read file " + QuotedPath(path) + ". " + SystemReason(errno));
        }
        if (got == 0) {
            break;
        }
        AddChunk(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    }
    EndInput();
    return m_encoding;
}

TInputEncoding TDictionaryBuilder::AddStream(std::istream& in, const std::string& inputName)
{
    BeginInput(inputName);
    std::string chunk(kChunkSize, '\0');
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        AddChunk(std::string_view(chunk.data(), static_cast<std::size_t>(in.gcount())));
    }
    if (in.bad()) {
        throw EFileError("Cannot read " + ToCp1251Lossy(inputName));
    }
    EndInput();
    return m_encoding;
}

TInputEncoding TDictionaryBuilder::AddText(std::string_view text, const std::string& inputName)
{
    BeginInput(inputName);
    AddChunk(text);
    EndInput();
    return m_encoding;
}

void TDictionaryBuilder::BeginInput(const std::string& inputName)
{
    m_inputName = ToCp1251Lossy(inputName);
    m_lineNumber = 0;
    m_partialLine.clear();
    m_encoding = m_options.Encoding == TInputEncoding::Cp1251 ? TInputEncoding::Cp1251
                                                              : TInputEncoding::Utf8;
    m_encodingTaken = m_options.Encoding == TInputEncoding::Utf8;
}

// ASCII reads alike in both encodings, so the first piece that holds another character decides;
// the lines before it are read the same either way. A sequence that the last piece cut short
// waits at the end of the partial line and is read with the rest of it, or alone at the end.
void TDictionaryBuilder::TakeEncoding(std::string_view bytes, bool last)
{
    const auto beyondAscii = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
    const std::size_t cutStart = std::find_if(m_partialLine.rbegin(), m_partialLine.rend(),
                                              [&](char c) { return !beyondAscii(c); })
                                     .base() -
                                 m_partialLine.begin();
    if (cutStart == m_partialLine.size() && std::none_of(bytes.begin(), bytes.end(), beyondAscii)) {
        return;
    }
    std::string text = m_partialLine.substr(cutStart);
    text.append(bytes);
    const TUtf8Reading reading = ReadAsUtf8(text, !last);
    if (reading.Valid && !reading.BeyondAscii) {
        return;
    }
    m_encodingTaken = true;
    if (m_options.Encoding == TInputEncoding::Auto) {
        m_encoding = reading.Valid ? TInputEncoding::Utf8 : TInputEncoding::Cp1251;
    } else if (reading.Valid && reading.Cyrillic) {
        // Windows-1251 text is almost never valid UTF-8 for long: read as asked, the letters
        // would become pairs such as "Рє" without a word of warning.
        throw EInputError(m_inputName +
                          ": the input is UTF-8 with Cyrillic letters, not Windows-1251");
    }
}

void TDictionaryBuilder::AddChunk(std::string_view bytes)
{
    if (!m_encodingTaken) {
        TakeEncoding(bytes, false);
    }
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            m_partialLine.append(bytes);
            return;
        }
        ++m_lineNumber;
        if (m_partialLine.empty()) {
            AddLine(bytes.substr(0, end));
        } else {
            m_partialLine.append(bytes.substr(0, end));
            AddLine(m_partialLine);
            m_partialLine.clear();
        }
        bytes.remove_prefix(end + 1);
    }
}

void TDictionaryBuilder::EndInput()
{
    if (!m_encodingTaken) {
        TakeEncoding({}, true);
    }
    if (!m_partialLine.empty()) {
        ++m_lineNumber;
        AddLine(m_partialLine);
        m_partialLine.clear();
    }
}

void TDictionaryBuilder::AddLine(std::string_view line)
{
    // Editors on Windows start UTF-8 files with a byte order mark.
    if (m_lineNumber == 1 && m_encoding == TInputEncoding::Utf8 &&
        line.starts_with("\xEF\xBB\xBF")) {
        line.remove_prefix(3);
    }
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    if (m_options.Format == TInputFormat::List) {
        AddListLine(line);
    } else {
        AddTextLine(line);
    }
}

void TDictionaryBuilder::AddListLine(std::string_view line)
{
    line = Trimmed(line);
    if (line.empty() || line.front() == '#') {
        return;
    }
    std::string_view wordText;
    std::string_view countText;
    const std::size_t tab = line.find('\t');
    if (tab != std::string_view::npos) {
        // After a TAB the word may hold spaces.
        wordText = Trimmed(line.substr(0, tab));
        countText = Trimmed(line.substr(tab + 1));
    } else {
        const std::size_t space = line.find(' ');
        const std::string_view first = line.substr(0, space);
        const std::string_view second =
            space == std::string_view::npos ? std::string_view() : Trimmed(line.substr(space));
        // A word that is all digits followed by a count is read as "word count".
        if (ParseCount(second).Valid) {
            wordText = first;
            countText = second;
        } else {
            wordText = second;
            countText = first;
        }
    }
    // A word holds no line break and no NUL; only before a TAB may it hold spaces.
    const std::string_view forbidden = tab == std::string_view::npos
                                           ? std::string_view(" \t\r\0", 4)
                                           : std::string_view("\t\r\0", 3);
    const TParsedCount count = ParseCount(countText);
    if (!count.Valid || wordText.empty() ||
        wordText.find_first_of(forbidden) != std::string_view::npos) {
        Fail(R"(expected "word count", "word<TAB>count" or "count word")");
    }
    m_word.clear();
    if (m_encoding == TInputEncoding::Utf8) {
        for (std::size_t pos = 0; pos < wordText.size();) {
            const long cp = DecodeUtf8(wordText, pos);
            if (cp < 0) {
                Fail("invalid UTF-8 (is the input in Windows-1251?)");
            }
            m_word.push_back(static_cast<char32_t>(cp));
        }
    } else {
        for (const char c : wordText) {
            m_word.push_back(Cp1251ToUnicode(static_cast<unsigned char>(c)));
        }
    }
    AddWord(m_word, count.Value, count.TooLong);
}

void TDictionaryBuilder::AddTextLine(std::string_view line)
{
    m_word.clear();
    bool hyphen = false;  // a hyphen after the word's last letter, kept if a letter follows
    const auto endWord = [&] {
        if (!m_word.empty()) {
            AddWord(m_word, 1, false);
            m_word.clear();
        }
        hyphen = false;
    };
    const bool utf8 = m_encoding == TInputEncoding::Utf8;
    for (std::size_t pos = 0; pos < line.size();) {
        char32_t c = 0;
        if (utf8) {
            const long cp = DecodeUtf8(line, pos);
            if (cp < 0) {
                Fail("invalid UTF-8 (is the input in Windows-1251?)");
            }
            c = static_cast<char32_t>(cp);
        } else {
            c = Cp1251ToUnicode(static_cast<unsigned char>(line[pos++]));
        }
        if (IsLetter(c)) {
            if (hyphen) {
                m_word.push_back(U'-');
                hyphen = false;
            }
            m_word.push_back(c);
        } else if (m_word.empty()) {
            continue;
        } else if (c == U'-' && !hyphen) {
            hyphen = true;
        } else if (c == 0x00AD && !hyphen) {
            // A soft hyphen only marks where the word may be broken.
        } else if (IsCombiningMark(c) && !hyphen) {
            // Part of the letter before it; a word that keeps one has no Windows-1251 form.
            m_word.push_back(c);
        } else {
            endWord();
        }
    }
    endWord();
}

void TDictionaryBuilder::AddWord(std::u32string& word, std::int64_t count, bool countTooLong)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char32_t joined = kept > 0 ? Composed(word[kept - 1], word[i]) : 0;
        if (joined != 0) {
            word[kept - 1] = joined;
        } else {
            word[kept++] = word[i];
        }
    }
    word.resize(kept);
    if (m_options.Lower) {
        std::transform(word.begin(), word.end(), word.begin(), FoldCase);
    }

    m_converted.clear();
    for (const char32_t c : word) {
        const int byte = UnicodeToCp1251(c);
        if (byte < 0) {
            std::string shown;
            for (const char32_t d : word) {
                AppendUtf8(shown, d);
            }
            if (m_dropped.insert(shown).second && m_droppedExamples.size() < kMaxDroppedExamples) {
                m_droppedExamples.push_back(std::move(shown));
            }
            return;
        }
        m_converted.push_back(static_cast<char>(byte));
    }

    const auto found = m_index.find(m_converted);
    const std::int64_t before = found == m_index.end() ? 0 : m_entries[found->second].Count;
    const std::int64_t sum = before + count;
    if (countTooLong || sum > std::numeric_limits<std::int32_t>::max() ||
        sum < std::numeric_limits<std::int32_t>::min()) {
        Fail("the count of \"" + m_converted + "\" does not fit 32 bits signed" +
             (countTooLong ? std::string() : " (it comes to " + std::to_string(sum) + ")"));
    }
    if (found == m_index.end()) {
        m_index.emplace(m_converted, m_entries.size());
        m_entries.push_back({m_converted, sum});
    } else {
        m_entries[found->second].Count = sum;
    }
}

void TDictionaryBuilder::Fail(const std::string& reason) const
{
    throw EInputError(m_inputName + ":" + std::to_string(m_lineNumber) + ": " + reason);
}

TBuiltDictionary TDictionaryBuilder::Result() const
{
    std::vector<std::size_t> order(m_entries.size());
    std::iota(order.begin(), order.end(), 0);
    if (!m_options.KeepOrder) {
        std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
            const TEntry& left = m_entries[a];
            const TEntry& right = m_entries[b];
            return left.Count != right.Count ? left.Count > right.Count : left.Word < right.Word;
        });
    }
    TBuiltDictionary dictionary;
    dictionary.Words.reserve(order.size());
    dictionary.Counts.reserve(order.size());
    for (const std::size_t i : order) {
        dictionary.Words.push_back(m_entries[i].Word);
        dictionary.Counts.push_back(static_cast<std::int32_t>(m_entries[i].Count));
        dictionary.Total += m_entries[i].Count;
    }
    dictionary.DroppedWords = m_dropped.size();
    dictionary.DroppedExamples = m_droppedExamples;
    return dictionary;
}
