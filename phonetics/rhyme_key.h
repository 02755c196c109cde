#pragma once
// Rhyme keys: the part of a word's sound from its stressed vowel to the end, read from
// espeak-ng's phoneme names, so that two words rhyme when their keys are equal.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A word (Windows-1251) with the stress its writer gave it: the typed word with every "'" and
// every acute accent removed, and which of its vowel letters carries the stress.
struct TStressedWord
{
    std::string Word;
    int StressedVowel = -1;  // 0 for the first vowel letter; -1 when none was marked
};

// Reads a word as a user types it, Windows-1251: a "'" or an acute accent (0xB4) right after a
// vowel letter marks that vowel as stressed ("замо'к"); the last mark counts. Other marks are
// dropped.
TStressedWord ReadStressedWord(std::string_view typed);

// The version of the rules by which words get their rhyme keys and flags, here and in the index
// build; raised with every change that may give a word other keys or flags, so that the indexes
// cached before are built anew.
inline constexpr int kRhymeKeyRulesVersion = 4;

// The longest word, in letters, that is given to espeak-ng.
inline constexpr std::size_t kMaxPhonemisedLetters = 40;

// Whether word (Windows-1251) is a word that espeak-ng is asked for its phonemes: 1 to
// kMaxPhonemisedLetters Russian letters of either case, at least one of them a vowel, with single
// hyphens between letters. Anything else has no rhyme key and never reaches the library: espeak
// switches language for other letters, spells out runs without a vowel letter, and overruns a
// buffer of its own on some long runs of letters after a full stop.
bool IsPhonemisableWord(std::string_view word);

// The rhyme key of a word from espeak-ng's ASCII phoneme names for it (its Russian voice), or ""
// when it has none. The stressed vowel is vowel number stressedVowel of the phonemes when that is
// given and the phonemes have as many vowels as the word has vowel letters (the vowel is then
// the letter's own, unreduced); else espeak's last primary stress, else its last secondary
// stress, else the first vowel. The key is that vowel and every sound after it; when the vowel
// is the word's last sound, the consonant before it leads the key. Normalised:
//   - stressed vowels: a A -> a, o O 8 -> o, e E E2 -> e, i I -> i, u u" U -> u, y Y -> y;
//   - unstressed vowels by their reduction: a A a# @ V -> a, i I I# e E E2 y Y -> i,
//     u u" U -> u, o O 8 -> a (espeak leaves o unreduced only where it
//     stresses it, or in words said without stress);
//   - stress, pause and syllable marks go, as does the inserted schwa "@-"; a soft sign's "I^"
//     becomes the softness mark ";", which stays with its consonant;
//   - consonants written and not said go: t or d before "ts" (сердце and дверце), т in стн, стл
//     and нтск, д in здн and ндск, the first в of вств, л in лнц; a consonant written twice in a
//     row counts once;
//   - "ts" is hard (биться and ситца); с and з before a consonant lose their softness;
//   - a final voiced consonant is devoiced (ложь as нож);
//   - a stressed ы after ж, ш or ц is i (лежит and блестит); ц leads a key whole (отцы);
//   - an unstressed final -ой is -ый (нежной and нежный), and an unstressed final е or я after
//     й or a vowel is i (мгновенье and мгновенья).
// word is the Windows-1251 word the phonemes belong to; a word that IsPhonemisableWord refuses
// has no key.
std::string RhymeKeyFromPhonemes(std::string_view phonemes, std::string_view word,
                                 int stressedVowel = -1);

// Parts an index key's rhyme key from its onset.
inline constexpr char kOnsetMark = '/';

// The index key of a word: its rhyme key (RhymeKeyFromPhonemes), kOnsetMark, and the onset, the
// sound before the key as the phonemes have it (a consonant with its softness mark, or a
// vowel's unstressed class), empty when the key starts the word. Two words whose index keys are
// equal make a rich rhyme: they sound alike from the consonant before the stressed vowel on
// (устал, пьедестал), or from the sound before the key of an open rhyme (окно, волокно).
std::string IndexKeyFromPhonemes(std::string_view phonemes, std::string_view word,
                                 int stressedVowel = -1);

// The rhyme key of an index key (all of a key without kOnsetMark).
std::string_view RhymePart(std::string_view indexKey);

// The place of the stressed syllable counted from the end of the word, as the rhyme key of an
// index key (or a rhyme key) tells it: 1 for окно, 2 for мама, 3 for сладостный; 0 for no key.
int StressPlaceOf(std::string_view indexKey);

// Whether two rhyme keys (or index keys, by their rhyme keys) make a near rhyme, the inexact
// rhymes poets accept: the same stressed vowel (ы and и alike) and as many syllables after it,
// unstressed vowels alike, and the consonants the same but for one consonant changed for an akin
// one (м and н, л and р, т and ч, с and ц), or dropped from a cluster (at the end of the word only
// the last), once voiced and voiceless consonants are taken as one, softness is ignored and й
// dropped: осень and восемь, ветер and вечер, дождь and дрожь, not осень and вопросы. Equal keys
// are near too.
bool NearRhyme(std::string_view a, std::string_view b);

// The number of the vowel (from 0) of word that espeak-ng stresses in its phoneme names for it,
// as RhymeKeyFromPhonemes picks it without a given stress; -1 when the phonemes have no stress
// or another number of vowels than the word has vowel letters.
int StressedVowelOf(std::string_view phonemes, std::string_view word);

// The stresses of word from the list of known stresses (phonetics/data/stresses.tsv, built into
// the program): one for a common word that espeak-ng stresses wrongly (моя́, гора́), two for a
// word written alike with two stresses (за́мок and замо́к, о́кна and окна́), each as
// ReadStressedWord reads it. Empty for any other word. word is lowercase Windows-1251.
std::vector<TStressedWord> KnownStresses(std::string_view word);
