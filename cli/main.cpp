// slovosito-cli: searches the dictionaries from the command line.

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "wordstore/path_utils.h"

int main(int argc, char** argv)
{
    InitExeDir();
    std::ios::sync_with_stdio(false);
    return RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
