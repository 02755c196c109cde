#pragma once
// The letter searches: anagrams of a set of letters, and the words that can be made from them,
// each run over the ticked dictionaries like the other searches.

#include <optional>
#include <string>

#include "search/search_run.h"

// What a letter search lists.
enum class TLetterMode {
    Anagram,      // words made of exactly the letters, the letters as a word aside
    FromLetters,  // words made of some of the letters, each used at most as often as given
};

// The word test of the letter search of mode for letters as typed (Windows-1251): trimmed and
// lowercased as the mask rows lowercase (capitals to small letters, Ё and ё to е). A word is
// compared byte for byte, as a mask compares it, so that a capital, a hyphen or a Latin letter of
// the word must be among the letters as well; an е of the letters stands for an е or an ё of the
// word, and a "?" for any one character. Nothing for letters that are blank after trimming.
std::optional<TWordTest> LetterTest(TLetterMode mode, const std::string& letters);
