#pragma once
// The letter searches: anagrams of a set of letters, and the words that can be made from them,
// each run over the ticked dictionaries like the other searches.

#include <string>

class TSearchView;

// What a letter search lists.
enum class TLetterMode {
    Anagram,      // words made of exactly the letters
    FromLetters,  // words made of some of the letters, each used at most as often as given
};

// Runs the letter search of mode for letters as typed (Windows-1251): trimmed and lowercased as
// the mask rows lowercase (capitals to small letters, Ё and ё to е). A word is compared byte for
// byte, as a mask compares it, so that a capital, a hyphen or a Latin letter of the word must be
// among the letters as well; an е of the letters stands for an е or an ё of the word, and a "?"
// for any one character. Lists, orders and counts the hits as the ending search does, with the
// same minimum and time limit. Letters that are blank after trimming call nothing. Throws
// EConvertError for the minimum, and ESearchTimeLimit and ESearchCancelled as PatternSearch does.
void LetterSearch(TLetterMode mode, const std::string& letters, TSearchView& view);
