// Rhyme keys from espeak-ng's phoneme names, their normalisation, and the known stresses.

#include "phonetics/rhyme_key.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

#include "phonetics/known_stresses_table.h"
#include "search/word_filter.h"
#include "wordstore/encoding.h"
#include "wordstore/letters.h"

namespace {

// One sound of the phoneme string: a vowel with its class and stress, or a consonant with its
// softness mark.
struct TSound
{
    std::string Text;  // a consonant's letters and softness; a vowel's class letter
    bool Vowel = false;
    char Stressed = 0;  // the vowel's class when stressed
    char Reduced = 0;   // the vowel's class when unstressed
    int Stress = 0;     // 2 primary, 1 secondary, 0 none
};

struct TVowelClass
{
    char Phoneme;
    char Stressed;
    char Reduced;
};

// espeak-ng's Russian vowels (a# I# E2 u" are read as their first letter with the suffix).
constexpr std::array<TVowelClass, 14> kVowels = {{{'a', 'a', 'a'},
                                                  {'A', 'a', 'a'},
                                                  {'@', 'a', 'a'},
                                                  {'V', 'a', 'a'},
                                                  {'o', 'o', 'a'},
                                                  {'O', 'o', 'a'},
                                                  {'8', 'o', 'a'},
                                                  {'e', 'e', 'i'},
                                                  {'E', 'e', 'i'},
                                                  {'i', 'i', 'i'},
                                                  {'I', 'i', 'i'},
                                                  {'u', 'u', 'u'},
                                                  {'U', 'u', 'u'},
                                                  {'y', 'y', 'i'}}};

const TVowelClass* VowelOf(char phoneme)
{
    for (const TVowelClass& vowel : kVowels) {
        if (vowel.Phoneme == phoneme) {
            return &vowel;
        }
    }
    if (phoneme == 'Y') {
        static constexpr TVowelClass kY = {'Y', 'y', 'i'};
        return &kY;
    }
    return nullptr;
}

// The stressed class of a vowel letter (Windows-1251, lowercase), or 0 for another byte.
char LetterVowelClass(unsigned char letter)
{
    switch (letter) {
        case 0xE0:  // а
        case 0xFF:  // я
            return 'a';
        case 0xEE:  // о
        case 0xB8:  // ё
            return 'o';
        case 0xF3:  // у
        case 0xFE:  // ю
            return 'u';
        case 0xE8:  // и
            return 'i';
        case 0xFB:  // ы
            return 'y';
        case 0xE5:  // е
        case 0xFD:  // э
            return 'e';
        default:
            return 0;
    }
}

// Whether word ends in a soft sign that softens the consonant before it. espeak voices a final
// "вь" as it voices "в" (любовь and готов both end in "of"), which would make them rhyme; after
// ж, ш, ч and щ the sign is spelling only (мышь rhymes with камыш).
bool EndsSoft(std::string_view word)
{
    // ь, and ж, ш, ч, щ.
    constexpr unsigned char kSoftSign = 0xFC;
    constexpr std::array<unsigned char, 4> kAlwaysHardOrSoft = {0xE6, 0xF8, 0xF7, 0xF9};
    if (word.size() < 2 || static_cast<unsigned char>(LowerLetter(word.back())) != kSoftSign) {
        return false;
    }
    const auto before = static_cast<unsigned char>(LowerLetter(word[word.size() - 2]));
    return std::find(kAlwaysHardOrSoft.begin(), kAlwaysHardOrSoft.end(), before) ==
           kAlwaysHardOrSoft.end();
}

// Splits espeak's phoneme names into sounds.
std::vector<TSound> ReadSounds(std::string_view phonemes)
{
    std::vector<TSound> sounds;
    int stress = 0;
    for (std::size_t i = 0; i < phonemes.size(); ++i) {
        const char c = phonemes[i];
        const char next = i + 1 < phonemes.size() ? phonemes[i + 1] : '\0';
        if (c == '\'') {
            stress = 2;
        } else if (c == ',') {
            stress = std::max(stress, 1);
        } else if (c == '@' && next == '-') {
            ++i;  // the schwa espeak inserts between consonants ("t@-r")
        } else if (c == 'I' && next == '^') {
            ++i;  // a soft sign: softness of the consonant before
            if (!sounds.empty() && !sounds.back().Vowel && sounds.back().Text.back() != ';') {
                sounds.back().Text += ';';
            }
        } else if (c == ';') {
            if (!sounds.empty() && !sounds.back().Vowel) {
                sounds.back().Text += ';';
            }
        } else if (const TVowelClass* vowel = VowelOf(c)) {
            if (next == '#' || next == '"' || next == '2') {
                ++i;
            }
            sounds.push_back({std::string(1, c), true, vowel->Stressed, vowel->Reduced, stress});
            stress = 0;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            sounds.push_back({std::string(1, c), false, 0, 0, 0});
        }
        // Anything else (pauses "_", "!", "|", lengthening ":") is no sound of the key.
    }
    return sounds;
}

char Bare(const TSound& sound)
{
    return sound.Vowel ? '\0' : sound.Text[0];
}

// Whether sounds[i], sounds[i + 1], ... are consonants spelled by the letters of cluster.
bool ClusterAt(const std::vector<TSound>& sounds, std::size_t i, std::string_view cluster)
{
    if (i + cluster.size() > sounds.size()) {
        return false;
    }
    for (std::size_t k = 0; k < cluster.size(); ++k) {
        if (Bare(sounds[i + k]) != cluster[k]) {
            return false;
        }
    }
    return true;
}

// Whether sounds[i] is a consonant that is spelled and not said: т in "стн", "стл" and "нтск",
// д in "здн" and "ндск", the first в of "вств", л in "лнц" (честный, праздник, гигантский,
// голландский, чувство, солнце), and t or d before "ts" (сердце, ситца).
bool Unsaid(const std::vector<TSound>& sounds, std::size_t i)
{
    // Each cluster with the place of its unsaid letter.
    static constexpr std::pair<std::string_view, std::size_t> kClusters[] = {
        {"stn", 1},  {"stl", 1},  {"zdn", 1}, {"ntsk", 1}, {"ndsk", 1},
        {"vstv", 0}, {"lnts", 0}, {"tts", 0}, {"dts", 0},
    };
    for (const auto& [cluster, unsaid] : kClusters) {
        if (i >= unsaid && ClusterAt(sounds, i - unsaid, cluster)) {
            return true;
        }
    }
    return false;
}

// Normalises the consonants as they are said: the unsaid ones go; "ts" is hard in -ться as in
// -тся (биться, ситца); с and з before a consonant lose the softness espeak gives them before
// some (праздник, гвоздь); a consonant written twice in a row counts once; a final voiced
// consonant is devoiced where espeak leaves it (ложь as нож).
void SimplifyConsonants(std::vector<TSound>& sounds)
{
    for (std::size_t i = 0; i + 1 < sounds.size(); ++i) {
        TSound& sound = sounds[i];
        const TSound& next = sounds[i + 1];
        // Only the softness goes: the letter is the first of the text.
        if (Bare(sound) == 't' && Bare(next) == 's') {
            sound.Text.resize(1);
            sounds[i + 1].Text.resize(1);
        } else if ((Bare(sound) == 's' || Bare(sound) == 'z') && !next.Vowel) {
            sound.Text.resize(1);
        }
    }
    std::vector<TSound> kept;
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        const TSound& sound = sounds[i];
        if (!sound.Vowel && Unsaid(sounds, i)) {
            continue;
        }
        if (!sound.Vowel && !kept.empty() && !kept.back().Vowel && kept.back().Text == sound.Text) {
            continue;
        }
        kept.push_back(sound);
    }
    if (!kept.empty() && !kept.back().Vowel) {
        static constexpr std::string_view kVoiced = "bvgdzZ";
        static constexpr std::string_view kVoiceless = "pfktsS";
        std::string& last = kept.back().Text;
        const std::size_t voiced = kVoiced.find(last[0]);
        if (voiced != std::string_view::npos) {
            last[0] = kVoiceless[voiced];
        }
    }
    sounds = std::move(kept);
}

