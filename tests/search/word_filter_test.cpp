// Tests of the length and syllable filter: the range reader, the syllable count, and every search
// mode with ranges against the same search without them, filtered by a model written here.

#include "search/word_filter.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/query.h"
#include "search/regexpr.h"
#include "tests/support/recording_control.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

namespace {

using ::testing::ThrowsMessage;

constexpr std::size_t kNoMax = std::numeric_limits<std::size_t>::max();

TEST(ParseCountRange, ReadsTheFourFormsAndNothingElse)
{
    // A text, then the range it gives (Min, Max), or none.
    const std::pair<const char*, std::optional<TCountRange>> cases[] = {
        {"3", TCountRange{3, 3}},
        {"0", TCountRange{0, 0}},
        {"007", TCountRange{7, 7}},
        {"2-5", TCountRange{2, 5}},
        {"4-4", TCountRange{4, 4}},
        {"0-0", TCountRange{0, 0}},
        {"5-", TCountRange{5, kNoMax}},
        {"0-", TCountRange{0, kNoMax}},
        {"-7", TCountRange{0, 7}},
        {"-0", TCountRange{0, 0}},
        {"18446744073709551615", TCountRange{kNoMax, kNoMax}},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"abc", std::nullopt},
        {"5-2", std::nullopt},  // the ends the wrong way round
        {"+3", std::nullopt},
        {"--3", std::nullopt},
        {"3--", std::nullopt},
        {"1-2-3", std::nullopt},
        {" 3", std::nullopt},
        {"3 ", std::nullopt},
        {"3 - 4", std::nullopt},
        {"3.5", std::nullopt},
        {"3,5", std::nullopt},
        {"3x", std::nullopt},
        {"x-3", std::nullopt},
        {"18446744073709551616", std::nullopt},  // one over the largest size
    };
    for (const auto& [text, range] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseCountRange(text), range);
    }
}

TEST(SyllableCount, CountsTheVowelLettersOfEitherCase)
{
    // A word (UTF-8), then its vowel letters.
    const std::pair<const char*, std::size_t> cases[] = {
        {"", 0},
        {"брр", 0},
        {"кот", 1},
        {"аеёиоуыэюя", 10},
        {"АЕЁИОУЫЭЮЯ", 10},
        {"бвгджзйклмнпрстфхцчшщъь", 0},
        {"БВГДЖЗЙКЛМНПРСТФХЦЧШЩЪЬ", 0},
        {"кто-нибудь", 3},
        {"ЁЛКА", 2},
        {"aeiou", 0},  // Latin vowels are no Russian syllables
    };
    for (const auto& [word, count] : cases) {
        SCOPED_TRACE(word);
        EXPECT_EQ(SyllableCount(ToCp1251(word)), count);
    }
}

// The model: a word's characters and its vowels, counted over its UTF-8 form.
std::size_t CharactersOf(const std::string& utf8)
{
    std::size_t count = 0;
    for (const char byte : utf8) {
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    }
    return count;
}

std::size_t VowelsOf(const std::string& utf8)
{
    const std::string vowels[] = {"а", "е", "ё", "и", "о", "у", "ы", "э", "ю", "я",
                                  "А", "Е", "Ё", "И", "О", "У", "Ы", "Э", "Ю", "Я"};
    std::size_t count = 0;
    // The words hold ASCII and Cyrillic letters only: one byte or two.
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t size = static_cast<unsigned char>(utf8[i]) < 0x80 ? 1 : 2;
        count += static_cast<std::size_t>(std::ranges::count(vowels, utf8.substr(i, size)));
        i += size;
    }
    return count;
}

// The lines of listing whose word (before " = ") passes filter, as the model counts.
std::string ModelFiltered(const std::string& listing, const TWordFilter& filter)
{
    std::string kept;
    for (std::size_t start = 0; start < listing.size();) {
        std::size_t end = listing.find("\r\n", start);
        end = end == std::string::npos ? listing.size() : end;
        const std::string line = listing.substr(start, end - start);
        const std::string word = line.substr(0, line.find(" = "));
        if ((!filter.Length || filter.Length->Contains(CharactersOf(word))) &&
            (!filter.Syllables || filter.Syllables->Contains(VowelsOf(word)))) {
            kept.append(kept.empty() ? "" : "\r\n").append(line);
        }
        start = end + 2;
    }
    return kept;
}

class WordFilterRun : public ::testing::Test
{
protected:
    void SetUp() override { ClearWordStore(); }
    void TearDown() override { ClearWordStore(); }

