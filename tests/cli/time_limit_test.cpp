// End-to-end tests of slovosito-cli's time limit: a costly search ends with an error within it,
// ordinary searches list as before, and bad values are usage errors.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::HasSubstr;

class CliTimeLimit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.WritePair("Словари/basic", {"янка", "банка", "кот", "склянка"},
                           {400000, 300000, 200000, 100000});
    }

    TCliRun Run(std::vector<std::string> args)
    {
        return RunCliOnDictionaries(m_folder, std::move(args));
    }

    TTempFolder m_folder;
};

TEST_F(CliTimeLimit, CostlyExpressionEndsWithTheMessageAndStatus2)
{
    // The expression costs the engine over ten milliseconds a word while staying far below its
    // match limit, so these words alone would take well over ten seconds.
    std::vector<std::string> words;
    std::vector<std::int32_t> counts;
    const char* const stems[] = {"кот", "банка", "склянка", "полянка"};
    for (int i = 0; i < 2000; ++i) {
        words.push_back(stems[i % 4] + std::string(static_cast<std::size_t>(i % 7), 'a'));
        counts.push_back(2000 - i);
    }
    m_folder.WritePair("Словари/costly", words, counts);
    const TCliRun result =
        Run({"--dict", "costly", "--time-limit", "1", "--regexp", "/^(?:|){22}$/"});
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err,
              "slovosito-cli: Search stopped after 1 s: the expression is too costly. Simplify it "
              "or search fewer dictionaries.\n");
}

TEST_F(CliTimeLimit, OrdinarySearchesListAsWithoutALimit)
{
    const std::vector<std::string> query = {"--alpha", "--mask", "*нка"};
    const TCliRun plain = Run(query);
    ASSERT_EQ(plain.Status, 0);
    ASSERT_EQ(plain.Out, "банка\nсклянка\nянка\n");
    for (const char* limit : {"0", "1", "10", "4294967295"}) {
        SCOPED_TRACE(limit);
        std::vector<std::string> args = {"--time-limit", limit};
        args.insert(args.end(), query.begin(), query.end());
        const TCliRun limited = Run(args);
        EXPECT_EQ(limited.Status, 0);
        EXPECT_EQ(limited.Out, plain.Out);
        EXPECT_EQ(limited.Err, "");
    }
    EXPECT_EQ(Run({"--time-limit=0", "--ending", "от"}).Out, "кот\n");
}

TEST_F(CliTimeLimit, ValueThatIsNoWholeNumberOfSecondsIsAUsageError)
{
    for (const char* value : {"", "abc", "-1", "+1", "1.5", "1,5", " 1", "1s", "4294967296"}) {
        SCOPED_TRACE(value);
        const TCliRun result = Run({"--time-limit", value, "--ending", "от"});
        EXPECT_EQ(result.Status, 2);
        EXPECT_EQ(result.Out, "");
        EXPECT_EQ(result.Err, std::string("slovosito-cli: bad time limit \"") + value +
                                  "\" (whole seconds, 0 for none)\n");
    }
}

TEST_F(CliTimeLimit, HelpTellsOfTheOption)
{
    EXPECT_THAT(Run({"--help"}).Out, HasSubstr("--time-limit SECONDS"));
}

}  // namespace
