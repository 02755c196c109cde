#pragma once
// What PCRE2 compiles for a typed expression: the modifier letters and the rewriting of the
// expression (the Russian ranges of r, [:ascii:]), with each byte mapped back to where it was
// typed.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The modifier letters, at their start values.
struct TRegExprModifiers
{
    bool CaseInsensitive = false;  // i
    bool RussianRanges = true;     // r
    bool DotAll = true;            // s
    bool Greedy = true;            // g
    bool MultiLine = false;        // m
    bool Extended = false;         // x

    friend bool operator==(const TRegExprModifiers&, const TRegExprModifiers&) = default;
};

// Applies the modifier letters i, r, s, g, m, x (either case) of letters on top of modifiers;
// "-" switches off the letters after it. Empty when letters holds any other character.
std::optional<TRegExprModifiers> ApplyModifierLetters(const TRegExprModifiers& modifiers,
                                                      std::string_view letters);

// The expression handed to PCRE2 and, for each of its bytes (and its end), the position in the
// user's expression it comes from, to report compile errors where the user wrote them.
struct TPcreExpression
{
    std::string Text;
    std::vector<std::size_t> SourcePos;
};

// Copies expression (Windows-1251), changing only the inside of bracket classes: under the r
// modifier the ranges а-я, А-Я (and any range of Cyrillic letters that spans one of them) also
// take ё or Ё, in front of the range, and а-Я becomes all 66 letters; [:ascii:] and [:^ascii:]
// become byte ranges. The scan reads escapes, \Q...\E, POSIX classes, a leading "]" and comments
// as PCRE2 does, "#" comments only under the x modifier; an option set inside the expression
// ("(?x)") is not followed. Errors are left for PCRE2 to report.
TPcreExpression RewriteExpression(const std::string& expression,
                                  const TRegExprModifiers& modifiers);
