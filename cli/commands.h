#pragma once
// The commands of slovosito-cli as plain tables: what each accepts and how its help reads. The
// argument reader and the help text are both made from them.

#include "cli/options.h"

// slovosito-cli without a command word: lists the dictionaries or searches them.
extern const TCommandSpec kSearchCommand;
// slovosito-cli make-dict: writes a dictionary from frequency lists or texts.
extern const TCommandSpec kMakeDictCommand;
// slovosito-cli check: tells why a dictionary of a folder is or is not listed.
extern const TCommandSpec kCheckCommand;

// Every command, the one without a word first; the manual page and the bash completion are
// written from these.
extern const TCommandSpec* const kAllCommands[3];
