#pragma once
// The Windows-1251 bytes of the Russian letters, for the parts of the search core that read
// letters byte by byte: the masks, lowercasing, and the engine's tables and ranges.

// А-Я fill kCapitalA to kCapitalYa and а-я fill kSmallA to kSmallYa, in alphabetical order
// without Ё and ё, which stand apart below them.
inline constexpr unsigned char kCapitalA = 0xC0;   // А
inline constexpr unsigned char kCapitalYa = 0xDF;  // Я
inline constexpr unsigned char kSmallA = 0xE0;     // а
inline constexpr unsigned char kSmallYe = 0xE5;    // е
inline constexpr unsigned char kSmallYa = 0xFF;    // я
inline constexpr unsigned char kCapitalYo = 0xA8;  // Ё
inline constexpr unsigned char kSmallYo = 0xB8;    // ё

// A capital letter of А-Я plus this is its small letter.
inline constexpr unsigned char kCaseDistance = kSmallA - kCapitalA;

// Whether byte is one of а-я (ё is not).
constexpr bool IsSmallRussianLetter(unsigned char byte)
{
    return byte >= kSmallA;
}