// Whether the word (Windows-1251) ends in letter or in the two letters first and letter.
bool EndsIn(std::string_view word, unsigned char letter, unsigned char first = 0)
{
    const std::size_t size = word.size();
    return size >= 2 && static_cast<unsigned char>(LowerLetter(word[size - 1])) == letter &&
           (first == 0 || static_cast<unsigned char>(LowerLetter(word[size - 2])) == first);
}

// Whether sounds[i] is a vowel after ж, ш or ц, where и is said as ы.
bool AfterHardHissing(const std::vector<TSound>& sounds, std::size_t i)
{
    if (i == 0) {
        return false;
    }
    const std::string& before = sounds[i - 1].Text;
    return before == "Z" || before == "S" || (before == "s" && i >= 2 && sounds[i - 2].Text == "t");
}

// Whether c is a vowel of a rhyme key: the class letters a o e i u y, which no consonant of
// espeak-ng's Russian voice is written with.
bool IsKeyVowel(char c)
{
    return std::string_view("aoeiuy").find(c) != std::string_view::npos;
}

// A rhyme key as a near rhyme compares it: its vowels, the stressed one as it is (ы as и) and
// the others as one, and the consonants before, between and after them, voiced and voiceless alike,
// without softness and without й.
struct TKeySkeleton
{
    std::string Vowels;               // the stressed vowel, then "*" for each other
    std::vector<std::string> Groups;  // the consonants before each vowel, and after the last
};

