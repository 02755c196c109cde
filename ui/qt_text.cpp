// Windows-1251 bytes to QString and back, and the form with "\n" line breaks.

#include "ui/qt_text.h"

#include "ui/line_index.h"
#include "wordstore/encoding.h"

const TCp1251Chars& Cp1251Chars()
{
    static const TCp1251Chars table = [] {
        TCp1251Chars chars;
        for (int byte = 0; byte < 256; ++byte) {
            // Every Windows-1251 character lies in the Basic Multilingual Plane.
            chars[static_cast<std::size_t>(byte)] =
                QChar(static_cast<char16_t>(Cp1251ToUnicode(static_cast<unsigned char>(byte))));
        }
        return chars;
    }();
    return table;
}

QString QStringFromCp1251(std::string_view cp1251)
{
    const TCp1251Chars& table = Cp1251Chars();
    QString out(static_cast<qsizetype>(cp1251.size()), Qt::Uninitialized);
    QChar* to = out.data();
    for (const char byte : cp1251) {
        *to++ = table[static_cast<unsigned char>(byte)];
    }
    return out;
}

std::string Cp1251FromQString(const QString& text)
{
    // Through UTF-8, so that a character outside the code page is named as the core names it.
    return ToCp1251(text.toStdString());
}

QString PaneTextFromCp1251(std::string_view cp1251)
{
    const TCp1251Chars& table = Cp1251Chars();
    const auto* const bytes = reinterpret_cast<const unsigned char*>(cp1251.data());
    const std::size_t end = cp1251.size();
    // Written in place: a listing may run to millions of lines.
    QString out(static_cast<qsizetype>(end), Qt::Uninitialized);
    QChar* const first = out.data();
    QChar* to = first;
    std::size_t pos = 0;
    while (pos < end) {
        for (const std::size_t plain = NextBreakCandidate(cp1251, pos); pos < plain; ++pos) {
            *to++ = table[bytes[pos]];
        }
        if (pos == end) {
            break;
        }
        const unsigned char byte = bytes[pos++];
        if (byte == '\r') {
            *to++ = QLatin1Char('\n');
            if (pos < end && bytes[pos] == '\n') {
                ++pos;
            }
        } else if (byte == '\n') {
            *to++ = QLatin1Char('\n');
        } else {
            *to++ = table[byte];
        }
    }
    out.truncate(to - first);
    return out;
}
