// Tests of the result tree: listing order and layout, the run's calling order, and a
// comparison with a plain unbalanced tree built node by node.

#include "tests/support/result_tree.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "search/number_text.h"
#include "wordstore/encoding.h"

namespace {

using namespace std::string_literals;

// The alphabetical order as a reader sees it, built apart from the code under test: each byte
// counts twice its value, and ё and Ё count one more than е and Е, which puts them right after.
int ReaderKey(char c)
{
    const int byte = static_cast<unsigned char>(c);
    if (byte == 0xB8) {  // ё
        return 2 * 0xE5 + 1;
    }
    if (byte == 0xA8) {  // Ё
        return 2 * 0xC5 + 1;
    }
    return 2 * byte;
}

bool ReaderLess(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return ReaderKey(x) < ReaderKey(y); });
}

enum class TInsertion { ByWord, ByValue };

struct THitText
{
    std::string Word;  // UTF-8
    double Value;
};

// Runs one search's worth of calls and returns the listing as UTF-8.
std::string ListingOf(TInsertion insertion, const std::vector<THitText>& hits, bool withIpm)
{
    ResetResultTree();
    for (const THitText& hit : hits) {
        if (insertion == TInsertion::ByWord) {
            InsertByWord(ToCp1251(hit.Word), hit.Value);
        } else {
            InsertByValue(ToCp1251(hit.Word), hit.Value);
        }
    }
    std::string listing = "left over from before";
    if (withIpm) {
        ListWordsWithIpm(listing);
    } else {
        ListWords(listing);
    }
    return ToUtf8(listing);
}

struct TListingCase
{
    const char* Name;
    TInsertion Insertion;
    std::vector<THitText> Hits;  // in insertion order
    std::string Listing;
    std::string ListingWithIpm;
};

