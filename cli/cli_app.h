#pragma once
// The command-line front end: reads its arguments, runs the core and prints UTF-8.

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

// A mistake in the arguments, or a command that finds nothing to do; what() is UTF-8.
class EUsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Runs slovosito-cli with args (without the program name). Returns the exit status: for a
// search 0 when something was listed, 1 when nothing was; for check 0 when every candidate is
// listed, 1 otherwise; 2 on any error.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
