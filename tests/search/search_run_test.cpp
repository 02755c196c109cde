// Tests of the two search runs through a recording view: what they list, and what the front end
// sees when and in which order, also when a run fails.

#include "search/search_run.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/number_text.h"
#include "search/query.h"
#include "search/regexpr.h"
#include "tests/support/recording_control.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::ThrowsMessage;

// Settings as a front end holds them (the minimum in UTF-8), and what the last run listed.
class TRecordingView : public TRecordingLoadView
{
public:
    bool Alpha = false;
    bool Ipm = false;
    std::string MinIpm = "0,0";
    std::vector<bool> Ticked;
    std::chrono::seconds TimeLimit{10};
    std::function<TSearchClock::time_point()> Clock;
    // KeepGoing() answers false from this call on (counting from 1); 0 for never.
    std::size_t CancelAtPoll = 0;

    TRecordingControl Control;
    std::string Pane;
    std::string Found;

    // Runs test and keeps its listing and count.
    void Run(const TWordTest& test)
    {
        Control.Given = {Alpha, Ipm, ToCp1251(MinIpm), TimeLimit, Clock, {}};
        Control.Ticked = Ticked;
        Control.OnKeepGoing = [this](TSearchClock::duration) {
            return CancelAtPoll == 0 || Control.Polls.size() < CancelAtPoll;
        };
        const TRunListing listed = ListRun(test, Control);
        Pane = listed.Text;
        Found = "Найдено:" + std::to_string(listed.Lines);
    }
    std::vector<std::string> Lines() const { return TRunListing{Pane, 0, {}}.LineList(); }
};

// text (UTF-8) with each е written as the class of е and ё.
std::string WithBothSpellingsOfYe(const std::string& text)
{
    std::string written;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::string letter = text.substr(i, 2);
        written += letter == "е" ? "[её]" : letter;
    }
    return written;
}

// A clock that moves on by step at each reading.
std::function<TSearchClock::time_point()> SteppingClock(TSearchClock::duration step)
{
    auto now = std::make_shared<TSearchClock::time_point>();
    return [now, step] { return *now += step; };
}

// A clock that runs a thousand times as fast as the real one, so that a limit of seconds passes
// in milliseconds.
std::function<TSearchClock::time_point()> ThousandfoldClock()
{
    const TSearchClock::time_point start = TSearchClock::now();
    return [start] { return start + (TSearchClock::now() - start) * 1000; };
}

class SearchRun : public ::testing::Test
{
protected:
    void SetUp() override { ClearWordStore(); }
    void TearDown() override { ClearWordStore(); }

    // Loads pairs written into the temp folder; rows are ticked as given.
    void Load(std::vector<bool> ticked)
    {
        ScanDictionaryFolder(m_folder.Path(), m_view);
        ASSERT_EQ(m_view.Rows.size(), ticked.size());
        m_view.Ticked = std::move(ticked);
    }

    // Loads two ticked dictionaries of random Russian-like words with Zipf-like counts: 3000 and
    // 2000 words of 1 to 5 of the letters (UTF-8; few letters make many repeats).
    void LoadRandomWords(std::mt19937::result_type seed, const char* letters)
    {
        std::mt19937 random(seed);
        WriteRandomWords("a", 3000, letters, random);
        WriteRandomWords("b", 2000, letters, random);
        Load({true, true});
    }

    void WriteRandomWords(const char* name, int count, const char* letters, std::mt19937& random)
    {
        const std::string bytes = ToCp1251(letters);
        std::vector<std::string> words;
        std::vector<std::int32_t> counts;
        for (int i = 0; i < count; ++i) {
            std::string word;
            const int length = 1 + static_cast<int>(random() % 5);
            for (int k = 0; k < length; ++k) {
                word.push_back(bytes[random() % bytes.size()]);
            }
            words.push_back(ToUtf8(word));
            counts.push_back(static_cast<std::int32_t>(1000 / (i + 1)));
        }
        m_folder.WritePair(name, words, counts);
    }

