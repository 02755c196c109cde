// The word rules of the result pane, on the characters the Windows-1251 bytes stand for.

#include "ui/word_bounds.h"

#include "ui/qt_text.h"

namespace {

enum class TCharKind { Other, Blank, Letter, Digit };

TCharKind KindOf(char byte)
{
    const QChar c = Cp1251Chars()[static_cast<unsigned char>(byte)];
    if (byte >= '0' && byte <= '9') {
        return TCharKind::Digit;
    }
    if (c.isLetterOrNumber() || byte == '_') {
        return TCharKind::Letter;
    }
    return c.isSpace() ? TCharKind::Blank : TCharKind::Other;
}

bool IsWordByte(char byte)
{
    const TCharKind kind = KindOf(byte);
    return kind == TCharKind::Letter || kind == TCharKind::Digit;
}

bool IsBlank(char byte)
{
    return KindOf(byte) == TCharKind::Blank;
}

// Whether a punctuation byte between two word bytes keeps them one word.
bool Joins(char byte, TCharKind before, TCharKind after)
{
    constexpr char kRightQuote = '\x92';
    if (before == TCharKind::Digit && after == TCharKind::Digit) {
        return byte == ',' || byte == '.' || byte == ';' || byte == '\'' || byte == kRightQuote;
    }
    if (before == TCharKind::Letter && after == TCharKind::Letter) {
        return byte == '\'' || byte == kRightQuote || byte == '.' || byte == ':';
    }
    return false;
}

}  // namespace

bool InWord(std::string_view line, std::size_t pos)
{
    const char byte = line[pos];
    if (IsWordByte(byte)) {
        return true;
    }
    if (pos == 0 || pos + 1 >= line.size()) {
        return false;
    }
    return Joins(byte, KindOf(line[pos - 1]), KindOf(line[pos + 1]));
}

TWordSpan WordAt(std::string_view line, std::size_t pos)
{
    TWordSpan span{pos, pos + 1};
    if (InWord(line, pos)) {
        while (span.Begin > 0 && InWord(line, span.Begin - 1)) {
            --span.Begin;
        }
        while (span.End < line.size() && InWord(line, span.End)) {
            ++span.End;
        }
    }
    return span;
}

std::size_t NextWordStop(std::string_view line, std::size_t pos)
{
    if (InWord(line, pos)) {
        while (pos < line.size() && InWord(line, pos)) {
            ++pos;
        }
    } else if (!IsBlank(line[pos])) {
        ++pos;
    }
    while (pos < line.size() && IsBlank(line[pos])) {
        ++pos;
    }
    return pos;
}

std::size_t PreviousWordStop(std::string_view line, std::size_t pos)
{
    while (pos > 0 && IsBlank(line[pos - 1])) {
        --pos;
    }
    if (pos > 0 && InWord(line, pos - 1)) {
        while (pos > 0 && InWord(line, pos - 1)) {
            --pos;
        }
    } else if (pos > 0) {
        --pos;
    }
    return pos;
}
