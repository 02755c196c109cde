// Tests of the window's manual page against the built program: it lists the options that
// "slovosito --help" prints, each with the same sentence.

#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "slovosito_version.h"
#include "tests/support/man_page_reader.h"
#include "tests/support/temp_folder.h"

namespace {

std::string Output(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    pclose(pipe);
    return out;
}

// The option list of Qt's help text, "  -h, --help   show this text": each option with its
// placeholder, written as the manual page writes it ("--dir DIR"), and its sentence.
std::map<std::string, std::string> HelpOptions(const std::string& help)
{
    std::map<std::string, std::string> options;
    std::istringstream lines(help);
    std::string line;
    while (std::getline(lines, line) && line != "Options:") {
    }
    while (std::getline(lines, line) && line.starts_with("  -")) {
        const std::size_t gap = line.find("  ", 2);
        std::string head = line.substr(2, gap - 2);
        for (const char bracket : {'<', '>'}) {
            std::erase(head, bracket);
        }
        const std::size_t text = line.find_first_not_of(' ', gap);
        options[head] = text == std::string::npos ? "" : line.substr(text);
    }
    return options;
}

TEST(WindowManPage, ListsTheOptionsTheProgramsHelpPrints)
{
    const std::map<std::string, std::string> help =
        HelpOptions(Output("'" SLOVOSITO_PATH "' --help"));
    ASSERT_THAT(help, ::testing::Contains(::testing::Key("--version")));
    std::map<std::string, std::string> man;
    for (const TManEntry& entry : ManEntries(ReadFileBytes(SLOVOSITO_MAN_PAGE), "OPTIONS")) {
        man[entry.Head] = entry.Body;
    }
    EXPECT_EQ(man, help);
}

TEST(WindowManPage, NamesTheProgramsVersion)
{
    const std::string version = Output("'" SLOVOSITO_PATH "' --version");
    ASSERT_EQ(version, std::string("slovosito ") + kSlovositoVersion + "\n");
    EXPECT_THAT(ReadFileBytes(SLOVOSITO_MAN_PAGE),
                ::testing::HasSubstr("\"slovosito " + std::string(kSlovositoVersion) +
                                     "\" \"User Commands\"\n"));
}

}  // namespace