    // Runs check listing by value, then by word; the ipm shown, with a minimum of 100.
    template <typename TCheck>
    void InBothOrders(TCheck&& check)
    {
        m_view.Ipm = true;
        m_view.MinIpm = "100";
        for (const bool alpha : {false, true}) {
            SCOPED_TRACE(alpha ? "by word" : "by value");
            m_view.Alpha = alpha;
            check();
        }
    }

    void Pattern(const char* query) { m_view.Run(*PatternTest(ToCp1251(query))); }
    void Ending(const char* query) { m_view.Run(EndingTest(ToCp1251(query))); }

    TTempFolder m_folder;
    TRecordingView m_view;
};

TEST_F(SearchRun, EndingListsByFallingIpmWithEqualValuesLatestFirst)
{
    // Total 1 000 000, so a count is its ipm.
    m_folder.WritePair("a", {"янка", "банка", "ванька", "склянка", "ка", "нка"},
                       {500000, 100000, 200000, 100000, 50000, 50000});
    Load({true});
    Ending("нка");
    EXPECT_THAT(m_view.Lines(), ElementsAre("янка", "склянка", "банка", "нка"));
    EXPECT_EQ(m_view.Found, "Найдено:4");
}

TEST_F(SearchRun, EndingComparesBytesWithoutFoldingAndNeedsTheWholeEnding)
{
    m_folder.WritePair("a", {"а", "мама", "МАМА", "папА", ""}, {1, 1, 1, 1, 1});
    Load({true});
    Ending("а");
    EXPECT_THAT(m_view.Lines(), ElementsAre("мама", "а"));
    Ending("мама");
    EXPECT_THAT(m_view.Lines(), ElementsAre("мама"));
    Ending("амама");
    EXPECT_THAT(m_view.Lines(), IsEmpty());
    EXPECT_EQ(m_view.Found, "Найдено:0");
}

TEST_F(SearchRun, EmptyOrBlankEndingListsEveryWordThatReachesTheMinimum)
{
    m_folder.WritePair("a", {"кот", "пёс", "ёж", "lynx"}, {6, 3, 1, -1});
    Load({true});
    m_view.MinIpm = "100000";  // ipm = count * 1e6 / 9
    Ending("  ");
    EXPECT_THAT(m_view.Lines(), ElementsAre("кот", "пёс", "ёж"));
    m_view.MinIpm = "-1e9";
    Ending("");
    EXPECT_THAT(m_view.Lines(), ElementsAre("кот", "пёс", "ёж", "lynx"));
}

TEST_F(SearchRun, ShowsIpmAndAlphabeticalKeepsTheFirstRowsValue)
{
    m_folder.WritePair("a", {"сито", "решето"}, {250000, 750000});
    m_folder.WritePair("b", {"сито", "лукошко"}, {400000, 600000});
    m_folder.WritePair("c", {"сито"}, {1});
    Load({true, true, false});
    m_view.Alpha = true;
    m_view.Ipm = true;
    Ending("");
    EXPECT_THAT(m_view.Lines(), ElementsAre("лукошко = 600000,00000", "решето = 750000,00000",
                                            "сито = 250000,00000"));
    m_view.Alpha = false;
    Ending("о");
    EXPECT_THAT(m_view.Lines(), ElementsAre("решето = 750000,00000", "лукошко = 600000,00000",
                                            "сито = 400000,00000", "сито = 250000,00000"));
}

TEST_F(SearchRun, LaterRowComesFirstAmongEqualIpm)
{
    m_folder.WritePair("a", {"кот"}, {1});
    m_folder.WritePair("b", {"кит"}, {1});
    Load({true, true});
    Pattern("/к.т/");
    EXPECT_THAT(m_view.Lines(), ElementsAre("кит", "кот"));
}

