#pragma once
// The command-line front end: reads its arguments, runs the core and prints UTF-8.

#include <iosfwd>
#include <string>
#include <vector>

// Runs slovosito-cli with args (without the program name). Returns the exit status: 0 when
// something was listed, 1 when nothing was, 2 on error.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
