#pragma once
// Russian phonemes and stress through espeak-ng, in this process, and the rhyme keys they give.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// espeak-ng or its Russian voice could not be set up; what() is the user's whole message.
class EPhoneticsError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// espeak-ng's ASCII phoneme names for word (Windows-1251), from its Russian voice: "Vkn'o" for
// окно; "" for a word that IsPhonemisableWord refuses, which is not given to espeak-ng. espeak-ng
// keeps one state for the process, so calls from several threads take turns; the library is set up
// at the first call. Throws EPhoneticsError when it cannot be set up.
std::string PhonemesOf(std::string_view word);

// The index keys (IndexKeyFromPhonemes) of word (lowercase Windows-1251): one, or two for a word
// of two known stresses (KnownStresses) that the user did not stress; none for a word that has no
// key. A word of one known stress takes that stress rather than espeak's. stressedVowel picks the
// stress (see TStressedWord), -1 to take espeak's. Throws EPhoneticsError as PhonemesOf does.
std::vector<std::string> RhymeKeysOf(std::string_view word, int stressedVowel = -1);

// What the phonemes depend on besides the word: espeak-ng's version and the size and time of its
// Russian dictionary file, as one line for the index cache's identity.
std::string PhonemeDataVersion();
