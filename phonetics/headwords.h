#pragma once
// Word classes through Hunspell's Russian dictionary: each word's parts of speech, whether it is
// the dictionary form of one of them, whether Hunspell knows it and whether it is a proper name.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Where Hunspell's Russian dictionary is installed (hunspell-ru).
inline constexpr const char* kHunspellRussianAff = "/usr/share/hunspell/ru_RU.aff";
inline constexpr const char* kHunspellRussianDic = "/usr/share/hunspell/ru_RU.dic";

// The parts of speech a word's readings are told apart by. Gerunds count as verbs; pronouns,
// numerals, prepositions, conjunctions, particles and interjections as Other.
enum class TPartOfSpeech : std::uint8_t {
    Noun,
    Adjective,
    Verb,
    Participle,
    Adverb,
    Other,
};
inline constexpr int kPartsOfSpeech = 6;

// The part of speech named name ("noun", "adj", "verb", "participle", "adv" or "other"), if any.
std::optional<TPartOfSpeech> PartOfSpeechNamed(std::string_view name);

// A word's classes as bits of one std::uint16_t, which the index keeps per word.
struct TWordClass
{
    // Some reading of the word is of part.
    static constexpr std::uint16_t Part(TPartOfSpeech part)
    {
        return static_cast<std::uint16_t>(1U << static_cast<unsigned>(part));
    }
    // Some reading of part has the word as its dictionary form: the nominative singular of a
    // noun (or the nominative of a noun used in the plural only), the masculine nominative
    // singular of an adjective or participle, the infinitive of a verb, an adverb or a word that
    // does not change.
    static constexpr std::uint16_t Headword(TPartOfSpeech part)
    {
        return static_cast<std::uint16_t>(Part(part) << kPartsOfSpeech);
    }
    static constexpr std::uint16_t kParts = (1U << kPartsOfSpeech) - 1;
    static constexpr std::uint16_t kHeadwords = kParts << kPartsOfSpeech;
    // Hunspell knows the word, as it is or capitalised.
    static constexpr std::uint16_t kKnown = 1U << 12;
    // Every reading Hunspell knows of the word comes from a capitalised entry: a proper name or
    // one of its forms (берлина, of Берлин).
    static constexpr std::uint16_t kName = 1U << 13;
};

// Which words a search keeps by their classes (TWordClass bits); the default keeps every word.
struct TClassFilter
{
    std::uint16_t Parts = 0;  // TWordClass::Part bits, one of which the word must have; 0 for any
    bool Headwords = false;   // the word must be the dictionary form of a reading (of Parts)
    bool Known = false;       // Hunspell must know the word
    bool NoNames = false;     // the word must not be a proper name or one of its forms

    bool Active() const { return Parts != 0 || Headwords || Known || NoNames; }
    // Whether a word of classes passes.
    bool Keeps(std::uint16_t classes) const
    {
        const std::uint16_t parts = Parts != 0 ? Parts : TWordClass::kParts;
        const std::uint16_t wanted =
            Headwords ? static_cast<std::uint16_t>(parts << kPartsOfSpeech) : parts;
        return ((Parts == 0 && !Headwords) || (classes & wanted) != 0) &&
               (!Known || (classes & TWordClass::kKnown) != 0) &&
               (!NoNames || (classes & TWordClass::kName) == 0);
    }
};

// One Hunspell handle over the Russian dictionary. Handles are independent: each thread may use
// one of its own, but one handle serves one thread at a time.
class THeadwordTest
{
public:
    // Opens the dictionary at aff and dic (UTF-8, as hunspell-ru's SET line says). When they are
    // missing every word is unknown; Available() tells. Throws EPhoneticsError when they are
    // there but Hunspell's library cannot be loaded.
    THeadwordTest(const std::string& aff = kHunspellRussianAff,
                  const std::string& dic = kHunspellRussianDic);
    ~THeadwordTest();
    THeadwordTest(const THeadwordTest&) = delete;
    THeadwordTest& operator=(const THeadwordTest&) = delete;

    bool Available() const { return m_handle != nullptr; }

    // The classes of word (Windows-1251, small letters; ё and е as the word has them): TWordClass
    // bits. 0 for a word Hunspell does not know and when the dictionary is missing.
    std::uint16_t Classes(std::string_view word);

    // Whether word is the dictionary form of one of its readings (Classes).
    bool IsHeadword(std::string_view word) { return (Classes(word) & TWordClass::kHeadwords) != 0; }

private:
    struct THandle;
    std::unique_ptr<THandle> m_handle;
};

// The size and time of the Hunspell dictionary files, as one line for the index cache's
// identity; "none" when they are missing.
std::string HeadwordDataVersion(const std::string& aff = kHunspellRussianAff,
                                const std::string& dic = kHunspellRussianDic);