TEST_F(SearchRun, SkipsUntickedRowsAndRowsWithZeroTotalButSearchesNegativeTotals)
{
    m_folder.WritePair("a", {"кот"}, {1});
    m_folder.WritePair("b", {"кит", "кут"}, {5, -5});
    m_folder.WritePair("c", {"кат", "кыт"}, {-2, 1});
    m_folder.WritePair("d", {"кет"}, {1});
    Load({true, true, true, false});
    m_view.MinIpm = "-1e12";
    Pattern("/^к.т$/");
    EXPECT_THAT(m_view.Lines(), ElementsAre("кат", "кот", "кыт"));
}

TEST_F(SearchRun, NoTickedRowEmptiesThePaneAndCountsZero)
{
    m_folder.WritePair("a", {"кот"}, {1});
    Load({false});
    Pattern("/кот/");
    EXPECT_EQ(m_view.Pane, "");
    EXPECT_EQ(m_view.Found, "Найдено:0");
}

TEST_F(SearchRun, PatternQueriesSplitAtTheLastDelimiter)
{
    m_folder.WritePair("a", {"кот", "котёл", "скот", "КОТ", "шалаш", "а/б", "ябеда"},
                       {7, 6, 5, 4, 3, 2, 1});
    Load({true});
    // Query, then the lines it lists.
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"/кот/", {"кот", "котёл", "скот"}},
        {"/^кот/", {"кот", "котёл"}},
        {"/кот/i", {"кот", "котёл", "скот", "КОТ"}},
        {"шалаш", {"шалаш"}},  // "ала" between two "ш", no modifiers
        {"/а/б/", {"а/б"}},
        {"#а/б#-g", {"а/б"}},
        {"  /^кот$/  ", {"кот"}},
    };
    for (const auto& [query, lines] : cases) {
        SCOPED_TRACE(query);
        Pattern(query);
        EXPECT_EQ(m_view.Lines(), lines);
    }
}

TEST_F(SearchRun, BlankPatternQueryDoesNothingAtAll)
{
    m_folder.WritePair("a", {"кот"}, {1});
    Load({true});
    EXPECT_FALSE(PatternTest(std::string(" \t\r\n\x01", 5)).has_value());
}

TEST_F(SearchRun, BadMinimumFailsBeforeAnythingChanges)
{
    m_folder.WritePair("a", {"кот"}, {1});
    Load({true});
    m_view.MinIpm = "0;5";
    EXPECT_THAT([&] { Ending("кот"); },
                ThrowsMessage<EConvertError>("'0;5' is not a valid floating point value"));
    EXPECT_THAT([&] { Pattern("/кот/"); }, ThrowsMessage<EConvertError>(::testing::_));
}

TEST_F(SearchRun, EngineErrorsLeaveSearchingInThePaneTheCountAsItWasAndNoBeep)
{
    m_folder.WritePair("a", {"кот"}, {1});
    Load({true});
    // Query, then the whole message.
    const std::pair<const char*, const char*> cases[] = {
        {"/кот", "Unknown error"},
        {"кот", "Unknown error"},
        {"/ris", "TRegExpr(exec): Not Assigned Expression Property"},
        {"//", "TRegExpr(exec): Not Assigned Expression Property"},
    };
    for (const auto& [query, message] : cases) {
        SCOPED_TRACE(query);
        EXPECT_THAT([&] { Pattern(query); }, ThrowsMessage<ERegExprError>(message));
    }
    // The next valid run fills the pane normally.
    Pattern("/кот/");
    EXPECT_EQ(m_view.Pane, "кот");
    EXPECT_EQ(m_view.Found, "Найдено:1");
}

