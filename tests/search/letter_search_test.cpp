// Tests of the letter searches: literal listings on a small dictionary, and both searches against
// a plain model of letter counting on generated words.

#include "search/letter_search.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/recording_control.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

namespace {

class LetterSearchTest : public ::testing::Test
{
protected:
    void SetUp() override { ClearWordStore(); }
    void TearDown() override { ClearWordStore(); }

    void Load()
    {
        TRecordingLoadView loadView;
        ScanDictionaryFolder(m_folder.Path(), loadView);
        ASSERT_TRUE(loadView.Errors.empty());
        ASSERT_TRUE(loadView.Warnings.empty());
    }

    // The lines listed for letters (Windows-1251), in UTF-8, every row ticked.
    std::vector<std::string> ListedLines(TLetterMode mode, const std::string& letters)
    {
        m_control.Ticked.assign(DictWords.size(), true);
        return ListRun(*LetterTest(mode, letters), m_control).LineList();
    }
    std::vector<std::string> Listed(TLetterMode mode, const char* utf8Letters)
    {
        return ListedLines(mode, ToCp1251(utf8Letters));
    }

    TTempFolder m_folder;
    TRecordingControl m_control;
};

TEST_F(LetterSearchTest, ListsTheWordsTheLettersMakeByFallingIpm)
{
    m_folder.WritePair("a",
                       {"кот", "ток", "кто", "сок", "кол", "лоск", "сокол", "ослик", "Кот", "ёлка",
                        "елка", "ко", "к", "к-о", "коты", "lock"},
                       {500, 400, 300, 200, 150, 120, 100, 90, 80, 70, 60, 50, 40, 30, 20, 10});
    Load();
    using V = std::vector<std::string>;
    const struct
    {
        TLetterMode Mode;
        const char* Letters;
        V Words;
    } cases[] = {
        {TLetterMode::Anagram, "кот", {"ток", "кто"}},  // not кот itself, nor "Кот"
        {TLetterMode::Anagram, " КоТ\t", {"ток", "кто"}},
        {TLetterMode::Anagram, "ток", {"кот", "кто"}},
        {TLetterMode::Anagram, "ко?", {"кот", "ток", "кто", "сок", "кол", "к-о"}},
        {TLetterMode::Anagram, "о-к", {"к-о"}},
        {TLetterMode::Anagram, "алек", {"ёлка", "елка"}},  // an е stands for ё too
        {TLetterMode::Anagram, "АЛЁК", {"ёлка", "елка"}},
        {TLetterMode::Anagram, "алёк?", {}},
        {TLetterMode::Anagram, "котт", {}},
        {TLetterMode::Anagram, "???", {"кот", "ток", "кто", "сок", "кол", "Кот", "к-о"}},
        {TLetterMode::FromLetters, "сокол", {"сок", "кол", "лоск", "сокол", "ко", "к"}},
        {TLetterMode::FromLetters, "кот", {"кот", "ток", "кто", "ко", "к"}},
        {TLetterMode::FromLetters, "к?", {"ко", "к"}},
        {TLetterMode::FromLetters, "ок-", {"ко", "к", "к-о"}},
        {TLetterMode::FromLetters, "lkoc", {"lock"}},
        {TLetterMode::FromLetters, "кклеёа", {"ёлка", "елка", "к"}},  // ё counts as an е
        {TLetterMode::FromLetters, "ё", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Letters);
        EXPECT_EQ(Listed(c.Mode, c.Letters), c.Words);
    }
}

TEST(LetterTest, BlankLettersSearchNothing)
{
    for (const TLetterMode mode : {TLetterMode::Anagram, TLetterMode::FromLetters}) {
        EXPECT_FALSE(LetterTest(mode, " \t").has_value());
    }
}

// A letter of the model's alphabet as LetterSearch lowercases the letters.
char LowerModelLetter(char c)
{
    const std::string capitalKa = ToCp1251("К");
    const std::string yo = ToCp1251("ё");
    if (c == capitalKa[0]) {
        return ToCp1251("к")[0];
    }
    return c == yo[0] ? ToCp1251("е")[0] : c;
}

// The word with each ё written as е, as the letters' е takes it.
std::string FoldYo(std::string word)
{
    std::replace(word.begin(), word.end(), ToCp1251("ё")[0], ToCp1251("е")[0]);
    return word;
}

// An anagram: as many bytes as the letters, and the sorted letters other than "?" found in the
// sorted word; not the letters themselves.
bool ModelAnagram(const std::string& letters, const std::string& word)
{
    std::string lowered;
    for (const char c : word) {
        lowered.push_back(LowerModelLetter(c));
    }
    std::string loweredLetters;
    for (const char c : letters) {
        loweredLetters.push_back(LowerModelLetter(c));
    }
    if (lowered == loweredLetters) {
        return false;
    }
    std::string known;
    for (const char c : letters) {
        if (c != '?') {
            known.push_back(LowerModelLetter(c));
        }
    }
    std::string folded = FoldYo(word);
    std::sort(known.begin(), known.end());
    std::sort(folded.begin(), folded.end());
    return word.size() == letters.size() &&
           std::includes(folded.begin(), folded.end(), known.begin(), known.end());
}

// Made from the letters: each byte of the word takes one equal letter away, or else a "?".
bool ModelFromLetters(const std::string& letters, const std::string& word)
{
    std::multiset<char> left;
    for (const char c : letters) {
        left.insert(LowerModelLetter(c));
    }
    for (const char c : FoldYo(word)) {
        auto found = left.find(c);
        if (found == left.end()) {
            found = left.find('?');
        }
        if (found == left.end()) {
            return false;
        }
        left.erase(found);
    }
    return !word.empty();
}

TEST_F(LetterSearchTest, ListsWhatCountingLettersByHandFinds)
{
    const std::string alphabet = ToCp1251("кое-ёК?а");
    std::mt19937 random(20261208);
    const auto randomText = [&](std::size_t maxLength) {
        std::string text;
        const std::size_t length = 1 + random() % maxLength;
        for (std::size_t k = 0; k < length; ++k) {
            text.push_back(alphabet[random() % alphabet.size()]);
        }
        return text;
    };
    std::set<std::string> words;
    for (const char* name : {"a", "b"}) {
        std::vector<std::string> utf8Words;
        std::vector<std::int32_t> counts;
        for (int i = 0; i < 2000; ++i) {
            const std::string word = randomText(i % 2 == 0 ? 6 : 10);
            words.insert(word);
            utf8Words.push_back(ToUtf8(word));
            counts.push_back(1 + i % 7);
        }
        m_folder.WritePair(name, utf8Words, counts);
    }
    Load();
    // Listed by word, each once: sorted in byte order, the listing is the set of hits.
    m_control.Given.Alphabetical = true;
    const auto listedSorted = [this](TLetterMode mode, const std::string& letters) {
        std::vector<std::string> lines;
        for (const std::string& line : ListedLines(mode, letters)) {
            lines.push_back(ToCp1251(line));
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    std::size_t anagrams = 0;
    std::size_t fromLetters = 0;
    for (int query = 0; query < 300; ++query) {
        // Short letters, letters longer than most words, and letters too many to be packed into
        // fields each take a route of their own.
        const std::string letters = randomText(std::array<std::size_t, 3>{6, 12, 24}[query % 3]);
        SCOPED_TRACE(ToUtf8(letters));
        std::vector<std::string> expectAnagrams;
        std::vector<std::string> expectFromLetters;
        for (const std::string& word : words) {
            if (ModelAnagram(letters, word)) {
                expectAnagrams.push_back(word);
            }
            if (ModelFromLetters(letters, word)) {
                expectFromLetters.push_back(word);
            }
        }
        EXPECT_EQ(listedSorted(TLetterMode::Anagram, letters), expectAnagrams);
        EXPECT_EQ(listedSorted(TLetterMode::FromLetters, letters), expectFromLetters);
        anagrams += expectAnagrams.size();
        fromLetters += expectFromLetters.size();
    }
    // The generated words must give both searches plenty to find.
    EXPECT_GT(anagrams, 300u);
    EXPECT_GT(fromLetters, 3000u);
}

}  // namespace
