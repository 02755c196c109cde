#pragma once
// Query translation: what each search row does with the text typed into its field.

#include <string>

class TSearchView;

// The four search rows.
enum class TQueryMode {
    Ending,
    Mask,
    Regexp,
    Inexact,
};

// Rewrites text in place: Latin and Cyrillic capitals to small letters, "Ё" and "ё" to "е".
void LowerCyr(std::string& text);

// Translates a lowercased mask (the language of search/mask.h) to the pattern "/^...$/" of its
// exact expression. Empty when nothing of the mask is left.
std::string MaskToPattern(const std::string& query);

// As MaskToPattern, with the inexact expression: every letter also accepts its look-alikes and
// the signs around it.
std::string InexactMaskToPattern(const std::string& query);

// The query a row sends for fieldText (lowercased, then translated as the mode asks); empty for a
// mask, regexp or inexact row when nothing is left, in which case no search starts.
std::string TranslateQuery(TQueryMode mode, const std::string& fieldText);

// What a row's button does: translates fieldText and runs the search of its mode, unless the
// translation is empty for a row that needs a query. Returns whether a search ran.
bool RunSearchRow(TQueryMode mode, const std::string& fieldText, TSearchView& view);