TEST_F(SearchRun, ExpressionErrorsWaitForAWordThatPassesTheMinimum)
{
    m_folder.WritePair("a", {"кот"}, {1});
    Load({true});
    m_view.MinIpm = "2000000";
    for (const char* query : {"/ris", "//", "/ко[тд/"}) {
        SCOPED_TRACE(query);
        Pattern(query);
        EXPECT_EQ(m_view.Pane, "");
        EXPECT_EQ(m_view.Found, "Найдено:0");
    }
    m_view.MinIpm = "0,0";
    EXPECT_THAT(
        [&] { Pattern("/ко[тд/"); },
        ThrowsMessage<ERegExprError>(::testing::StartsWith("TRegExpr(comp): Unmatched []")));
}

TEST_F(SearchRun, EndingAndAnchoredPatternListTheSameWords)
{
    LoadRandomWords(20261208, "абвгде");
    InBothOrders([&] {
        for (const char* ending : {"а", "бв", "ввг", "е"}) {
            SCOPED_TRACE(ending);
            Ending(ending);
            const std::string byEnding = m_view.Pane;
            Pattern((std::string("/") + ending + "$/").c_str());
            EXPECT_EQ(m_view.Pane, byEnding);
            EXPECT_NE(byEnding, "");
        }
    });
}

TEST_F(SearchRun, MaskExpressionsListWhatTheEngineLists)
{
    // Short words, so that many end in each pair of the letters, one letter long too.
    LoadRandomWords(20261212, "аеёжк");
    // A mask's expression goes to the wildcard; with i it goes to the engine, which then matches
    // the same words, since none holds a capital.
    const char* const expressions[] = {
        "^.*[её]$",     "^.*ж[её]$", "^.*[её]ж$", "^.*ж.$", "^к.*а$",   "^..$",
        "^.*[аж][её]$", "^.*к$",     "^.*$",      "^к.*$",  "^.*ж.*к$", "^ж$",
    };
    InBothOrders([&] {
        for (const char* expression : expressions) {
            SCOPED_TRACE(expression);
            Pattern((std::string("/") + expression + "/i").c_str());
            const std::string byEngine = m_view.Pane;
            EXPECT_NE(byEngine, "");
            Pattern((std::string("/") + expression + "/").c_str());
            EXPECT_EQ(m_view.Pane, byEngine);
        }
    });
}

TEST_F(SearchRun, EndingWithYeAlsoListsWordsSpelledWithYo)
{
    // An е of the ending was compared only with е: "ет" listed "будет" but never "идёт".
    m_folder.WritePair("a", {"будет", "идёт", "ещё", "еще", "ёт", "ет", "вёл"},
                       {600000, 500000, 400000, 300000, 200000, 100000, 50000});
    Load({true});
    // An ending as the run gets it, then the listing.
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"ет", {"будет", "идёт", "ёт", "ет"}},
        {"еще", {"ещё", "еще"}},
        {"е", {"ещё", "еще"}},
        {"ёт", {"идёт", "ёт"}},  // a ё that reaches the run is only ё
        {"ел", {"вёл"}},
        {"ёл", {"вёл"}},
        {"ееще", {}},
    };
    for (const auto& [ending, lines] : cases) {
        SCOPED_TRACE(ending);
        Ending(ending);
        EXPECT_EQ(m_view.Lines(), lines);
    }
    // The row folds the typed Ё to е first.
    m_view.Run(*RowTest(TQueryMode::Ending, ToCp1251("ЁТ")));
    EXPECT_THAT(m_view.Lines(), ElementsAre("будет", "идёт", "ёт", "ет"));
}