std::optional<TKeySkeleton> SkeletonOf(std::string_view key)
{
    static constexpr std::string_view kVoiced = "bvgdzZ";
    static constexpr std::string_view kVoiceless = "pfktsS";
    TKeySkeleton skeleton;
    skeleton.Groups.emplace_back();
    for (const char c : key) {
        if (IsKeyVowel(c)) {
            // A stressed ы is near a stressed и (навзрыд, горит).
            skeleton.Vowels += !skeleton.Vowels.empty() ? '*' : c == 'y' ? 'i' : c;
            skeleton.Groups.emplace_back();
        } else if (c != ';' && c != 'j') {
            const std::size_t voiced = kVoiced.find(c);
            skeleton.Groups.back() += voiced == std::string_view::npos ? c : kVoiceless[voiced];
        }
    }
    if (skeleton.Vowels.empty()) {
        return std::nullopt;
    }
    // ц and ч are one consonant each.
    for (std::string& group : skeleton.Groups) {
        for (std::size_t i = 0; i + 1 < group.size(); ++i) {
            if (group[i] == 't' && (group[i + 1] == 's' || group[i + 1] == 'S')) {
                group.replace(i, 2, 1, group[i + 1] == 's' ? 'c' : 'C');
            }
        }
    }
    return skeleton;
}

// Whether a consonant of a near rhyme may stand for the other (voiced and voiceless ones being
// taken as one already, ц written c and ч C): м and н, л and р, т and ч, с and ц; любовь and он
// do not rhyme, свет and снег neither.
bool Akin(char a, char b)
{
    static constexpr std::string_view kKin[] = {"mn", "lr", "tC", "sc"};
    return std::any_of(std::begin(kKin), std::end(kKin), [&](std::string_view kin) {
        return kin.find(a) != std::string_view::npos && kin.find(b) != std::string_view::npos;
    });
}

// How far two consonant groups of near rhymes lie apart, counted up to 2: 0 when equal, 1 when
// one consonant is changed for an akin one, or dropped from a cluster (at the end of the word only
// the last one: дождь and дрожь, not дождь and от), 2 otherwise. A group is never dropped whole:
// осень and вопросы do not rhyme.
std::size_t GroupDistance(std::string_view a, std::string_view b, bool last)
{
    if (a == b) {
        return 0;
    }
    if (a.size() > b.size()) {
        std::swap(a, b);
    }
    if (a.size() == b.size()) {
        std::size_t changed = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            changed += a[i] == b[i] ? 0 : Akin(a[i], b[i]) ? 1 : 2;
        }
        return std::min<std::size_t>(changed, 2);
    }
    if (a.empty() || b.size() - a.size() > 1) {
        return 2;
    }
    if (last) {
        return b.starts_with(a) ? 1 : 2;
    }
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (a.substr(0, i) == b.substr(0, i) && a.substr(i) == b.substr(i + 1)) {
            return 1;
        }
    }
    return 2;
}

}  // namespace

