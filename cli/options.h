#pragma once
// The option layer of slovosito-cli: the plain tables that describe each command's options and
// what each does, the reader that walks the arguments against such a table, the help text made
// from it, and the dictionary folder that --dir names.

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "cli/arguments.h"
#include "wordstore/dictionary_folder.h"

// A mistake in the arguments, or a command that finds nothing to do; what() is UTF-8.
class EUsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// What an option does to the arguments read before it: a setter given the option's value (""
// for a flag), or the search mode the option picks, its value being the query. Every option has
// one: there is neither an empty effect nor a null setter.
class TOptionEffect
{
public:
    using TSetter = void (*)(TCliArgs& args, const std::string& value);

    // A setter, or a lambda without captures of its form.
    template <typename F>
    requires std::is_convertible_v<F, TSetter>
    constexpr TOptionEffect(F setter)
        : m_setter(setter)
    {}
    TOptionEffect(std::nullptr_t) = delete;
    constexpr TOptionEffect(TSearchMode mode)
        : m_mode(mode)
    {}

    // The setter; nullptr for a mode.
    TSetter Setter() const { return m_setter; }
    // The mode; none for a setter.
    std::optional<TSearchMode> Mode() const { return m_mode; }

private:
    TSetter m_setter = nullptr;
    std::optional<TSearchMode> m_mode;
};

// One option of a command.
struct TOptionSpec
{
    const char* Name;   // "--dict"
    const char* Value;  // the value's placeholder in the help, "NAME"; nullptr for a flag
    // The option's entry in the help's option list, one sentence that the help wraps; nullptr
    // for an option only the synopsis and the description tell of.
    const char* Help;
    TOptionEffect Effect;
    const char* Alias = nullptr;  // a second spelling the help does not show: "-h"
};

// One command of slovosito-cli. Its help text is Synopsis, a blank line, About, a blank line,
// then the option list and a blank line when an option has a Help entry, then Epilogue; each of
// the three texts ends with a newline.
struct TCommandSpec
{
    const char* Name;  // the word that selects it; "" for the search, which needs none
    const char* Synopsis;
    const char* About;
    std::span<const TOptionSpec> Options;
    const char* Epilogue;
    bool TakesOperands;        // else an argument that is not an option is an error
    bool DashDashEndsOptions;  // "--" makes every argument after it an operand
};

// Called for each option in the order given, with its value ("" for a flag).
using TOptionHandler = std::function<void(const TOptionSpec& option, const std::string& value)>;
// Called for each operand in the order given.
using TOperandHandler = std::function<void(const std::string& operand)>;

// Walks args against command, calling onOption and onOperand as it goes. An argument starting
// with "-" (other than "-" itself) is an option; an option that takes a value gets it as
// "--name=value" or as the next argument, whatever that is. Throws EUsageError at the first
// unknown argument (an operand, too, when the command takes none), missing value or value given
// to a flag; what a handler throws ends the walk there.
void ParseArguments(const TCommandSpec& command, const std::vector<std::string>& args,
                    const TOptionHandler& onOption, const TOperandHandler& onOperand = {});

// Walks args against command as ParseArguments does, applying each option's effect in the order
// given and collecting the operands. A mode option throws EUsageError "only one of --ending, ...
// and --rhyme may be given" when a mode was picked before it, and "option --anagram needs
// letters" for blank letters of a letter search; what a setter throws ends the walk there.
TCliArgs ReadArguments(const TCommandSpec& command, const std::vector<std::string>& args);

// The options of command that pick a search mode, in table order, joined by ", " but the last
// two by lastSeparator: "--ending, --mask and --rhyme" for " and ".
std::string ModeOptionNames(const TCommandSpec& command, const std::string& lastSeparator);

// The text "--help" prints for command (UTF-8): option entries start in column 18 and wrap
// within 90 columns.
std::string HelpText(const TCommandSpec& command);

// Prints utf8 to err as one line "slovosito-cli: <utf8>".
void PrintError(std::ostream& err, const std::string& utf8);

// The dictionary folder a command works on, as ChooseDictionaryFolder picks it for dir: dir when
// it is given, which must then be an existing folder (else ENoSuchFolder "no such folder
// \"DIR\""), else the folder beside the program or the user's folder. What went wrong making
// the user's folder is printed to err as the loading errors are, and the command goes on.
TDictionaryFolder DictionaryFolderFor(const std::string& dir, std::ostream& err);