TEST_F(SearchRun, EndingWithYeListsWhatAPatternWithBothSpellingsLists)
{
    LoadRandomWords(20261211, "аеёж");
    InBothOrders([&] {
        for (const std::string ending : {"е", "ее", "же", "еж", "ежа", "ёж", "а"}) {
            SCOPED_TRACE(ending);
            Pattern(("/" + ending + "$/").c_str());
            const std::vector<std::string> byBytes = m_view.Lines();
            Pattern(("/" + WithBothSpellingsOfYe(ending) + "$/").c_str());
            const std::vector<std::string> byBothSpellings = m_view.Lines();
            Ending(ending.c_str());
            EXPECT_EQ(m_view.Lines(), byBothSpellings);
            EXPECT_FALSE(byBothSpellings.empty());
            // What the bytes of the ending alone list keeps its order among the lines.
            const std::set<std::string> byBytesSet(byBytes.begin(), byBytes.end());
            std::vector<std::string> kept;
            std::copy_if(byBothSpellings.begin(), byBothSpellings.end(), std::back_inserter(kept),
                         [&](const std::string& line) { return byBytesSet.contains(line); });
            EXPECT_EQ(kept, byBytes);
        }
    });
}

TEST_F(SearchRun, RowsAreReadAsTheWalkStartsNotAsTheRunIsMade)
{
    // The window ticks what its user ticks during the interim pass, after the run was made.
    m_folder.WritePair("a", {"кот"}, {1});
    m_folder.WritePair("b", {"кит"}, {2});
    Load({true, false});
    TRecordingControl control;
    control.Ticked = m_view.Ticked;
    TSearchRun run(control);
    control.Ticked.at(1) = true;
    EXPECT_EQ(run.Collect(EndingTest(ToCp1251("т"))).Count(), 2u);
}

TEST_F(SearchRun, CostlyExpressionStopsAtTheTimeLimitLikeAnEngineError)
{
    // Each word costs the engine milliseconds, far below its match limit: without the time limit
    // this run takes over a minute.
    LoadRandomWords(20261208, "абвгде");
    m_view.TimeLimit = std::chrono::seconds(2);
    m_view.Clock = ThousandfoldClock();
    EXPECT_THAT([&] { Pattern("/^(?:|){22}$/"); },
                ThrowsMessage<ESearchTimeLimit>(
                    "Search stopped after 2 s: the expression is too costly. Simplify it or search "
                    "fewer dictionaries"));
    ASSERT_THAT(m_view.Control.Polls, ::testing::Not(IsEmpty()));
    EXPECT_LT(m_view.Control.Polls.back(), std::chrono::seconds(2));
}

TEST_F(SearchRun, TimeLimitStopsEveryKindOfRunOnceItsTimeHasPassed)
{
    LoadRandomWords(20261208, "абвгде");
    // A clock that moves 50 ms at each reading passes one second long before 5000 words, also
    // in a walk that turns words away by their end 64 at a time and reads it once for them.
    const std::function<void()> runs[] = {
        [&] { Pattern("/^а/"); },
        [&] { Pattern("/^.*.*а$/s"); },
        [&] { Ending("а"); },
        [&] { Ending(""); },
    };
    for (const auto& run : runs) {
        m_view.Control.Polls.clear();
        m_view.TimeLimit = std::chrono::seconds(1);
        m_view.Clock = SteppingClock(std::chrono::milliseconds(50));
        EXPECT_THAT(run, ThrowsMessage<ESearchTimeLimit>(::testing::StartsWith(
                             "Search stopped after 1 s: the expression is too costly.")));
        EXPECT_THAT(m_view.Control.Polls, ::testing::Each(::testing::Lt(std::chrono::seconds(1))));
        EXPECT_TRUE(std::is_sorted(m_view.Control.Polls.begin(), m_view.Control.Polls.end()));
        // The same run without a limit lists as it always did.
        m_view.TimeLimit = std::chrono::seconds(0);
        run();
    }
}

