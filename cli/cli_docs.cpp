// slovosito-cli-docs: a build tool that writes slovosito-cli's manual page and bash completion
// from the command tables its --help is made of.

#include <fstream>
#include <iostream>
#include <string>

#include "cli/commands.h"
#include "cli/man_page.h"
#include "slovosito_version.h"

namespace {

bool WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "slovosito-cli-docs: cannot write " << path << '\n';
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: slovosito-cli-docs MAN_PAGE COMPLETION RELEASE_DATE\n";
        return 2;
    }
    const TManPageInfo page = {
        .Program = "slovosito-cli",
        .Summary = "find Russian words, rhymes and anagrams in frequency dictionaries",
        .Version = kSlovositoVersion,
        .Date = argv[3],
        .Commands = kAllCommands,
        .SeeAlso = "slovosito",
    };
    return WriteFile(argv[1], ManPage(page)) && WriteFile(argv[2], BashCompletion(page)) ? 0 : 2;
}
