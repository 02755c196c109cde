// Tests of the command-line option layer: reading arguments against a table, the help text made
// from it, and the three commands' tables against what the built program does with them.

#include "cli/options.h"

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"
#include "wordstore/path_utils.h"

namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

// The walk and the help text look at the names and texts only.
void NoEffect(TCliArgs&, const std::string&) {}

const TOptionSpec kDemoOptions[] = {
    {"--dir", "DIR", nullptr, NoEffect},
    {"--flag", nullptr, "a flag", NoEffect},
    {"--value", "V", "takes a value", NoEffect},
    {"--help", nullptr, "show this text", NoEffect, "-h"},
};

// A command that takes operands and reads "--" as the end of its options.
const TCommandSpec kDemo = {
    .Name = "demo",
    .Synopsis = "Usage: demo\n",
    .About = "About.\n",
    .Options = kDemoOptions,
    .Epilogue = "End.\n",
    .TakesOperands = true,
    .DashDashEndsOptions = true,
};

// The same options for a command without a word, operands or "--".
const TCommandSpec kBare = [] {
    TCommandSpec bare = kDemo;
    bare.Name = "";
    bare.TakesOperands = false;
    bare.DashDashEndsOptions = false;
    return bare;
}();

// What the walk reported, one entry per call: "--name=value" for an option, "[operand]".
std::vector<std::string> Walk(const TCommandSpec& command, const std::vector<std::string>& args)
{
    std::vector<std::string> calls;
    ParseArguments(
        command, args,
        [&calls](const TOptionSpec& option, const std::string& value) {
            calls.push_back(std::string(option.Name) + "=" + value);
        },
        [&calls](const std::string& operand) { calls.push_back("[" + operand + "]"); });
    return calls;
}

TEST(ParseArguments, ReportsOptionsWithTheirValuesAndOperandsInOrder)
{
    // Arguments, then the calls they make.
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"--flag", "a", "--value", "x"}, {"--flag=", "[a]", "--value=x"}},
        {{"--value=x=y"}, {"--value=x=y"}},           // split at the first "="
        {{"--value="}, {"--value="}},                 // an empty value
        {{"--value", "--flag"}, {"--value=--flag"}},  // the next argument, whatever it is
        {{"-h", "--help"}, {"--help=", "--help="}},
        {{"-", "b"}, {"[-]", "[b]"}},  // "-" is an operand: the standard input
        {{"a", "--", "--flag", "-h", "--"}, {"[a]", "[--flag]", "[-h]", "[--]"}},
        {{}, {}},
    };
    for (const auto& [args, calls] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        EXPECT_EQ(Walk(kDemo, args), calls);
    }
}

