#pragma once
// The mask language of the mask rows: a mask is read once into tokens, which the two expression
// writers and the wildcard matcher all take, so that what each sign means is written only here.

#include <optional>
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
};

struct TMaskToken
{
    TMaskTokenKind Kind = TMaskTokenKind::Letter;
    char Letter = 0;  // the letter's byte for a Letter; 0 for the other kinds, YeOrYo too

    friend bool operator==(const TMaskToken&, const TMaskToken&) = default;
};

// Reads a lowercased mask (Windows-1251) into its tokens, in order: е becomes YeOrYo, every other
// small letter а-я a Letter. Every byte that is no sign of the language (Latin letters, digits,
// blanks, ё, capitals, other signs) is dropped.
std::vector<TMaskToken> TokenizeMask(std::string_view mask);

// The expression "^...$" that matches exactly the words the tokens describe: ".*" for a run, "."
// for one character, "[её]" for YeOrYo, the hyphen and the letters as themselves. Empty for no
// tokens.
std::string ExactMaskExpression(const std::vector<TMaskToken>& tokens);

// As ExactMaskExpression, but each letter also takes its look-alikes (б for п, ш for щ...) and
// hyphens, soft and hard signs around it; a soft or hard sign of the mask may be left out. The
// classes of е (YeOrYo or Letter) and э also take ё.
std::string InexactMaskExpression(const std::vector<TMaskToken>& tokens);

// Reads back an expression as ExactMaskExpression writes it: "^", at least one token, "$". A
// letter written as itself is a Letter, so an "е" matches only е; "[её]" is YeOrYo. Empty for
// any other expression.
std::optional<std::vector<TMaskToken>> ReadExactMaskExpression(std::string_view expression);