bool IsPhonemisableWord(std::string_view word)
{
    std::size_t letters = 0;
    bool vowel = false;
    bool afterLetter = false;
    for (const char c : word) {
        const auto small = static_cast<unsigned char>(LowerLetter(c));
        if (c == '-' && afterLetter) {
            afterLetter = false;
            continue;
        }
        if (!IsSmallRussianLetter(small) && small != kSmallYo) {
            return false;
        }
        if (++letters > kMaxPhonemisedLetters) {
            return false;
        }
        afterLetter = true;
        vowel = vowel || IsVowel(c);
    }
    return vowel && afterLetter;
}

TStressedWord ReadStressedWord(std::string_view typed)
{
    TStressedWord result;
    int vowels = 0;
    for (const char c : typed) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\'' || byte == 0xB4) {
            if (!result.Word.empty() && IsVowel(result.Word.back())) {
                result.StressedVowel = vowels - 1;
            }
            continue;
        }
        result.Word.push_back(c);
        vowels += IsVowel(c) ? 1 : 0;
    }
    return result;
}

std::string RhymeKeyFromPhonemes(std::string_view phonemes, std::string_view word,
                                 int stressedVowel)
{
    return std::string(RhymePart(IndexKeyFromPhonemes(phonemes, word, stressedVowel)));
}

std::string IndexKeyFromPhonemes(std::string_view phonemes, std::string_view word,
                                 int stressedVowel)
{
    if (!IsPhonemisableWord(word)) {
        return {};
    }
    std::vector<TSound> sounds = ReadSounds(phonemes);
    SimplifyConsonants(sounds);
    std::vector<std::size_t> vowels;
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        if (sounds[i].Vowel) {
            vowels.push_back(i);
        }
    }
    if (vowels.empty()) {
        return {};
    }
    std::size_t stressed = vowels.front();
    char stressedClass = 0;
    if (stressedVowel >= 0 && static_cast<std::size_t>(stressedVowel) < vowels.size() &&
        vowels.size() == SyllableCount(word)) {
        stressed = vowels[static_cast<std::size_t>(stressedVowel)];
        // The vowel espeak reduced is the letter's own once stressed.
        int seen = -1;
        for (const char c : word) {
            if (IsVowel(c) && ++seen == stressedVowel) {
                stressedClass = LetterVowelClass(static_cast<unsigned char>(LowerLetter(c)));
                break;
            }
        }
    } else {
        for (const int level : {2, 1}) {
            const auto found = std::find_if(vowels.rbegin(), vowels.rend(), [&](std::size_t i) {
                return sounds[i].Stress == level;
            });
            if (found != vowels.rend()) {
                stressed = *found;
                break;
            }
        }
    }
    std::string key;
    // The first sound of the key.
    std::size_t keyStart = stressed;
    if (stressed + 1 == sounds.size() && stressed > 0 && !sounds[stressed - 1].Vowel) {
        // ц leads whole: отцы rhymes with концы, not with носы.
        const std::string& lead = sounds[stressed - 1].Text;
        keyStart = stressed - 1;
        if (stressed >= 2 && sounds[stressed - 2].Text == "t" && lead == "s") {
            key = "t";
            keyStart = stressed - 2;
        }
        key += lead;
    }
    char vowelClass = stressedClass != 0 ? stressedClass : sounds[stressed].Stressed;
    if (vowelClass == 'y' && AfterHardHissing(sounds, stressed)) {
        vowelClass = 'i';
    }
    key += vowelClass;
    constexpr unsigned char kSmallShortI = 0xE9;  // й
    constexpr unsigned char kSmallO = 0xEE;       // о
    const std::size_t last = sounds.size() - 1;
    const bool endsInOj = EndsIn(word, kSmallShortI, kSmallO);
    const bool endsInYeOrYa = EndsIn(word, kSmallYe) || EndsIn(word, kSmallYa);
    for (std::size_t i = stressed + 1; i < sounds.size(); ++i) {
        if (!sounds[i].Vowel) {
            key += sounds[i].Text;
            continue;
        }
        char reduced = sounds[i].Reduced;
        // Unstressed -ой is said as -ый and -ий (безнадёжной, нежный); a final -е and -я after
        // й or a vowel alike (мгновенье, мгновенья).
        if ((endsInOj && i + 1 == last && sounds[last].Text == "j") ||
            (endsInYeOrYa && i == last && (sounds[i - 1].Vowel || sounds[i - 1].Text == "j"))) {
            reduced = 'i';
        }
        key += reduced;
    }
    if (EndsSoft(word) && !sounds.back().Vowel && key.back() != ';') {
        key += ';';
    }
    key += kOnsetMark;
    if (keyStart > 0) {
        const TSound& onset = sounds[keyStart - 1];
        key += onset.Vowel ? std::string(1, onset.Reduced) : onset.Text;
    }
    return key;
}

