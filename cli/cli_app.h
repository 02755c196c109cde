#pragma once
// The command-line front end: picks the command its arguments name, runs it and prints UTF-8.

#include <iosfwd>
#include <string>
#include <vector>

// Runs slovosito-cli with args (without the program name). Returns the exit status: for a
// search 0 when something was listed, 1 when nothing was; for make-dict 0; for check 0 when
// every candidate is listed, 1 otherwise; 2 on any error, which it prints to err as
// "slovosito-cli: <message>".
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
