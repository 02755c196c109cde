// The option layer of slovosito-cli: reading arguments against a command's table, and writing
// the command's help text from the same table.

#include "cli/options.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <string_view>

#include "search/number_text.h"
#include "wordstore/encoding.h"
#include "wordstore/letters.h"

namespace {

constexpr std::size_t kHelpColumn = 18;
constexpr std::size_t kHelpWidth = 90;

// The columns text takes on a terminal: one per character, not per UTF-8 byte.
std::size_t Columns(std::string_view text)
{
    std::size_t columns = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++columns;
        }
    }
    return columns;
}

const TOptionSpec* FindOption(const TCommandSpec& command, std::string_view name)
{
    for (const TOptionSpec& option : command.Options) {
        if (name == option.Name || (option.Alias != nullptr && name == option.Alias)) {
            return &option;
        }
    }
    return nullptr;
}

EUsageError UnknownArgument(const TCommandSpec& command, const std::string& arg)
{
    const std::string prefix = *command.Name == '\0' ? "" : std::string(command.Name) + " ";
    return EUsageError("unknown argument " + arg + " (see " + prefix + "--help)");
}

// One entry of the option list: the option and its placeholder, then its help, wrapped.
std::string OptionEntry(const TOptionSpec& option)
{
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "  " + std::string at -O3.
    std::string entry = "  ";
    entry += option.Name;
    if (option.Value != nullptr) {
        entry += ' ';
        entry += option.Value;
    }
    std::size_t column = Columns(entry);
    // A name too long for the column puts the help under it.
    if (column + 2 > kHelpColumn) {
        entry += "\n";
        column = 0;
    }
    entry.append(kHelpColumn - column, ' ');
    column = kHelpColumn;
    bool lineStart = true;
    std::string_view help = option.Help;
    while (!help.empty()) {
        const std::size_t space = help.find(' ');
        const std::string_view word = help.substr(0, space);
        help.remove_prefix(space == std::string_view::npos ? help.size() : space + 1);
        if (!lineStart && column + 1 + Columns(word) > kHelpWidth) {
            entry += "\n" + std::string(kHelpColumn, ' ');
            column = kHelpColumn;
            lineStart = true;
        }
        if (!lineStart) {
            entry += ' ';
            ++column;
        }
        entry += word;
        column += Columns(word);
        lineStart = false;
    }
    return entry + "\n";
}

void ChooseMode(const TCommandSpec& command, const TOptionSpec& option, TSearchMode mode,
                const std::string& query, TSearchArgs& search)
{
    if (search.Mode) {
        throw EUsageError("only one of " + ModeOptionNames(command, " and ") + " may be given");
    }
    // Blank letters would list nothing: a slip, not a search.
    const bool letters = mode == TSearchMode::Anagram || mode == TSearchMode::FromLetters;
    if (letters && IsAllWhiteSpace(query)) {
        throw EUsageError("option " + std::string(option.Name) + " needs letters");
    }
    search.Mode = mode;
    search.Query = query;
}

}  // namespace

void ParseArguments(const TCommandSpec& command, const std::vector<std::string>& args,
                    const TOptionHandler& onOption, const TOperandHandler& onOperand)
{
    bool operandsOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (!operandsOnly && command.DashDashEndsOptions && arg == "--") {
            operandsOnly = true;
            continue;
        }
        if (operandsOnly || arg == "-" || !arg.starts_with("-")) {
            if (!command.TakesOperands) {
                throw UnknownArgument(command, arg);
            }
            onOperand(arg);
            continue;
        }
        std::optional<std::string> inlineValue;
        const std::size_t equals = arg.find('=');
        if (arg.starts_with("--") && equals != std::string::npos) {
            inlineValue = arg.substr(equals + 1);
            arg.resize(equals);
        }
        const TOptionSpec* option = FindOption(command, arg);
        if (option == nullptr) {
            throw UnknownArgument(command, arg);
        }
        std::string value;
        if (option->Value != nullptr) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw EUsageError("option " + arg + " needs a value");
            }
        } else if (inlineValue) {
            throw EUsageError("option " + arg + " takes no value");
        }
        onOption(*option, value);
    }
}

TCliArgs ReadArguments(const TCommandSpec& command, const std::vector<std::string>& args)
{
    TCliArgs read;
    ParseArguments(
        command, args,
        [&](const TOptionSpec& option, const std::string& value) {
            if (const std::optional<TSearchMode> mode = option.Effect.Mode()) {
                ChooseMode(command, option, *mode, value, read.Search);
            } else {
                option.Effect.Setter()(read, value);
            }
        },
        [&read](const std::string& operand) { read.Operands.push_back(operand); });
    return read;
}

std::string ModeOptionNames(const TCommandSpec& command, const std::string& lastSeparator)
{
    std::vector<std::string_view> names;
    for (const TOptionSpec& option : command.Options) {
        if (option.Effect.Mode()) {
            names.push_back(option.Name);
        }
    }
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            joined += i + 1 == names.size() ? lastSeparator : std::string(", ");
        }
        joined += names[i];
    }
    return joined;
}

std::string HelpText(const TCommandSpec& command)
{
    std::string text = std::string(command.Synopsis) + "\n" + command.About + "\n";
    std::string list;
    for (const TOptionSpec& option : command.Options) {
        if (option.Help != nullptr) {
            list += OptionEntry(option);
        }
    }
    if (!list.empty()) {
        text += list + "\n";
    }
    return text + command.Epilogue;
}

void PrintError(std::ostream& err, const std::string& utf8)
{
    err << "slovosito-cli: " << utf8 << '\n';
}

TDictionaryFolder DictionaryFolderFor(const std::string& dir, std::ostream& err)
{
    TDictionaryFolder folder = ChooseDictionaryFolder(SystemFolderSetting(dir));
    for (const std::string& message : folder.Errors) {
        PrintError(err, ToUtf8(UserErrorText(message)));
    }
    return folder;
}