TEST(ResultTree, ListsHitsInTheirOrderWithCrLfBetweenLines)
{
    const TListingCase cases[] = {
        {"no hits by word", TInsertion::ByWord, {}, "", ""},
        {"no hits by value", TInsertion::ByValue, {}, "", ""},
        {"one hit", TInsertion::ByWord, {{"кот", 2.5}}, "кот", "кот = 2,50000"},
        {"byte order",
         TInsertion::ByWord,
         {{"б", 1}, {"а", 2}, {"аб", 3}},
         "а\r\nаб\r\nб",
         "а = 2,00000\r\nаб = 3,00000\r\nб = 1,00000"},
        // Was wrong: ё sorted by its byte, before every other Cyrillic letter ("ёж" before
        // "арбуз").
        {"ё after е, before ж; еще and ещё are two words",
         TInsertion::ByWord,
         {{"жук", 1}, {"ёж", 2}, {"ещё", 3}, {"еще", 4}, {"ель", 5}, {"арбуз", 6}, {"ещё", 7}},
         "арбуз\r\nель\r\nеще\r\nещё\r\nёж\r\nжук",
         "арбуз = 6,00000\r\nель = 5,00000\r\nеще = 4,00000\r\nещё = 3,00000\r\nёж = "
         "2,00000\r\nжук = 1,00000"},
        // Was wrong: "Ёлка" came before "Арка".
        {"capitals before small letters, Ё after Е",
         TInsertion::ByWord,
         {{"яма", 1},
          {"ёж", 1},
          {"Жаба", 1},
          {"Бык", 1},
          {"ангар", 1},
          {"Ёлка", 1},
          {"Ель", 1},
          {"Арка", 1}},
         "Арка\r\nБык\r\nЕль\r\nЁлка\r\nЖаба\r\nангар\r\nёж\r\nяма",
         "Арка = 1,00000\r\nБык = 1,00000\r\nЕль = 1,00000\r\nЁлка = 1,00000\r\nЖаба = "
         "1,00000\r\nангар = 1,00000\r\nёж = 1,00000\r\nяма = 1,00000"},
        // The order of ё decides only after the first 8 bytes, which are alike.
        {"ё after е past the eighth byte",
         TInsertion::ByWord,
         {{"абвгдежзж", 1}, {"абвгдежзё", 2}, {"абвгдежзе", 3}, {"абвгдежзЁ", 4}},
         "абвгдежзЁ\r\nабвгдежзе\r\nабвгдежзё\r\nабвгдежзж",
         "абвгдежзЁ = 4,00000\r\nабвгдежзе = 3,00000\r\nабвгдежзё = 2,00000\r\nабвгдежзж = "
         "1,00000"},
        {"Latin first, a prefix before its extensions",
         TInsertion::ByWord,
         {{"котик", 1}, {"zoo", 2}, {"кот", 3}, {"Zoo", 4}},
         "Zoo\r\nzoo\r\nкот\r\nкотик",
         "Zoo = 4,00000\r\nzoo = 2,00000\r\nкот = 3,00000\r\nкотик = 1,00000"},
        {"words alike in their first eight bytes",
         TInsertion::ByWord,
         {{"абвгдежзк", 1}, {"абвгдежз", 2}, {"абвгдежзиа", 3}, {"абвгдежзz", 4}},
         "абвгдежз\r\nабвгдежзz\r\nабвгдежзиа\r\nабвгдежзк",
         "абвгдежз = 2,00000\r\nабвгдежзz = 4,00000\r\nабвгдежзиа = 3,00000\r\nабвгдежзк = "
         "1,00000"},
        {"zero bytes",
         TInsertion::ByWord,
         {{"a\x01", 1}, {"a\0\0b"s, 2}, {"a", 3}, {"a\0"s, 4}},
         "a\r\na\0\r\na\0\0b\r\na\x01"s,
         "a = 3,00000\r\na\0 = 4,00000\r\na\0\0b = 2,00000\r\na\x01 = 1,00000"s},
        {"a repeated word keeps its first value",
         TInsertion::ByWord,
         {{"слово", 5}, {"слово", 9}},
         "слово",
         "слово = 5,00000"},
        {"the empty word is refused",
         TInsertion::ByWord,
         {{"", 1}, {"кот", 2}, {"", 3}},
         "кот",
         "кот = 2,00000"},
        {"larger values first, the latest of equal values first",
         TInsertion::ByValue,
         {{"a", 1}, {"b", 3}, {"c", 3}, {"d", 2}},
         "c\r\nb\r\nd\r\na",
         "c = 3,00000\r\nb = 3,00000\r\nd = 2,00000\r\na = 1,00000"},
        {"a repeated word is listed each time",
         TInsertion::ByValue,
         {{"кот", 1}, {"кот", 2}},
         "кот\r\nкот",
         "кот = 2,00000\r\nкот = 1,00000"},
        {"an empty word lists no line",
         TInsertion::ByValue,
         {{"a", 1}, {"", 5}, {"b", 2}, {"", 1}},
         "b\r\na",
         "b = 2,00000\r\na = 1,00000"},
        {"only empty words", TInsertion::ByValue, {{"", 1}, {"", 2}}, "", ""},
        {"zero is listed, negative values come last",
         TInsertion::ByValue,
         {{"x", -1}, {"y", 0.0}, {"z", -0.5}, {"w", 2}, {"v", -0.0}},
         "w\r\nv\r\ny\r\nz\r\nx",
         "w = 2,00000\r\nv = 0,00000\r\ny = 0,00000\r\nz = -0,50000\r\nx = -1,00000"},
        {"ipm text in the line",
         TInsertion::ByValue,
         {{"слово", 123.456789}, {"кот", 12345678}},
         "кот\r\nслово",
         "кот = 1,234568E7\r\nслово = 123,45680"},
    };
    for (const TListingCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ListingOf(c.Insertion, c.Hits, false), c.Listing);
        EXPECT_EQ(ListingOf(c.Insertion, c.Hits, true), c.ListingWithIpm);
    }
}

