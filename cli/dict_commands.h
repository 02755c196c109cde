#pragma once
// The dictionary commands of slovosito-cli: make-dict writes a dictionary from frequency lists
// or texts, check tells why a dictionary of a folder is or is not listed.

#include <iosfwd>
#include <string>
#include <vector>

// Runs "slovosito-cli make-dict" with args (after the command word). Returns 0 when the
// dictionary was written. Throws on any error, before anything is written: EUsageError for the
// arguments, EPairExistsError when the dictionary exists and --force is not given, the core's
// errors for the files. What went wrong making the user's folder goes to err, and the command
// goes on; when it is left with only the installed sample, it throws EUsageError.
int RunMakeDict(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Runs "slovosito-cli check" with args (after the command word). Returns 0 when every
// candidate is listed, 1 when one is not. Throws EUsageError for the arguments. What went wrong
// making the user's folder goes to err, and the check goes on.
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
