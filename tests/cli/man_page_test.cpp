// Tests of slovosito-cli's manual page and bash completion: every option of every command is in
// them, the page says of each option what --help says, and the completion offers what it should.

#include "cli/man_page.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "tests/cli/run_cli.h"
#include "tests/support/man_page_reader.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::HasSubstr;

TManPageInfo PageOf(const char* program, std::span<const TCommandSpec* const> commands)
{
    return {
        .Program = program,
        .Summary = "find words",
        .Version = "9.9",
        .Date = "2000-01-02",
        .Commands = commands,
        .SeeAlso = "slovosito",
    };
}

TManPageInfo CliPage()
{
    return PageOf("slovosito-cli", kAllCommands);
}

// The man page's section for command: OPTIONS for the one without a word, else its subsection.
std::string SectionOf(const TCommandSpec& command)
{
    return *command.Name == '\0' ? "OPTIONS" : command.Name;
}

std::vector<std::string> Words(std::string text)
{
    std::vector<std::string> words;
    for (char& c : text) {
        c = c == ',' ? ' ' : c;
    }
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// The option list of a --help text: each entry's option with its placeholder, then its sentence
// unwrapped.
std::vector<std::pair<std::string, std::string>> HelpEntries(const std::string& help)
{
    std::vector<std::pair<std::string, std::string>> entries;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("  -")) {
            const std::size_t gap = line.find("  ", 2);
            entries.emplace_back(line.substr(2, gap - 2), "");
            line = gap == std::string::npos ? "" : line.substr(gap);
        } else if (entries.empty() || !line.starts_with("                  ")) {
            continue;
        }
        const std::size_t start = line.find_first_not_of(' ');
        if (start != std::string::npos) {
            std::string& sentence = entries.back().second;
            if (!sentence.empty()) {
                sentence += ' ';
            }
            sentence += line.substr(start);
        }
    }
    return entries;
}

TEST(RoffText, EscapesWhatRoffWouldRead)
{
    // Text, then the roff that prints it.
    const std::pair<const char*, const char*> cases[] = {
        {"--dir", "\\-\\-dir"},        {".hidden", "\\&.hidden"},
        {"one\n'two", "one\n\\&'two"}, {"back\\slash", "back\\eslash"},
        {"a.b 'c'", "a.b 'c'"},  // only at a line's start
        {"Словари", "Словари"},        {"", ""},
    };
    for (const auto& [text, roff] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(RoffText(text), roff);
        EXPECT_EQ(PlainRoff(RoffText(text)), text);
    }
}

TEST(ManPage, HasAnEntryForEveryOptionOfEveryCommand)
{
    const std::string page = ManPage(CliPage());
    for (const TCommandSpec* command : kAllCommands) {
        const std::vector<TManEntry> entries = ManEntries(page, SectionOf(*command));
        ASSERT_EQ(entries.size(), command->Options.size()) << SectionOf(*command);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const TOptionSpec& option = command->Options[i];
            SCOPED_TRACE(SectionOf(*command) + " " + option.Name);
            const std::vector<std::string> head = Words(entries[i].Head);
            EXPECT_THAT(head, ::testing::Contains(option.Name));
            if (option.Alias != nullptr) {
                EXPECT_THAT(head, ::testing::Contains(option.Alias));
            }
            if (option.Value != nullptr) {
                EXPECT_EQ(head.back(), option.Value);
            }
            EXPECT_NE(entries[i].Body, "");
        }
    }
}

TEST(ManPage, SaysOfEachOptionWhatTheBuiltProgramsHelpSays)
{
    const std::string page = ManPage(CliPage());
    const TTempFolder folder;
    for (const TCommandSpec* command : kAllCommands) {
        SCOPED_TRACE(SectionOf(*command));
        std::vector<std::string> args = {"--help"};
        if (*command->Name != '\0') {
            args.insert(args.begin(), command->Name);
        }
        const TCliRun help = RunCliProgram(folder, args);
        ASSERT_EQ(help.Status, 0);
        const std::vector<TManEntry> entries = ManEntries(page, SectionOf(*command));
        for (const auto& [option, sentence] : HelpEntries(help.Out)) {
            SCOPED_TRACE(option);
            const auto entry =
                std::find_if(entries.begin(), entries.end(), [&](const TManEntry& e) {
                    return e.Head == option || e.Head.ends_with(", " + option);
                });
            ASSERT_NE(entry, entries.end());
            EXPECT_EQ(entry->Body, sentence);
        }
    }
    // The search's list is long; an empty one would make the loop above pass for nothing.
    EXPECT_GE(HelpEntries(RunCliProgram(folder, {"--help"}).Out).size(), 10U);
}

TEST(ManPage, SynopsisIsTheUsageLinesOfHelp)
{
    const TTempFolder folder;
    const std::string help = RunCliProgram(folder, {"--help"}).Out;
    const std::string page = ManPage(CliPage());
    const std::size_t start = page.find(".SH SYNOPSIS\n.nf\n");
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = page.find(".fi\n", start);
    std::istringstream manLines(PlainRoff(page.substr(start, end - start)));
    std::istringstream helpLines(help);
    std::string manLine;
    std::getline(manLines, manLine);  // .SH SYNOPSIS
    std::getline(manLines, manLine);  // .nf
    int compared = 0;
    for (std::string helpLine; std::getline(helpLines, helpLine) && !helpLine.empty();) {
        ASSERT_TRUE(std::getline(manLines, manLine));
        EXPECT_EQ("       " + manLine,
                  helpLine.starts_with("Usage: ") ? "       " + helpLine.substr(7) : helpLine);
        ++compared;
    }
    EXPECT_GE(compared, 3);
}