TEST_F(SearchRun, RunsWithinTheLimitListAsRunsWithoutOne)
{
    LoadRandomWords(20261208, "абвгде");
    const char* const queries[] = {"/^а/", "/^.*.*а$/s", "/^.*а$/", "/в.д/i"};
    for (const char* query : queries) {
        SCOPED_TRACE(query);
        m_view.TimeLimit = std::chrono::seconds(0);
        m_view.Clock = nullptr;
        Pattern(query);
        const std::string unlimited = m_view.Pane;
        ASSERT_NE(unlimited, "");
        // Five thousand words at a millisecond each stay within ten seconds.
        m_view.TimeLimit = std::chrono::seconds(10);
        m_view.Clock = SteppingClock(std::chrono::milliseconds(1));
        Pattern(query);
        EXPECT_EQ(m_view.Pane, unlimited);
    }
}

TEST_F(SearchRun, ViewThatStopsKeepingOnCancelsTheRunQuietly)
{
    LoadRandomWords(20261208, "абвгде");
    m_view.CancelAtPoll = 3;
    EXPECT_THAT([&] { Pattern("/^а/"); }, ThrowsMessage<ESearchCancelled>("Search cancelled"));
    EXPECT_EQ(m_view.Control.Polls.size(), 3u);
}

TEST_F(SearchRun, EvenOneWordAsksTheViewWhetherToGoOn)
{
    m_folder.WritePair("a", {"кот"}, {1});
    Load({true});
    m_view.CancelAtPoll = 1;
    EXPECT_THROW(Ending("т"), ESearchCancelled);
    EXPECT_THROW(Pattern("/т/"), ESearchCancelled);
}

TEST_F(SearchRun, OneCostlyWordCannotHoldTheRunPastItsLimit)
{
    // A back reference costs the cube of a long word's length; thousands of groups do not fit the
    // JIT. Each case would take the run far past its limit.
    std::string groups;
    for (int i = 0; i < 8000; ++i) {
        groups += "()";
    }
    m_folder.WritePair("a", {"кот", ToUtf8(std::string(1000, '\xE0'))}, {2, 1});  // a thousand "а"
    Load({true});
    const std::tuple<std::string, std::size_t, const char*> cases[] = {
        {"/(.*)\\1я/", 0,
         "Search stopped after 1 s: the expression is too costly. Simplify it or search fewer "
         "dictionaries"},
        {"/(.*)\\1я/", 3, "Search cancelled"},
        {"/" + groups + "(?:.*){7}\\d/", 0,
         "TRegExpr(comp): regular expression is too large to match: use fewer groups and repeats"},
    };
    for (const auto& [query, cancelAtPoll, message] : cases) {
        SCOPED_TRACE(message);
        m_view.Control.Polls.clear();
        m_view.CancelAtPoll = cancelAtPoll;
        m_view.TimeLimit = std::chrono::seconds(1);
        m_view.Clock = SteppingClock(std::chrono::milliseconds(50));
        EXPECT_THAT([&] { Pattern(query.c_str()); }, ThrowsMessage<std::runtime_error>(message));
    }
}

TEST_F(SearchRun, ModifiersThatCannotChangeAMaskExpressionListTheSameWords)
{
    // Long words with я early and not at the end cost the engine a match limit for eight ".*".
    std::mt19937 random(20261209);
    std::vector<std::string> words;
    std::vector<std::int32_t> counts;
    for (int i = 0; i < 400; ++i) {
        std::string word;
        const int length = 1 + static_cast<int>(random() % 32);
        for (int k = 0; k < length; ++k) {
            word += random() % 3 == 0 ? "я" : "а";
        }
        words.push_back(word);
        counts.push_back(1000 - i);
    }
    m_folder.WritePair("a", words, counts);
    Load({true});
    Pattern("/^.*.*.*.*.*.*.*.*я$/");
    const std::string plain = m_view.Pane;
    ASSERT_NE(plain, "");
    for (const char* modifiers : {"s", "-s", "m", "g", "-g", "x", "r", "-r", "-i", "smgxr"}) {
        SCOPED_TRACE(modifiers);
        Pattern((std::string("/^.*.*.*.*.*.*.*.*я$/") + modifiers).c_str());
        EXPECT_EQ(m_view.Pane, plain);
    }
}

}  // namespace
