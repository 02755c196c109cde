#pragma once
// The one place where the window turns the core's Windows-1251 bytes into Qt's text and back.

#include <array>
#include <string>
#include <string_view>

#include <QChar>
#include <QString>

// The character of every Windows-1251 byte, indexed by the byte as unsigned char. The byte the
// code page leaves undefined (0x98) is U+FFFD. For loops that convert byte by byte.
using TCp1251Chars = std::array<QChar, 256>;
const TCp1251Chars& Cp1251Chars();

// Returns the text of Windows-1251 bytes, one character per byte; line breaks stay as they are.
QString QStringFromCp1251(std::string_view cp1251);

// Returns the Windows-1251 bytes of text. Throws EEncodingError, with the message ToCp1251 gives,
// when a character has no Windows-1251 form.
std::string Cp1251FromQString(const QString& text);

// Returns the text of Windows-1251 bytes with each line break (CR LF, a lone CR or a lone LF) as
// "\n": what the clipboard and a plain-text editor take.
QString PaneTextFromCp1251(std::string_view cp1251);