void NoEffect(TCliArgs&, const std::string&) {}

const TOptionSpec kDemoOptions[] = {
    {"--dir", "DIR", nullptr, NoEffect},
    {"--odd", nullptr, nullptr, NoEffect},
    {"--x", "V", "a \\d value", NoEffect, "-x"},
};

const TCommandSpec kDemo = {
    .Name = "",
    .Synopsis = "Usage: demo [-x V]\n       demo --odd\n",
    .About = "  .starts with a dot\nthen a back\\slash\n\nSecond paragraph.\n",
    .Options = kDemoOptions,
    .Epilogue = "Exit status: 0.\n",
    .TakesOperands = false,
    .DashDashEndsOptions = false,
};

TEST(ManPage, WritesTheTextsAsRoffParagraphsAndEntries)
{
    const TCommandSpec* const commands[] = {&kDemo};
    const std::string page = ManPage(PageOf("demo", commands));
    EXPECT_EQ(page,
              ".TH DEMO 1 \"2000\\-01\\-02\" \"demo 9.9\" \"User Commands\"\n"
              ".nh\n.ad l\n"
              ".SH NAME\ndemo \\- find words\n"
              ".SH SYNOPSIS\n.nf\ndemo [\\-x V]\ndemo \\-\\-odd\n.fi\n"
              ".SH DESCRIPTION\n.PP\n\\&.starts with a dot\nthen a back\\eslash\n"
              ".PP\nSecond paragraph.\n"
              ".SH OPTIONS\n"
              ".TP\n\\fB\\-\\-dir\\fR \\fIDIR\\fR\n"
              "work on the dictionary folder DIR instead of the usual one; it must exist\n"
              ".TP\n\\fB\\-\\-odd\\fR\n\n"  // neither a --help sentence nor one of the page's own
              ".TP\n\\fB\\-x\\fR, \\fB\\-\\-x\\fR \\fIV\\fR\na \\ed value\n"
              ".PP\nExit status: 0.\n"
              ".SH \"SEE ALSO\"\n.BR slovosito (1)\n");
}

// What bash offers for the words typed so far, the last being the one completed; the helpers
// of bash-completion are stood in for, _filedir by a word naming what it would offer.
std::string Complete(const TTempFolder& folder, const std::vector<std::string>& typed)
{
    const std::string script = folder.Path() + "/completion.bash";
    std::ofstream(script) << BashCompletion(CliPage());
    std::string words;
    for (const std::string& word : typed) {
        words += " '" + word + "'";
    }
    const std::string driver = folder.Path() + "/driver.bash";
    std::ofstream(driver) << "_init_completion() {\n"
                             "    words=(\"${COMP_WORDS[@]}\"); cword=$COMP_CWORD\n"
                             "    cur=${words[cword]}; prev=${words[cword-1]}\n"
                             "}\n"
                             "_filedir() { COMPREPLY=(\"<files$1>\"); }\n"
                             "source '"
                          << script << "'\n"
                          << "COMP_WORDS=(slovosito-cli" << words << ")\n"
                          << "COMP_CWORD=" << typed.size() << "\n"
                          << "_slovosito_cli\n"
                             "printf '%s\\n' \"${COMPREPLY[@]}\"\n";
    std::string out;
    FILE* bash = popen(("bash '" + driver + "'").c_str(), "r");
    if (bash == nullptr) {
        return "<no bash>";
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, bash) != nullptr) {
        out += buffer;
    }
    pclose(bash);
    return out;
}

TEST(BashCompletion, OffersTheOptionsOfTheCommandTyped)
{
    // The words after the program's name, then what is offered.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--al"}, "--all\n--alpha\n"},
        {{"--ending", "янка", "--ip"}, "--ipm\n"},
        {{"ma"}, "make-dict\n"},
        {{""}, "make-dict\ncheck\n"},
        {{"make-dict", "--f"}, "--from-list\n--from-text\n--force\n"},
        {{"make-dict", "--al"}, "\n"},  // the search's options are not make-dict's
        {{"check", "--d"}, "--dir\n"},
        {{"--dir", ""}, "<files-d>\n"},
        {{"make-dict", "--dir", "x", "name", ""}, "<files>\n"},
        {{"--ending", ""}, "\n"},  // a query is not completed
        {{"--list", ""}, "\n"},    // the search takes no operands
    };
    const TTempFolder folder;
    for (const auto& [typed, offered] : cases) {
        SCOPED_TRACE(::testing::PrintToString(typed));
        EXPECT_EQ(Complete(folder, typed), offered);
    }
}

TEST(BashCompletion, KnowsEveryOptionOfEveryCommand)
{
    const TTempFolder folder;
    for (const TCommandSpec* command : kAllCommands) {
        for (const TOptionSpec& option : command->Options) {
            SCOPED_TRACE(SectionOf(*command) + " " + option.Name);
            std::vector<std::string> typed = {option.Name};
            if (*command->Name != '\0') {
                typed.insert(typed.begin(), command->Name);
            }
            EXPECT_THAT(Complete(folder, typed), HasSubstr(std::string(option.Name) + "\n"));
        }
    }
}

}  // namespace
