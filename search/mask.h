#pragma once
// The mask language of the mask rows: a mask is read once into tokens, which the two expression
// writers and the wildcard matcher all take, so that what each sign means is written only here.

#include <bitset>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// What one sign of a mask stands for.
enum class TMaskTokenKind {
    AnyRun,   // "*": any run of characters, also none
    AnyChar,  // "?": exactly one character
    Hyphen,   // "-": a hyphen
    Letter,   // а-я: that small letter
    YeOrYo,   // е of a mask: е or ё, since words keep the ё that the query's lowercasing folds
    Set,      // "@", "#", "[...]", "[!...]": one byte of a set of at least two
};

// A set of bytes, indexed by the byte as unsigned char.
using TByteSet = std::bitset<256>;

struct TMaskToken
{
    TMaskTokenKind Kind = TMaskTokenKind::Letter;
    char Letter = 0;  // the letter's byte for a Letter; 0 for the other kinds, YeOrYo too
    TByteSet Set{};   // the bytes a Set takes; none for the other kinds

    friend bool operator==(const TMaskToken&, const TMaskToken&) = default;
};

// A mask that cannot be read: a "[" without its "]", a set with no letter, a reversed range.
// what() is the user's whole message.
class EMaskError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Reads a lowercased mask (Windows-1251) into its tokens, in order: е becomes YeOrYo, every other
// small letter а-я a Letter; "@" is a Set of the vowels а е ё и о у ы э ю я, "#" one of the
// consonants б-щ with й. "[...]" is a Set of the small letters, ranges "а-е" and hyphens inside
// ("-" first, last or after a range is a hyphen); an е, alone or in a range, brings ё with it.
// "[!...]" takes the small letters and ё that the set would not, never a hyphen. A set of one
// byte becomes the Letter, Hyphen or YeOrYo token it equals. Every other byte, inside a set or
// outside, that is no sign of the language (Latin letters, digits, blanks, ё, capitals, other
// signs, a "]" or "!" out of place) is dropped. Throws EMaskError for "[" without "]"
// ("Unclosed [ in the mask"), a set with no letter or hyphen ("Empty [] in the mask"), a range
// whose first letter comes after its last ("Reversed range in [] of the mask") and a "[!...]"
// that leaves no letter ("No letter left by [!] in the mask").
std::vector<TMaskToken> TokenizeMask(std::string_view mask);

// The expression "^...$" that matches exactly the words the tokens describe: ".*" for a run, "."
// for one character, "[её]" for YeOrYo, the hyphen and the letters as themselves, and a Set as a
// class that lists its bytes without ranges, the hyphen first, then the letters in alphabetical
// order with ё after е ("[аеёиоуыэюя]" for "@"). Empty for no tokens.
std::string ExactMaskExpression(const std::vector<TMaskToken>& tokens);

// As ExactMaskExpression, but each letter also takes its look-alikes (б for п, ш for щ...) and
// hyphens, soft and hard signs around it; a soft or hard sign of the mask may be left out. The
// classes of е (YeOrYo or Letter) and э also take ё. A Set is written as the exact expression
// writes it: one byte of the set itself, without look-alikes or signs around it.
std::string InexactMaskExpression(const std::vector<TMaskToken>& tokens);

// Reads back an expression as ExactMaskExpression writes it: "^", at least one token, "$". A
// letter written as itself is a Letter, so an "е" matches only е; "[её]" is YeOrYo, and a class
// is a Set only when it is spelt as ExactMaskExpression spells that Set. Empty for any other
// expression.
std::optional<std::vector<TMaskToken>> ReadExactMaskExpression(std::string_view expression);
