#pragma once
// How the command line shows dictionary names: one line each, spelled by SpellName, and read
// back from --dict in the same spelling.

#include <string>

// The dictionary list's row as the terminal shows it, UTF-8: the core's row rowText (see
// TDictionaryRow) for the dictionary of stem, its name spelled by SpellName.
std::string TerminalRow(const std::string& stem, const std::string& rowText);

// Whether wanted, as --dict takes it (a spelling that ReadSpelledName reads), names the
// dictionary of stem (TDictionaryRow::Stem).
bool NamesDictionary(const std::string& wanted, const std::string& stem);
