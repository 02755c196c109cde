#pragma once
// Conversion between the Windows-1251 bytes used inside the program and UTF-8 at its edges.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// A text that cannot be converted. what() names the offending character and, unlike the core's
// messages, is UTF-8: the character may have no Windows-1251 form.
class EEncodingError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Returns the UTF-8 form of Windows-1251 text. Bytes that the code page leaves undefined (0x98)
// become U+FFFD.
std::string ToUtf8(std::string_view cp1251);

// Returns the Windows-1251 form of UTF-8 text. Throws EEncodingError for malformed UTF-8 and for
// a character that has no Windows-1251 form.
std::string ToCp1251(std::string_view utf8);

// As ToCp1251, but never throws: malformed bytes and characters without a Windows-1251 form
// become "?". For text that is only shown, such as file names.
std::string ToCp1251Lossy(std::string_view utf8);

// Returns the Unicode code point of a Windows-1251 byte (U+FFFD for the undefined 0x98).
char32_t Cp1251ToUnicode(unsigned char byte);

// Returns the Windows-1251 byte of a code point, or -1 when the code page has no such character.
int UnicodeToCp1251(char32_t codePoint);

// Decodes the UTF-8 sequence at text[pos] and advances pos past it. Returns the code point, or -1
// for a malformed sequence (pos then moves past its first byte).
long DecodeUtf8(std::string_view text, std::size_t& pos);

// How bytes read as UTF-8.
struct TUtf8Reading
{
    bool Valid = true;         // valid UTF-8 throughout
    bool BeyondAscii = false;  // holds a whole character beyond U+007F
    bool Cyrillic = false;     // holds a letter of U+0400 to U+04FF
};

// Reads bytes as UTF-8, as far as the first malformed sequence. With piece, more bytes may follow
// them, so a sequence that their end cuts short counts as valid.
TUtf8Reading ReadAsUtf8(std::string_view bytes, bool piece);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t cp);

// Returns the bytes of a file name as one line of UTF-8 text that keeps different names apart:
// each byte that is not part of valid UTF-8, and each byte of a control character (U+0000 to
// U+001F, U+007F to U+009F), becomes "\xNN" with two upper-case hex digits; a backslash becomes
// "\\"; every other character stays as it is.
std::string SpellName(std::string_view bytes);

// The bytes that a spelling by SpellName stands for: "\\" is a backslash, "\xNN" the byte NN
// (hex digits in either case), anything else stands for itself. Also takes a name not spelled at
// all, when it holds no backslash. Returns nothing when a backslash begins neither form.
std::optional<std::string> ReadSpelledName(std::string_view spelling);