TEST(ParseArguments, StopsAtTheFirstMistake)
{
    // Command, arguments, then the whole message.
    const struct
    {
        const TCommandSpec& Command;
        std::vector<std::string> Args;
        const char* Message;
    } cases[] = {
        {kDemo, {"--value"}, "option --value needs a value"},
        {kDemo, {"--flag=1"}, "option --flag takes no value"},
        {kDemo, {"--flag="}, "option --flag takes no value"},
        {kDemo, {"--nope=1", "--value"}, "unknown argument --nope (see demo --help)"},
        {kDemo, {"-h=1"}, "unknown argument -h=1 (see demo --help)"},  // only "--" splits
        {kDemo, {"-x"}, "unknown argument -x (see demo --help)"},
        {kDemo, {"--=1"}, "unknown argument -- (see demo --help)"},
        {kBare, {"--flag", "a"}, "unknown argument a (see --help)"},
        {kBare, {"-"}, "unknown argument - (see --help)"},
        {kBare, {"--"}, "unknown argument -- (see --help)"},
        {kBare, {"--flag=1", "--nope"}, "option --flag takes no value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Args));
        EXPECT_THAT([&] { Walk(c.Command, c.Args); }, ThrowsMessage<EUsageError>(c.Message));
    }
}

TEST(ParseArguments, WhatAHandlerThrowsEndsTheWalkThere)
{
    std::vector<std::string> seen;
    const auto walk = [&] {
        ParseArguments(kDemo, {"--flag", "--value", "x", "--nope"},
                       [&seen](const TOptionSpec& option, const std::string&) {
                           seen.push_back(option.Name);
                           if (seen.size() == 2) {
                               throw EUsageError("second option");
                           }
                       });
    };
    EXPECT_THAT(walk, ThrowsMessage<EUsageError>("second option"));
    EXPECT_EQ(seen, (std::vector<std::string>{"--flag", "--value"}));
}

TEST(HelpText, ListsTheOptionsWithHelpInColumnEighteenWrappedWithinNinetyColumns)
{
    const TOptionSpec options[] = {
        {"--dir", "DIR", nullptr, NoEffect},
        {"--a", nullptr, "short", NoEffect},
        // Column 89 after "thirteen": one more letter would make 91.
        {"--words", "W",
         "one two three four five six seven eight nine ten eleven twelve thirteen x sixteen",
         NoEffect},
        // A Cyrillic letter takes two bytes but one column: this fills the 90 columns exactly.
        {"--ru", nullptr,
         "аааааааа бббббббб вввввввв гггггггг дддддддд ееееееее жжжжжжжж ззззззззз "
         "и",
         NoEffect},
        {"--very-long-name", "VALUE", "under the name", NoEffect},
    };
    const TCommandSpec command = {
        .Name = "x",
        .Synopsis = "Usage: x\n",
        .About = "Does x.\n",
        .Options = options,
        .Epilogue = "Exit status: 0.\n",
        .TakesOperands = false,
        .DashDashEndsOptions = false,
    };
    EXPECT_EQ(HelpText(command),
              "Usage: x\n"
              "\n"
              "Does x.\n"
              "\n"
              "  --a             short\n"
              "  --words W       one two three four five six seven eight nine ten eleven twelve "
              "thirteen\n"
              "                  x sixteen\n"
              "  --ru            аааааааа бббббббб вввввввв гггггггг дддддддд ееееееее жжжжжжжж "
              "ззззззззз\n"
              "                  и\n"
              "  --very-long-name VALUE\n"
              "                  under the name\n"
              "\n"
              "Exit status: 0.\n");
}

TEST(HelpText, CommandWithoutListedOptionsHasNoOptionList)
{
    EXPECT_EQ(HelpText(kCheckCommand).find("\n  --"), std::string::npos);
    EXPECT_EQ(HelpText({.Name = "y",
                        .Synopsis = "Usage: y\n",
                        .About = "Does y.\n",
                        .Options = {},
                        .Epilogue = "Exit status: 0.\n",
                        .TakesOperands = false,
                        .DashDashEndsOptions = false}),
              "Usage: y\n\nDoes y.\n\nExit status: 0.\n");
}

TEST(CommandTables, EveryOptionIsToldOfInItsCommandsHelpAndSpelledOnce)
{
    for (const TCommandSpec* command : kAllCommands) {
        SCOPED_TRACE(command->Name);
        const std::string help = HelpText(*command);
        std::set<std::string> spellings;
        for (const TOptionSpec& option : command->Options) {
            SCOPED_TRACE(option.Name);
            EXPECT_TRUE(spellings.insert(option.Name).second);
            if (option.Alias != nullptr) {
                EXPECT_TRUE(spellings.insert(option.Alias).second);
            }
            // --help is the one option a help text need not name.
            if (std::string(option.Name) != "--help") {
                const std::string usage = std::string(option.Name) +
                                          (option.Value ? std::string(" ") + option.Value : "");
                EXPECT_THAT(help, HasSubstr(usage));
            }
        }
    }
}

TEST(CommandTables, EveryCommandChecksItsFolderAlike)
{
    const TTempFolder folder;
    const std::string missing = folder.Path() + "/nowhere";
    const std::string file = folder.Write("file", "x");
    // Arguments of each command that takes --dir, which goes after them.
    const std::vector<std::string> commands[] = {
        {"--list"}, {"--ending", "а"}, {"make-dict", "n", "f"}, {"check"}};
    for (const std::vector<std::string>& command : commands) {
        for (const std::string& dir : {missing, file}) {
            SCOPED_TRACE(::testing::PrintToString(command) + " " + dir);
            std::vector<std::string> args = command;
            args.push_back("--dir=" + dir);
            const TCliRun run = RunCliProgram(folder, args);
            EXPECT_EQ(run.Status, 2);
            EXPECT_EQ(run.Err, "slovosito-cli: no such folder \"" + dir + "\"\n");
            EXPECT_EQ(run.Out, "");
        }
    }
}

TEST(DictionaryFolderFor, GivenFolderMustExist)
{
    const TTempFolder folder;
    std::ostringstream err;
    const TDictionaryFolder chosen = DictionaryFolderFor(folder.Path(), err);
    EXPECT_EQ(chosen.Path, folder.Path());
    EXPECT_EQ(chosen.Choice, TFolderChoice::Given);
    EXPECT_EQ(err.str(), "");
    EXPECT_THAT([&] { DictionaryFolderFor(folder.Path() + "/none", err); },
                ThrowsMessage<ENoSuchFolder>("no such folder \"" + folder.Path() + "/none\""));
}

}  // namespace