TEST(ResultTree, InsertByWordTellsWhetherTheWordWasTaken)
{
    // A word, its value, and whether InsertByWord takes it.
    const std::tuple<const char*, double, bool> insertions[] = {
        {"слово", 5.0, true}, {"слово", 9.0, false}, {"", 1.0, false}, {"Слово", 1.0, true},
        {"слов", 1.0, true},  {"слово", 1.0, false}, {"", 2.0, false},
    };
    ResetResultTree();
    for (const auto& [word, value, taken] : insertions) {
        SCOPED_TRACE(word);
        EXPECT_EQ(InsertByWord(ToCp1251(word), value), taken);
    }
    std::string listing;
    ListWordsWithIpm(listing);
    EXPECT_EQ(ToUtf8(listing), "Слово = 1,00000\r\nслов = 1,00000\r\nслово = 5,00000");
}

TEST(ResultTree, NextRunStartsFromAnEmptyTree)
{
    ResetResultTree();
    InsertByWord("b", 1);
    InsertByWord("a", 2);
    std::string listing;
    ListWords(listing);
    ASSERT_EQ(listing, "a\r\nb");

    ResetResultTree();
    EXPECT_TRUE(InsertByWord("b", 3));
    EXPECT_TRUE(InsertByWord("c", 4));
    ListWordsWithIpm(listing);
    EXPECT_EQ(listing, "b = 3,00000\r\nc = 4,00000");

    ResetResultTree();
    InsertByValue("d", 1);
    ListWords(listing);
    EXPECT_EQ(listing, "d");

    ResetResultTree();
    ListWords(listing);
    EXPECT_EQ(listing, "");
}

TEST(ResultTree, ResetDiscardsHitsThatWereNeverListed)
{
    ResetResultTree();
    InsertByWord("old", 1);
    ResetResultTree();
    EXPECT_TRUE(InsertByWord("old", 2));
    EXPECT_TRUE(InsertByWord("new", 3));
    std::string listing;
    ListWordsWithIpm(listing);
    EXPECT_EQ(listing, "new = 3,00000\r\nold = 2,00000");

    ResetResultTree();
    InsertByValue("old", 5);
    ResetResultTree();
    InsertByValue("new", 1);
    ListWords(listing);
    EXPECT_EQ(listing, "new");
}

// A NaN never comes from the store; it is documented to list first, before every number.
TEST(ResultTree, NanValueIsListedFirst)
{
    const std::vector<THitText> hits = {
        {"a", 1}, {"b", std::numeric_limits<double>::quiet_NaN()}, {"c", 2}};
    EXPECT_EQ(ListingOf(TInsertion::ByValue, hits, true), "b = NAN\r\nc = 2,00000\r\na = 1,00000");
}

// Sorted input makes the original tree a chain as deep as the number of hits.
TEST(ResultTree, SortedInputOfTenThousandHitsIsListedInOrder)
{
    constexpr int kCount = 10000;
    std::vector<std::string> words;
    for (int i = 0; i < kCount; ++i) {
        std::string word = std::to_string(i);
        words.push_back(std::string(5 - word.size(), '0') + word);
    }
    std::string expected;
    for (const std::string& word : words) {
        expected += (expected.empty() ? "" : "\r\n") + word;
    }

    std::string listing;
    ResetResultTree();
    for (const std::string& word : words) {
        ASSERT_TRUE(InsertByWord(word, 1.0));
    }
    ListWords(listing);
    EXPECT_EQ(listing, expected);

    // Rising values form the same chain by value; each one lands first.
    ResetResultTree();
    for (int i = kCount - 1; i >= 0; --i) {
        InsertByValue(words[static_cast<std::size_t>(i)], kCount - i);
    }
    ListWords(listing);
    EXPECT_EQ(listing, expected);
}

