#pragma once
// The dictionary commands of slovosito-cli: make-dict writes a dictionary from frequency lists
// or texts, check tells why a dictionary of a folder is or is not listed.

#include <iosfwd>
#include <string>
#include <vector>

// Runs "slovosito-cli make-dict" with args (after the command word). Returns 0 when the
// dictionary was written, 2 on error (nothing is then written).
int RunMakeDict(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Runs "slovosito-cli check" with args (after the command word). Returns 0 when every
// candidate is listed, 1 when one is not, 2 on error.
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
