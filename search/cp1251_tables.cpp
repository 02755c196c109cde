// Character tables of Windows-1251 for PCRE2, built at compile time from the code page.

#include "search/cp1251_tables.h"

#include <array>
#include <cstddef>
#include <utility>

#include "wordstore/letters.h"

namespace {

// PCRE2 would build the tables with pcre2_maketables from the current locale; the
// program must not depend on an installed locale, so the tables are built here from the code page
// in the same 1088-byte layout: to-lower, flip-case, ten class bitmaps, character types.

constexpr std::size_t kToLower = 0;
constexpr std::size_t kFlipCase = 256;
constexpr std::size_t kClassBits = 512;
constexpr std::size_t kCharTypes = 832;
constexpr std::size_t kTablesSize = 1088;

// The class bitmaps inside the class-bits section, 32 bytes each, in PCRE2's order.
constexpr std::size_t kSpaceBits = 0;
constexpr std::size_t kXDigitBits = 32;
constexpr std::size_t kDigitBits = 64;
constexpr std::size_t kUpperBits = 96;
constexpr std::size_t kLowerBits = 128;
constexpr std::size_t kWordBits = 160;
constexpr std::size_t kGraphBits = 192;
constexpr std::size_t kPrintBits = 224;
constexpr std::size_t kPunctBits = 256;
constexpr std::size_t kCntrlBits = 288;

// Character type flags, PCRE2's ctype_* values.
constexpr unsigned kTypeSpace = 0x01;
constexpr unsigned kTypeLetter = 0x02;
constexpr unsigned kTypeLowerLetter = 0x04;
constexpr unsigned kTypeDigit = 0x08;
constexpr unsigned kTypeWord = 0x10;

// The Cyrillic letters of Windows-1251 that LowerLetter leaves alone, as pairs of capital and
// small letter, by their Unicode case mapping.
constexpr std::pair<unsigned char, unsigned char> kCyrillicCasePairs[] = {
    {0x80, 0x90},  // Ђ ђ
    {0x81, 0x83},  // Ѓ ѓ
    {0x8A, 0x9A},  // Љ љ
    {0x8C, 0x9C},  // Њ њ
    {0x8D, 0x9D},  // Ќ ќ
    {0x8E, 0x9E},  // Ћ ћ
    {0x8F, 0x9F},  // Џ џ
    {0xA1, 0xA2},  // Ў ў
    {0xA3, 0xBC},  // Ј ј
    {0xA5, 0xB4},  // Ґ ґ
    {0xAA, 0xBA},  // Є є
    {0xAF, 0xBF},  // Ї ї
    {0xB2, 0xB3},  // І і
    {0xBD, 0xBE},  // Ѕ ѕ
};

constexpr int kUndefinedByte = 0x98;
constexpr int kNoBreakSpace = 0xA0;

// ASCII is classified as pcre2_maketables does in the "C" locale. Of the upper half, the Cyrillic
// letters are letters (so \w, [:alpha:], [:upper:], [:lower:] and caseless matching know them);
// every other defined byte (quotes, dashes, « », №, §, µ, the soft hyphen...) is punctuation;
// the no-break space is printable but neither graphic nor \s, as in Perl's byte semantics; the
// undefined 0x98 belongs to no class.
constexpr std::array<unsigned char, kTablesSize> BuildCp1251Tables()
{
    std::array<int, 256> lower{};
    std::array<int, 256> upper{};
    for (int c = 0; c < 256; ++c) {
        lower[c] = c;
        upper[c] = c;
    }
    auto addPair = [&](int capital, int small) {
        lower[capital] = small;
        upper[small] = capital;
    };
    for (int c = 0; c < 256; ++c) {
        const auto small = static_cast<unsigned char>(LowerLetter(static_cast<char>(c)));
        if (small != c) {
            addPair(c, small);
        }
    }
    for (const auto& [capital, small] : kCyrillicCasePairs) {
        addPair(capital, small);
    }

    std::array<unsigned char, kTablesSize> tables{};
    for (int c = 0; c < 256; ++c) {
        const bool isUpper = lower[c] != c;
        const bool isLower = upper[c] != c;
        const bool isLetter = isUpper || isLower;
        const bool isDigit = c >= '0' && c <= '9';
        const bool isXDigit = isDigit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        const bool isSpace = (c >= 0x09 && c <= 0x0D) || c == ' ';
        const bool isCntrl = c < 0x20 || c == 0x7F;
        const bool isPrint = (c >= 0x20 && c < 0x7F) || (c >= 0x80 && c != kUndefinedByte);
        const bool isGraph = isPrint && c != ' ' && c != kNoBreakSpace;
        const bool isWord = isLetter || isDigit || c == '_';
        const bool isPunct = isGraph && !isLetter && !isDigit;

        tables[kToLower + c] = static_cast<unsigned char>(lower[c]);
        tables[kFlipCase + c] = static_cast<unsigned char>(isUpper ? lower[c] : upper[c]);

        const auto setBit = [&](std::size_t map, bool on) {
            if (on) {
                tables[kClassBits + map + c / 8] |= static_cast<unsigned char>(1u << (c % 8));
            }
        };
        setBit(kSpaceBits, isSpace);
        setBit(kXDigitBits, isXDigit);
        setBit(kDigitBits, isDigit);
        setBit(kUpperBits, isUpper);
        setBit(kLowerBits, isLower);
        setBit(kWordBits, isWord);
        setBit(kGraphBits, isGraph);
        setBit(kPrintBits, isPrint);
        setBit(kPunctBits, isPunct);
        setBit(kCntrlBits, isCntrl);

        tables[kCharTypes + c] =
            static_cast<unsigned char>((isSpace ? kTypeSpace : 0) | (isLetter ? kTypeLetter : 0) |
                                       (isLower ? kTypeLowerLetter : 0) |
                                       (isDigit ? kTypeDigit : 0) | (isWord ? kTypeWord : 0));
    }
    return tables;
}

constexpr std::array<unsigned char, kTablesSize> kCp1251Tables = BuildCp1251Tables();

}  // namespace

const unsigned char* Cp1251CharacterTables()
{
    return kCp1251Tables.data();
}