// Several chunks of word storage, and words longer than a chunk, in two runs, so that the second
// run writes over storage the first one left behind.
TEST(ResultTree, LongWordsAreListedWholeRunAfterRun)
{
    for (const char filler : {'x', 'y'}) {
        SCOPED_TRACE(filler);
        std::vector<std::string> words;
        for (int i = 0; i < 3000; ++i) {
            words.push_back(std::to_string(i) + std::string(100, filler));
        }
        words[1000] = std::string(70000, filler);
        words[2000] = std::string(200000, filler) + "z";
        std::string expected;
        for (const std::string& word : words) {
            expected += (expected.empty() ? "" : "\r\n") + word;
        }

        ResetResultTree();
        for (std::size_t i = 0; i < words.size(); ++i) {
            InsertByValue(words[i], static_cast<double>(words.size() - i));
        }
        std::string listing;
        ListWords(listing);
        EXPECT_TRUE(listing == expected);  // not EXPECT_EQ: a failure would print megabytes
    }
}

// The tree as first designed: an unbalanced binary tree under a sentinel root, grown one node
// per insertion and listed by an in-order walk that unlinks each node it emits. Words compare by
// the reader's key.
class TModelTree
{
public:
    TModelTree() { m_root = &m_nodes.emplace_back(); }

    bool InsertByWord(const std::string& word, double value)
    {
        TModelNode* node = m_root;
        for (;;) {
            const int order = CompareWords(node->Word, word);
            if (order == 0) {
                return false;
            }
            TModelNode*& child = order > 0 ? node->Left : node->Right;
            if (child == nullptr) {
                child = &m_nodes.emplace_back(TModelNode{nullptr, nullptr, node, word, value});
                return true;
            }
            node = child;
        }
    }

    void InsertByValue(const std::string& word, double value)
    {
        TModelNode* node = m_root;
        for (;;) {
            TModelNode*& child = node->Value > value ? node->Right : node->Left;
            if (child == nullptr) {
                child = &m_nodes.emplace_back(TModelNode{nullptr, nullptr, node, word, value});
                return;
            }
            node = child;
        }
    }

    std::string List(bool withIpm)
    {
        std::string output;
        TModelNode* cursor = m_root;
        while (cursor != nullptr) {
            if (cursor->Left != nullptr) {
                cursor = cursor->Left;
                continue;
            }
            if (!cursor->Word.empty()) {
                output += "\r\n" + cursor->Word;
                if (withIpm) {
                    output += " = " + IpmText(cursor->Value);
                }
            }
            if (cursor->Parent != nullptr) {
                cursor->Parent->Left = cursor->Right;
            }
            if (cursor->Right != nullptr) {
                cursor->Right->Parent = cursor->Parent;
            }
            cursor = cursor->Right != nullptr ? cursor->Right : cursor->Parent;
        }
        return output.empty() ? output : output.substr(2);
    }

private:
    struct TModelNode
    {
        TModelNode* Left = nullptr;
        TModelNode* Right = nullptr;
        TModelNode* Parent = nullptr;
        std::string Word;
        double Value = 0.0;
    };

    static int CompareWords(const std::string& a, const std::string& b)
    {
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
            const int x = ReaderKey(a[i]);
            const int y = ReaderKey(b[i]);
            if (x != y) {
                return x < y ? -1 : 1;
            }
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }

    std::deque<TModelNode> m_nodes;  // owns every node; a deque never moves them
    TModelNode* m_root;
};

struct THitBytes
{
    std::string Word;  // Windows-1251
    double Value;
};

