// Tests of the rhyme keys: the normalisation of espeak-ng's phonemes, typed stress marks, and
// a table of real word pairs that must or must not rhyme through the whole route.

#include "phonetics/rhyme_key.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "phonetics/phonemes.h"
#include "wordstore/encoding.h"

namespace {

// The keys of a word as a user types it (UTF-8, a "'" after the stressed vowel allowed).
std::vector<std::string> KeysOf(const char* typed)
{
    const TStressedWord word = ReadStressedWord(ToCp1251(typed));
    return RhymeKeysOf(word.Word, word.StressedVowel);
}

bool Rhyme(const char* a, const char* b)
{
    const std::vector<std::string> keysA = KeysOf(a);
    const std::vector<std::string> keysB = KeysOf(b);
    return std::any_of(keysA.begin(), keysA.end(), [&](const std::string& keyA) {
        return std::any_of(keysB.begin(), keysB.end(), [&](const std::string& keyB) {
            return RhymePart(keyA) == RhymePart(keyB);
        });
    });
}

TEST(RhymeKeyFromPhonemes, NormalisesEspeaksPhonemeNames)
{
    struct TCase
    {
        const char* Phonemes;
        const char* Word;
        int Stressed;
        const char* Key;
    };
    const TCase cases[] = {
        {"Vkn'o", "окно", -1, "no"},             // a last stressed vowel takes its consonant
        {"m'oZnV", "можно", -1, "oZna"},         // reduced V
        {"l;u\"b'of", "любовь", -1, "of;"},      // u" and stress marks go; the final ь softens
        {"ts'ErkVf", "церковь", -1, "erkaf;"},   // E is e
        {"t@-r;iv'oga#", "тревога", -1, "oga"},  // the inserted schwa and a# go
        {"s;'erdtsy", "сердце", -1, "ertsi"},    // d before ts goes; y reduces to i
        {"dv;'erI^", "дверь", -1, "er;"},        // a soft sign softens r
        {"Id;'8t", "идёт", -1, "ot"},            // ё's 8 is o
        {"mV'8", "моё", -1, "o"},                // a vowel before: no consonant joins
        {"b,ylV", "было", -1, "yla"},            // only a secondary stress
        {"byl", "был", -1, "yl"},                // no stress: the first vowel
        {"m'At;", "мать", -1, "at;"},            // softness stays
        {"v'Anna", "ванна", -1, "ana"},          // a doubled consonant counts once
        {"zam'ok", "замок", 0, "amak"},          // stress moved: the o espeak stressed reduces
        {"zam'ok", "замок", 1, "ok"},
        {"zam'ok", "замок", 5, "ok"},                    // no such vowel: espeak's stress
        {"b;'it;s;V", "биться", -1, "itsa"},             // ts is hard
        {"l;iZ'yt", "лежит", -1, "it"},                  // ы after ж is и
        {"Vtts'y", "отцы", -1, "tsi"},                   // ц leads whole
        {"l'oZ", "ложь", -1, "oS"},                      // devoiced
        {"s'olntsy", "солнце", -1, "ontsi"},             // unsaid л
        {"p@-r'Azdn;ik", "праздник", -1, "azn;ik"},      // unsaid д; з before н is hard
        {"tS;'u#vstvV", "чувство", -1, "ustva"},         // unsaid в
        {"b;iznad;'eZnVj", "безнадежной", -1, "eZnij"},  // unstressed -ой
        {"zabv;'enjja", "забвенья", -1, "enji"},         // -я after й
        {"(en)D@(ru)", "the", -1, ""},                   // not Cyrillic
        {"v'E", "в", -1, ""},  // no vowel letter: espeak spells the letter
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Phonemes) + " " + c.Word);
        EXPECT_EQ(RhymeKeyFromPhonemes(c.Phonemes, ToCp1251(c.Word), c.Stressed), c.Key);
    }
}

TEST(ReadStressedWord, TakesTheMarkAfterAVowelAndDropsTheRest)
{
    const std::pair<std::string, std::pair<const char*, int>> cases[] = {
        {ToCp1251("замо'к"), {"замок", 1}},
        {ToCp1251("за'мок"), {"замок", 0}},
        {ToCp1251("за") + "\xB4" + ToCp1251("мок"), {"замок", 0}},  // an acute accent
        {ToCp1251("замок"), {"замок", -1}},
        {ToCp1251("з'амок"), {"замок", -1}},  // after a consonant: no stress
        {ToCp1251("'окно"), {"окно", -1}},
        {ToCp1251("о'кно'"), {"окно", 1}},  // the last mark counts
    };
    for (const auto& [typed, expected] : cases) {
        SCOPED_TRACE(ToUtf8(typed));
        const TStressedWord word = ReadStressedWord(typed);
        EXPECT_EQ(ToUtf8(word.Word), expected.first);
        EXPECT_EQ(word.StressedVowel, expected.second);
    }
}

