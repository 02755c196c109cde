#pragma once
// Query translation: what each search row does with the text typed into its field.

#include <optional>
#include <string>

#include "search/search_run.h"

// The four search rows.
enum class TQueryMode {
    Ending,
    Mask,
    Regexp,
    Inexact,
};

// Rewrites the text of the regular-expression row in place: Latin and Cyrillic capitals to small
// letters and "Ё" to "ё"; "ё" stays, so that a typed ё finds only ё. Inside the expression (after
// the first byte above 0x20, up to its last occurrence, where the pattern search splits the
// text) the byte right after a backslash and the text between \Q and \E stay as typed, so that
// escapes such as \D, \W, \P{..} keep their meaning; "\\" is an escaped backslash. The
// delimiters and the modifier letters after the expression are lowercased.
void LowerPattern(std::string& text);

// Translates a lowercased mask (the language of search/mask.h) to the pattern "/^...$/" of its
// exact expression. Empty when nothing of the mask is left. Throws EMaskError for a malformed
// set.
std::string MaskToPattern(const std::string& query);

// As MaskToPattern, with the inexact expression: every letter also accepts its look-alikes and
// the signs around it; a set takes the letters of the set only.
std::string InexactMaskToPattern(const std::string& query);

// The query a row sends for fieldText (lowercased by LowerPattern for the regexp row and by
// LowerCyr for the others, then translated as the mode asks); empty for a mask, regexp or
// inexact row when nothing is left, in which case no search starts. Throws EMaskError for a mask
// or inexact row whose text holds a malformed set.
std::string TranslateQuery(TQueryMode mode, const std::string& fieldText);

// What a row's button searches for: the word test of its mode for fieldText as TranslateQuery
// translates it; nothing when the translation is empty for a row that needs a query, in which
// case no search starts. Throws what TranslateQuery throws.
std::optional<TWordTest> RowTest(TQueryMode mode, const std::string& fieldText);

// The filter by which RowTest(mode, fieldText)'s search turns words away before its own test:
// no word it does not pass is ever found. Throws what TranslateQuery throws.
TTailFilter RowTailFilter(TQueryMode mode, const std::string& fieldText);