    // Two dictionaries of random words of 1 to 7 of the letters, hyphen and capitals included,
    // with Zipf-like counts.
    void LoadRandomWords()
    {
        const std::string letters = ToCp1251("аоуёкнт-ЯЕС");
        std::mt19937 random(20261209);
        for (const auto& [name, count] : {std::pair{"a", 3000}, std::pair{"b", 2000}}) {
            std::vector<std::string> words;
            std::vector<std::int32_t> counts;
            for (int i = 0; i < count; ++i) {
                std::string word;
                for (std::size_t k = 1 + random() % 7; k > 0; --k) {
                    word.push_back(letters[random() % letters.size()]);
                }
                words.push_back(ToUtf8(word));
                counts.push_back(1000 / (i + 1));
            }
            m_folder.WritePair(name, words, counts);
        }
        TRecordingLoadView loadView;
        ScanDictionaryFolder(m_folder.Path(), loadView);
        ASSERT_EQ(loadView.Rows.size(), 2u);
    }

    // The listing (UTF-8) of the row's query over every row.
    std::string Listing(TQueryMode mode, const char* query, const TWordFilter& filter)
    {
        m_view.Given.Filter = filter;
        m_view.Ticked.assign(DictWords.size(), true);
        return ListRun(*RowTest(mode, ToCp1251(query)), m_view).Text;
    }

    TTempFolder m_folder;
    TRecordingControl m_view;
};

TEST_F(WordFilterRun, EveryModeWithRangesListsItsListingFilteredByTheModel)
{
    LoadRandomWords();
    const std::pair<TQueryMode, const char*> queries[] = {
        {TQueryMode::Ending, ""},      {TQueryMode::Ending, "а"},    {TQueryMode::Ending, "е"},
        {TQueryMode::Mask, "*о*"},     {TQueryMode::Mask, "?-*"},    {TQueryMode::Regexp, "/[ау]/"},
        {TQueryMode::Regexp, "/^я/i"}, {TQueryMode::Inexact, "*т*"},
    };
    const auto range = [](std::size_t min, std::size_t max) { return TCountRange{min, max}; };
    const TWordFilter filters[] = {
        {range(3, 3), std::nullopt},      {range(2, 5), std::nullopt},
        {range(6, kNoMax), std::nullopt}, {std::nullopt, range(0, 0)},
        {std::nullopt, range(2, kNoMax)}, {std::nullopt, range(0, 1)},
        {range(0, 4), range(2, 2)},
    };
    for (const bool alpha : {false, true}) {
        m_view.Given.Alphabetical = alpha;
        m_view.Given.ShowIpm = true;
        m_view.Given.MinIpmText = "100";
        for (const auto& [mode, query] : queries) {
            const std::string whole = Listing(mode, query, {});
            ASSERT_NE(whole, "");
            for (std::size_t i = 0; i < std::size(filters); ++i) {
                const TWordFilter& filter = filters[i];
                SCOPED_TRACE(testing::Message()
                             << (alpha ? "by word, " : "by value, ") << query << ", filter " << i);
                const std::string model = ModelFiltered(whole, filter);
                EXPECT_EQ(Listing(mode, query, filter), model);
                EXPECT_NE(model, whole);
            }
        }
    }
}

TEST_F(WordFilterRun, ExpressionErrorShowsWhateverTheRanges)
{
    LoadRandomWords();
    const TWordFilter nothingPasses{TCountRange{100, 100}, std::nullopt};
    EXPECT_THAT(
        [&] { Listing(TQueryMode::Regexp, "/ко[тд/", nothingPasses); },
        ThrowsMessage<ERegExprError>(::testing::StartsWith("TRegExpr(comp): Unmatched []")));
}

TEST_F(WordFilterRun, KeepSeesEachHitByItsRowAndPlace)
{
    LoadRandomWords();
    // Keeps the words with a "т", read from the store at the row and place the run gives.
    const std::string te = ToCp1251("т");
    TWordFilter filter;
    filter.Keep = [&te](std::size_t row, std::size_t index) {
        return DictWords[row][index].find(te) != std::string_view::npos;
    };
    const std::pair<TQueryMode, const char*> queries[] = {
        {TQueryMode::Ending, ""}, {TQueryMode::Mask, "*о*"}, {TQueryMode::Regexp, "/[ау]/"}};
    for (const bool alpha : {false, true}) {
        m_view.Given.Alphabetical = alpha;
        m_view.Given.ShowIpm = true;
        for (const auto& [mode, query] : queries) {
            SCOPED_TRACE(testing::Message() << (alpha ? "by word, " : "by value, ") << query);
            const std::string whole = Listing(mode, query, {});
            std::string model;
            for (std::size_t start = 0; start < whole.size();) {
                std::size_t end = whole.find("\r\n", start);
                end = end == std::string::npos ? whole.size() : end;
                const std::string line = whole.substr(start, end - start);
                if (line.substr(0, line.find(" = ")).find("т") != std::string::npos) {
                    model.append(model.empty() ? "" : "\r\n").append(line);
                }
                start = end + 2;
            }
            EXPECT_EQ(Listing(mode, query, filter), model);
            EXPECT_NE(model, whole);
            EXPECT_NE(model, "");
        }
    }
}

}  // namespace
