// Fuzz target: the option tables of slovosito-cli's commands read any arguments. Whatever is
// given, reading ends in the arguments or in a usage error, never in another exception; and
// arguments the reader takes must be ones a plain walk of the table takes too, with the same
// operands and at most one search mode.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/options.h"
#include "fuzz/fuzz_check.h"

namespace {

const TOptionSpec* Find(const TCommandSpec& command, std::string_view name)
{
    for (const TOptionSpec& option : command.Options) {
        if (name == option.Name || (option.Alias != nullptr && name == option.Alias)) {
            return &option;
        }
    }
    return nullptr;
}

// The operands of args when the table's walk takes them (options known, values where needed,
// operands only where the command takes them) and the number of mode options among them.
struct TWalk
{
    std::vector<std::string> Operands;
    int Modes = 0;
};

std::optional<TWalk> Walk(const TCommandSpec& command, const std::vector<std::string>& args)
{
    TWalk walk;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (command.DashDashEndsOptions && arg == "--") {
            if (!command.TakesOperands && i + 1 < args.size()) {
                return std::nullopt;
            }
            walk.Operands.insert(walk.Operands.end(), args.begin() + i + 1, args.end());
            break;
        }
        if (arg == "-" || !arg.starts_with("-")) {
            if (!command.TakesOperands) {
                return std::nullopt;
            }
            walk.Operands.emplace_back(arg);
            continue;
        }
        const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
        const TOptionSpec* option = Find(command, arg.substr(0, equals));
        if (option == nullptr || (option->Value == nullptr && equals != std::string_view::npos) ||
            (option->Value != nullptr && equals == std::string_view::npos && ++i == args.size())) {
            return std::nullopt;
        }
        walk.Modes += option->Effect.Mode().has_value() ? 1 : 0;
    }
    return walk;
}

}  // namespace

// Input: a byte that picks the command, then the arguments, each ended by a NUL.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const TCommandSpec& command = *kAllCommands[data[0] % std::size(kAllCommands)];
    std::vector<std::string> args;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    while (!rest.empty() && args.size() < 16) {
        const std::size_t end = rest.find('\0');
        args.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }

    const std::optional<TWalk> walk = Walk(command, args);
    try {
        const TCliArgs read = ReadArguments(command, args);
        Check(walk.has_value(), "the reader takes arguments the table's walk refuses",
              args.empty() ? "" : args.back());
        Check(read.Operands == walk->Operands, "the operands differ from the table's walk");
        Check(walk->Modes <= 1, "two search modes were taken");
        Check(walk->Modes == 0 || read.Search.Mode.has_value(), "a mode option set no mode");
    } catch (const EUsageError& e) {
        Check(*e.what() != '\0', "a usage error without a message");
    }
    return 0;
}
