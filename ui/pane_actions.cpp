// The one-line form of a listing, the web search request and the rhyme search's word, on
// Windows-1251 bytes.

#include "ui/pane_actions.h"

#include <cstddef>

#include <QByteArray>
#include <QString>

#include "ui/qt_text.h"
#include "ui/word_bounds.h"

namespace {

constexpr const char* kSearchEngine = "https://yandex.ru";

// Whether byte must be percent-encoded rather than copied: it would end or change the query
// ("&", "#", "%", "+"), it is a control byte, or it is not ASCII.
bool NeedsPercent(unsigned char byte)
{
    return byte == '&' || byte == '#' || byte == '%' || byte == '+' || byte == 0x00 ||
           (byte >= 0x0E && byte <= 0x1F) || byte >= 0x7F;
}

void AppendPercent(std::string& out, unsigned char byte)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    out.push_back('%');
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 0x0F]);
}

// The word of text at span, or nothing when it is a number or a mark rather than a word.
std::string WithLetter(std::string_view text, TWordSpan span)
{
    const std::string_view word = text.substr(span.Begin, span.End - span.Begin);
    for (const char byte : word) {
        if (Cp1251Chars()[static_cast<unsigned char>(byte)].isLetter()) {
            return std::string(word);
        }
    }
    return {};
}

}  // namespace

std::string LinearText(const std::string& paneText)
{
    std::string line = paneText;
    for (char& c : line) {
        if (c == '\r') {
            c = ',';
        } else if (c == '\n') {
            c = ' ';
        }
    }
    return line + "\r\n";
}

std::string EncodeQueryUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size() * 3);
    // One character per byte, so chars[i] is the character of text[i].
    const QString chars = QStringFromCp1251(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x01 && byte <= 0x0D) || byte == ' ') {
            out.push_back('+');
        } else if (NeedsPercent(byte)) {
            // A Cyrillic letter is two UTF-8 bytes; "№" and a few others are three.
            for (const char utf8 : QString(chars[static_cast<qsizetype>(i)]).toUtf8()) {
                AppendPercent(out, static_cast<unsigned char>(utf8));
            }
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string WebSearchRequest(const std::string& selection)
{
    return std::string(kSearchEngine) + "/yandsearch?text=" + EncodeQueryUtf8(selection) +
           "&msg=Viva%20la%20Yandex!";
}

std::string RhymeWordOf(std::string_view selection, std::string_view line, std::size_t caret)
{
    if (!selection.empty()) {
        for (std::size_t pos = 0; pos < selection.size(); ++pos) {
            if (!InWord(selection, pos)) {
                continue;
            }
            const TWordSpan span = WordAt(selection, pos);
            std::string word = WithLetter(selection, span);
            if (!word.empty()) {
                return word;
            }
            pos = span.End - 1;
        }
        return {};
    }
    // A caret right after a word, as after a double-click's selection or at the line's end,
    // still stands for that word.
    if (caret < line.size() && InWord(line, caret)) {
        return WithLetter(line, WordAt(line, caret));
    }
    if (caret > 0 && caret <= line.size() && InWord(line, caret - 1)) {
        return WithLetter(line, WordAt(line, caret - 1));
    }
    return {};
}
