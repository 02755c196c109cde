#pragma once
// The Russian letters of Windows-1251 and the rules about them that the whole program shares:
// their bytes, the two case folds (ё kept apart from е, or folded into it), vowels and
// consonants, and the blanks that typed text is trimmed of.

#include <array>
#include <string>
#include <string_view>

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

// The small letter of a capital A-Z, А-Я or Ё; any other byte as it is. ё stays apart from е,
// as the stress of a word depends on it.
constexpr char LowerLetter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= kCapitalA && byte <= kCapitalYa)) {
        return static_cast<char>(byte + kCaseDistance);
    }
    return byte == kCapitalYo ? static_cast<char>(kSmallYo) : c;
}

// The capital letter of a small a-z, а-я or ё; any other byte as it is.
constexpr char UpperLetter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || byte >= kSmallA) {
        return static_cast<char>(byte - kCaseDistance);
    }
    return byte == kSmallYo ? static_cast<char>(kCapitalYo) : c;
}

// As LowerLetter, but Ё and ё become е: the fold of a query that finds е and ё alike.
constexpr char LowerLetterYoAsYe(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte == kCapitalYo || byte == kSmallYo ? static_cast<char>(kSmallYe) : LowerLetter(c);
}

// Rewrites text in place: Latin and Cyrillic capitals to small letters, "Ё" and "ё" to "е".
void LowerCyr(std::string& text);

// text with capitals turned to small letters, "Ё" to "ё", by LowerLetter.
std::string LowerKeepingYo(std::string text);

// What kind of letter a byte is.
enum class TLetterKind : unsigned char {
    None,  // not a Russian letter, or ь or ъ
    Vowel,
    Consonant,
};

// One entry per byte: the vowels а е ё и о у ы э ю я and the consonants
// б в г д ж з й к л м н п р с т ф х ц ч ш щ, in either case.
inline constexpr std::array<TLetterKind, 256> kLetterKinds = [] {
    constexpr unsigned char kSmallVowels[] = {0xE0, 0xE5, kSmallYo, 0xE8, 0xEE,
                                              0xF3, 0xFB, 0xFD,     0xFE, 0xFF};
    constexpr unsigned char kHardSign = 0xFA;  // ъ
    constexpr unsigned char kSoftSign = 0xFC;  // ь
    std::array<TLetterKind, 256> kinds{};
    for (unsigned byte = 0; byte < kinds.size(); ++byte) {
        const auto small = static_cast<unsigned char>(LowerLetter(static_cast<char>(byte)));
        if ((!IsSmallRussianLetter(small) && small != kSmallYo) || small == kHardSign ||
            small == kSoftSign) {
            continue;
        }
        kinds[byte] = TLetterKind::Consonant;
        for (const unsigned char vowel : kSmallVowels) {
            if (small == vowel) {
                kinds[byte] = TLetterKind::Vowel;
            }
        }
    }
    return kinds;
}();

// Whether c is a vowel letter (а е ё и о у ы э ю я) of either case.
constexpr bool IsVowel(char c)
{
    return kLetterKinds[static_cast<unsigned char>(c)] == TLetterKind::Vowel;
}

// Whether c is a consonant letter (б в г д ж з й к л м н п р с т ф х ц ч ш щ) of either case;
// ь and ъ are neither vowels nor consonants.
constexpr bool IsConsonant(char c)
{
    return kLetterKinds[static_cast<unsigned char>(c)] == TLetterKind::Consonant;
}

// Whether c is blank as the searches read a query: a byte from 0x00 to 0x20, the control bytes
// and the space.
constexpr bool IsBlankByte(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// text without its leading and trailing blanks (IsBlankByte).
std::string TrimBlanks(std::string_view text);

// Whether c is white space as the "C" locale's isspace has it: the space, \t, \n, \v, \f and \r.
// Fewer bytes than IsBlankByte takes.
constexpr bool IsWhiteSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Whether text is empty or all white space (IsWhiteSpace).
bool IsAllWhiteSpace(std::string_view text);
