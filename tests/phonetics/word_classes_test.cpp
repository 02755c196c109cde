// Tests the word classes read from Hunspell's Russian dictionary against a table of real words,
// and the filter that keeps words by them.

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "phonetics/headwords.h"
#include "wordstore/encoding.h"

namespace {

// The classes as the table writes them: "noun* adj name".
std::string ClassText(std::uint16_t classes)
{
    const char* const names[] = {"noun", "adj", "verb", "participle", "adv", "other"};
    std::string text;
    for (int part = 0; part < kPartsOfSpeech; ++part) {
        const auto of = static_cast<TPartOfSpeech>(part);
        if ((classes & TWordClass::Part(of)) != 0) {
            text += std::string(text.empty() ? "" : " ") + names[part] +
                    ((classes & TWordClass::Headword(of)) != 0 ? "*" : "");
        }
    }
    if ((classes & TWordClass::kName) != 0) {
        text += " name";
    }
    return (classes & TWordClass::kKnown) != 0 ? text : "unknown";
}

TEST(WordClasses, RealWordsOfEachClassGetTheirClasses)
{
    THeadwordTest hunspell;
    ASSERT_TRUE(hunspell.Available());
    std::ifstream table(SLOVOSITO_TEST_DATA_DIR "/word_classes.tsv");
    std::string line;
    int rows = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::size_t tab = line.find('\t');
        SCOPED_TRACE(line);
        EXPECT_EQ(ClassText(hunspell.Classes(ToCp1251(line.substr(0, tab)))), line.substr(tab + 1));
        ++rows;
    }
    EXPECT_GT(rows, 30);
}

TEST(ClassFilter, KeepsWordsByPartHeadwordKnownAndName)
{
    const std::uint16_t noun = TWordClass::Part(TPartOfSpeech::Noun);
    const std::uint16_t verb = TWordClass::Part(TPartOfSpeech::Verb);
    const std::uint16_t known = TWordClass::kKnown;
    const std::uint16_t nounForm = noun | known;  // курса
    const std::uint16_t nounHeadword = nounForm | TWordClass::Headword(TPartOfSpeech::Noun);
    const std::uint16_t pila = nounHeadword | verb;           // пила
    const std::uint16_t name = nounForm | TWordClass::kName;  // берлина
    // A filter, a word's classes, and whether the filter keeps the word.
    const struct
    {
        TClassFilter Filter;
        std::uint16_t Classes;
        bool Kept;
    } cases[] = {
        {{}, 0, true},
        {{.Parts = noun}, nounForm, true},
        {{.Parts = verb}, nounForm, false},
        {{.Parts = verb, .Headwords = true}, pila, false},  // a headword as a noun only
        {{.Parts = noun | verb, .Headwords = true}, pila, true},
        {{.Parts = noun, .Headwords = true}, nounForm, false},
        {{.Known = true}, 0, false},
        {{.Known = true}, nounForm, true},
        {{.NoNames = true}, name, false},
        {{.NoNames = true}, nounHeadword, true},
    };
    for (const auto& [filter, classes, kept] : cases) {
        SCOPED_TRACE(ClassText(classes));
        EXPECT_EQ(filter.Keeps(classes), kept);
    }
}

}  // namespace
