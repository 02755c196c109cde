// How the command line shows dictionary names and reads them back.

#include "cli/dictionary_names.h"

#include <optional>

#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

std::string TerminalRow(const std::string& stem, const std::string& rowText)
{
    // The core's name has "?" for what Windows-1251 lacks; the terminal takes UTF-8 as it is.
    return SpellName(stem) + ToUtf8(rowText.substr(DictionaryName(stem).size()));
}

bool NamesDictionary(const std::string& wanted, const std::string& stem)
{
    const std::optional<std::string> bytes = ReadSpelledName(wanted);
    return bytes && *bytes == stem;
}