TEST(RhymeKeysOf, RealPairsRhymeOrNotAsAPoetHearsThem)
{
    struct TPair
    {
        const char* First;
        const char* Second;
        bool Rhyme;
    };
    const TPair pairs[] = {
        {"окно", "кино", true},
        {"окно", "вино", true},
        {"окно", "давно", true},
        {"окно", "одно", true},
        {"окно", "равно", true},
        {"окно", "можно", false},
        {"окно", "нужно", false},
        {"можно", "нужно", false},
        {"любовь", "кровь", true},
        {"любовь", "вновь", true},
        {"любовь", "морковь", true},
        {"любовь", "церковь", false},
        {"любовь", "готов", false},  // espeak voices вь as в: the soft sign tells them apart
        {"мышь", "камыш", true},     // after ш the soft sign is spelling only
        {"ночь", "дочь", true},
        {"дорога", "тревога", true},
        {"нога", "дорога", false},
        {"нога", "туга", false},
        {"сердце", "дверце", true},
        {"идёт", "поёт", true},
        {"вперёд", "народ", true},
        {"моё", "своё", true},
        {"моё", "окно", false},
        {"мать", "кровать", true},
        {"мать", "мат", false},
        {"розы", "морозы", true},
        {"ночь", "прочь", true},
        {"весна", "сосна", true},
        {"луна", "волна", true},
        {"день", "тень", true},
        {"день", "дань", false},
        {"сад", "взгляд", true},
        {"мечты", "цветы", true},
        {"слова", "трава", true},
        {"рука", "река", true},
        {"огонь", "ладонь", true},
        {"мыло", "мило", false},
        {"лес", "лиса", false},
        {"глаза", "слеза", true},
        {"глаза", "база", true},  // гла́за
        {"глаза'", "база", false},
        {"сло'ва", "трава", false},
        // Homographs take both stresses, and a typed stress picks one.
        {"замок", "песок", true},
        {"замок", "рамок", true},
        {"замо'к", "песок", true},
        {"замо'к", "рамок", false},
        {"за'мок", "рамок", true},
        {"за'мок", "песок", false},
        {"мука", "рука", true},
        {"мука", "скука", true},
        {"му'ка", "рука", false},
    };
    for (const TPair& pair : pairs) {
        SCOPED_TRACE(std::string(pair.First) + " / " + pair.Second);
        EXPECT_EQ(Rhyme(pair.First, pair.Second), pair.Rhyme);
        EXPECT_EQ(Rhyme(pair.Second, pair.First), pair.Rhyme);
    }
}

TEST(IsPhonemisableWord, TakesRussianLettersWithInnerHyphensUpToFortyLetters)
{
    const char b = ToCp1251("б")[0];
    const std::pair<std::string, bool> cases[] = {
        {ToCp1251("ЁЖ"), true},
        {ToCp1251("кое-как"), true},
        {ToCp1251("а-") + std::string(39, b), true},  // forty letters: hyphens do not count
        {ToCp1251("а") + std::string(40, b), false},
        {ToCp1251("а.") + std::string(83, b), false},  // overran a stack buffer in espeak-ng
        {ToCp1251("-то"), false},
        {ToCp1251("кое-"), false},
        {ToCp1251("кое--как"), false},
        {ToCp1251("ббб"), false},  // no vowel letter: espeak would spell it out
    };
    for (const auto& [word, takes] : cases) {
        SCOPED_TRACE(ToUtf8(word));
        EXPECT_EQ(IsPhonemisableWord(word), takes);
        EXPECT_EQ(PhonemesOf(word).empty(), !takes);
        EXPECT_EQ(RhymeKeysOf(word).empty(), !takes);
    }
}

TEST(RhymeKeysOf, KnownStressesGiveTheirKeysAndATypedStressWins)
{
    // A word of one known stress takes it instead of espeak-ng's, one of two gets both keys, and
    // any other word keeps espeak-ng's.
    struct TCase
    {
        const char* Word;
        std::vector<const char*> Readings;
        bool Listed;
    };
    const TCase cases[] = {
        {"моя", {"моя'"}, true},
        {"голубом", {"голубо'м"}, true},
        {"замок", {"за'мок", "замо'к"}, true},
        {"окна", {"о'кна", "окна'"}, true},
        {"дорогой", {"доро'гой", "дорого'й"}, true},
        {"окно", {"окно'"}, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Word);
        std::vector<std::string> keys;
        for (const char* reading : c.Readings) {
            keys.push_back(KeysOf(reading).at(0));
        }
        EXPECT_EQ(KeysOf(c.Word), keys);
        EXPECT_EQ(KnownStresses(ToCp1251(c.Word)).size(), c.Listed ? c.Readings.size() : 0u);
    }
    // A typed stress picks one key whatever the list says.
    EXPECT_EQ(KeysOf("мо'я").size(), 1u);
    EXPECT_NE(KeysOf("мо'я"), KeysOf("моя"));
    EXPECT_EQ(KeysOf("окна'").size(), 1u);
    EXPECT_TRUE(KeysOf("в").empty());
}

}  // namespace