// Short words over a few letters (Latin, а, е, ё, ж, я, Е, Ё, Ж, А), some after a stem of 7 or 8
// bytes, so that repeats and shared prefixes are common and some words are empty; values from a
// small set, so that ties are common.
std::vector<THitBytes> RandomHits(std::uint32_t seed, std::size_t count)
{
    const char* const stems[] = {"", "", "abcdefg", "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7"};
    const char letters[] = {'a',    'b',    '\xE0', '\xFF', '\xB8', '\xC0',
                            '\xE5', '\xE6', '\xA8', '\xC5', '\xC6'};
    const double values[] = {0.0, -0.0,     1.0,      2.5, -1.0, -2.5,     123.456789,
                             3.0, 0.000004, 0.000006, 1e8, 1e-9, 12345678, 999999.96};
    std::mt19937 random(seed);
    std::vector<THitBytes> hits;
    for (std::size_t i = 0; i < count; ++i) {
        std::string word = stems[random() % std::size(stems)];
        for (std::uint32_t length = random() % 5; length > 0; --length) {
            word += letters[random() % std::size(letters)];
        }
        const std::uint32_t pick = random() % (std::size(values) + 4);
        const double value = pick < std::size(values)
                                 ? values[pick]
                                 : static_cast<double>(random() % 2001) / 8.0 - 125.0;
        hits.push_back({std::move(word), value});
    }
    return hits;
}

TEST(ResultTree, ListsAsTheUnbalancedTreeDoes)
{
    for (const std::uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        for (const std::size_t count : {std::size_t{300}, std::size_t{1000}, std::size_t{3000}}) {
            const std::vector<THitBytes> hits = RandomHits(seed, count);
            for (const bool withIpm : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << "seed " << seed << ", " << count << " hits, ipm " << withIpm);
                TModelTree byWordModel;
                TModelTree byValueModel;
                std::vector<bool> modelTaken;
                std::vector<bool> taken;
                ResetResultTree();
                for (const THitBytes& hit : hits) {
                    modelTaken.push_back(byWordModel.InsertByWord(hit.Word, hit.Value));
                    taken.push_back(InsertByWord(hit.Word, hit.Value));
                }
                std::string listing;
                withIpm ? ListWordsWithIpm(listing) : ListWords(listing);
                EXPECT_EQ(taken, modelTaken);
                EXPECT_EQ(listing, byWordModel.List(withIpm));

                ResetResultTree();
                for (const THitBytes& hit : hits) {
                    byValueModel.InsertByValue(hit.Word, hit.Value);
                    InsertByValue(hit.Word, hit.Value);
                }
                withIpm ? ListWordsWithIpm(listing) : ListWords(listing);
                EXPECT_EQ(listing, byValueModel.List(withIpm));
            }
        }
    }
}

// Was wrong: the listing ordered ё and Ё by their bytes, apart from the alphabet. Words over the
// whole byte range, with the neighbours of е, ё, ж and Е, Ё, Ж made common, some sharing their
// first 8 bytes: the listing is their set, sorted by the reader's key.
TEST(ResultTree, AlphabeticalListingIsTheWordsSortedByTheReadersKey)
{
    const char common[] = {'\xA7', '\xA8', '\xA9', '\xB7', '\xB8', '\xB9', '\xC4', '\xC5',
                           '\xC6', '\xC7', '\xE4', '\xE5', '\xE6', '\xE7', '\x00', '\xFF'};
    for (const std::uint32_t seed : {11u, 12u, 13u}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 random(seed);
        std::vector<std::string> inserted;
        for (int i = 0; i < 4000; ++i) {
            std::string word = random() % 3 == 0 ? "\xE5\xF9\xE5\xE5\xF9\xE5\xE5\xF9" : "";
            for (std::uint32_t length = 1 + random() % 4; length > 0; --length) {
                word += random() % 2 == 0 ? common[random() % std::size(common)]
                                          : static_cast<char>(random() % 256);
            }
            inserted.push_back(word);
        }
        ResetResultTree();
        for (const std::string& word : inserted) {
            InsertByWord(word, 1.0);
        }
        std::string listing;
        ListWords(listing);

        const std::set<std::string> distinct(inserted.begin(), inserted.end());
        std::vector<std::string> sorted(distinct.begin(), distinct.end());
        std::sort(sorted.begin(), sorted.end(), ReaderLess);
        std::string expected;
        for (const std::string& word : sorted) {
            expected += (expected.empty() ? "" : "\r\n") + word;
        }
        EXPECT_TRUE(listing == expected);  // not EXPECT_EQ: a failure would print 30 KB
    }
}

}  // namespace