std::string_view RhymePart(std::string_view indexKey)
{
    return indexKey.substr(0, indexKey.find(kOnsetMark));
}

int StressPlaceOf(std::string_view indexKey)
{
    int vowels = 0;
    for (const char c : RhymePart(indexKey)) {
        vowels += IsKeyVowel(c) ? 1 : 0;
    }
    return vowels;
}

bool NearRhyme(std::string_view a, std::string_view b)
{
    const std::optional<TKeySkeleton> first = SkeletonOf(RhymePart(a));
    const std::optional<TKeySkeleton> second = SkeletonOf(RhymePart(b));
    if (!first || !second || first->Vowels != second->Vowels ||
        first->Groups.size() != second->Groups.size()) {
        return false;
    }
    std::size_t edits = 0;
    const std::size_t groups = first->Groups.size();
    for (std::size_t i = 0; i < groups && edits <= 1; ++i) {
        edits += GroupDistance(first->Groups[i], second->Groups[i], i + 1 == groups);
    }
    return edits <= 1;
}

int StressedVowelOf(std::string_view phonemes, std::string_view word)
{
    std::vector<int> stresses;
    for (const TSound& sound : ReadSounds(phonemes)) {
        if (sound.Vowel) {
            stresses.push_back(sound.Stress);
        }
    }
    if (stresses.size() != SyllableCount(word)) {
        return -1;
    }
    for (const int level : {2, 1}) {
        const auto found = std::find(stresses.rbegin(), stresses.rend(), level);
        if (found != stresses.rend()) {
            return static_cast<int>(stresses.rend() - found) - 1;
        }
    }
    return -1;
}

std::vector<TStressedWord> KnownStresses(std::string_view word)
{
    struct TKnownStress
    {
        std::string Word;
        int First;
        int Second;  // -1 when the word has one stress
    };
    // Converted and sorted once: the index asks for every word of a dictionary.
    static const std::vector<TKnownStress> kKnown = [] {
        std::vector<TKnownStress> known;
        known.reserve(kKnownStressLines.size());
        for (const TKnownStressLine& line : kKnownStressLines) {
            const std::string_view second = line.Second;
            known.push_back(
                {ToCp1251(line.Word), ReadStressedWord(ToCp1251(line.First)).StressedVowel,
                 second.empty() ? -1 : ReadStressedWord(ToCp1251(second)).StressedVowel});
        }
        std::sort(known.begin(), known.end(),
                  [](const TKnownStress& a, const TKnownStress& b) { return a.Word < b.Word; });
        return known;
    }();
    const auto found = std::lower_bound(
        kKnown.begin(), kKnown.end(), word,
        [](const TKnownStress& entry, std::string_view w) { return entry.Word < w; });
    if (found == kKnown.end() || found->Word != word) {
        return {};
    }
    std::vector<TStressedWord> stresses = {{found->Word, found->First}};
    if (found->Second >= 0) {
        stresses.push_back({found->Word, found->Second});
    }
    return stresses;
}
