#pragma once
// The dictionary commands of slovosito-cli: make-dict writes a dictionary from frequency lists
// or texts, check tells why a dictionary of a folder is or is not listed.

#include <iosfwd>
#include <string>
#include <vector>

// Runs "slovosito-cli make-dict" with args (after the command word). Returns 0 when the
// dictionary was written. Throws on any error, before anything is written: EUsageError for the
// arguments, EPairExistsError when the dictionary exists and --force is not given, the core's
// errors for the files.
int RunMakeDict(const std::vector<std::string>& args, std::ostream& out);

// Runs "slovosito-cli check" with args (after the command word). Returns 0 when every
// candidate is listed, 1 when one is not. Throws EUsageError for the arguments.
int RunCheck(const std::vector<std::string>& args, std::ostream& out);
