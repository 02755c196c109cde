// The manual page and the bash completion of slovosito-cli, written from the command tables.

#include "cli/man_page.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace {

// The page's sentence for an option whose --help entry the synopsis and the description stand
// in for.
struct TManOnlyHelp
{
    const char* Name;
    const char* Help;
};

const TManOnlyHelp kManOnlyHelp[] = {
    {"--dir", "work on the dictionary folder DIR instead of the usual one; it must exist"},
    {"--help", "show the command's help text"},
};

const char* ManHelpOf(const TOptionSpec& option)
{
    if (option.Help != nullptr) {
        return option.Help;
    }
    for (const TManOnlyHelp& entry : kManOnlyHelp) {
        if (std::strcmp(entry.Name, option.Name) == 0) {
            return entry.Help;
        }
    }
    return "";
}

// Appends parts to text. (Built this way rather than with "literal" + std::string, for which
// GCC 12 at -O3 warns of an overlapping copy that cannot happen.)
void Append(std::string& text, std::initializer_list<std::string_view> parts)
{
    for (const std::string_view part : parts) {
        text += part;
    }
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

// Text of hard-wrapped lines as filled roff paragraphs: a blank line starts the next one. The
// lines' own breaks and indentation are left to the formatter.
std::string Paragraphs(std::string_view text)
{
    std::string roff;
    bool inParagraph = false;
    for (std::string_view line : SplitLines(text)) {
        while (line.starts_with(' ')) {
            line.remove_prefix(1);
        }
        if (line.empty()) {
            inParagraph = false;
            continue;
        }
        if (!inParagraph) {
            roff += ".PP\n";
            inParagraph = true;
        }
        roff += RoffText(line) + "\n";
    }
    return roff;
}

// A synopsis as it is printed, without "Usage: " and with its continuation lines moved left as
// far as the first line.
std::string Synopsis(std::string_view synopsis)
{
    constexpr std::string_view kUsage = "Usage: ";
    std::string roff = ".nf\n";
    for (std::string_view line : SplitLines(synopsis)) {
        line.remove_prefix(line.starts_with(kUsage) || line.starts_with("       ")
                               ? std::min(kUsage.size(), line.size())
                               : 0);
        roff += RoffText(line) + "\n";
    }
    return roff + ".fi\n";
}

std::string OptionEntries(const TCommandSpec& command)
{
    std::string roff;
    for (const TOptionSpec& option : command.Options) {
        roff += ".TP\n";
        if (option.Alias != nullptr) {
            Append(roff, {"\\fB", RoffText(option.Alias), "\\fR, "});
        }
        Append(roff, {"\\fB", RoffText(option.Name), "\\fR"});
        if (option.Value != nullptr) {
            Append(roff, {" \\fI", RoffText(option.Value), "\\fR"});
        }
        Append(roff, {"\n", RoffText(ManHelpOf(option)), "\n"});
    }
    return roff;
}

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

// A quoted argument of a roff request.
std::string Quoted(std::string_view text)
{
    std::string quoted = "\"";
    Append(quoted, {RoffText(text), "\""});
    return quoted;
}

std::string WordList(const TCommandSpec& command, bool valuedOnly)
{
    std::string words;
    for (const TOptionSpec& option : command.Options) {
        if (valuedOnly && option.Value == nullptr) {
            continue;
        }
        Append(words, {words.empty() ? "" : " ", option.Name});
        if (!valuedOnly && option.Alias != nullptr) {
            Append(words, {" ", option.Alias});
        }
    }
    return words;
}

}  // namespace

std::string RoffText(std::string_view text)
{
    std::string roff;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\'')) {
            roff += "\\&";
        }
        if (c == '\\') {
            roff += "\\e";
        } else if (c == '-') {
            roff += "\\-";
        } else {
            roff += c;
        }
        lineStart = c == '\n';
    }
    return roff;
}

std::string ManPage(const TManPageInfo& page)
{
    std::string roff;
    Append(roff, {".TH ", Upper(RoffText(page.Program)), " 1 ", Quoted(page.Date), " ",
                  Quoted(std::string(page.Program) + " " + page.Version), " \"User Commands\"\n"});
    // Option names and paths read badly hyphenated or spread out.
    roff += ".nh\n.ad l\n";
    Append(roff, {".SH NAME\n", RoffText(page.Program), " \\- ", RoffText(page.Summary), "\n"});
    const TCommandSpec& main = *page.Commands.front();
    Append(roff, {".SH SYNOPSIS\n", Synopsis(main.Synopsis)});
    Append(roff, {".SH DESCRIPTION\n", Paragraphs(main.About)});
    Append(roff, {".SH OPTIONS\n", OptionEntries(main), Paragraphs(main.Epilogue)});
    if (page.Commands.size() > 1) {
        roff += ".SH COMMANDS\n";
        for (const TCommandSpec* command : page.Commands.subspan(1)) {
            Append(roff, {".SS ", RoffText(command->Name), "\n", Synopsis(command->Synopsis),
                          Paragraphs(command->About), OptionEntries(*command),
                          Paragraphs(command->Epilogue)});
        }
    }
    Append(roff, {".SH \"SEE ALSO\"\n.BR ", RoffText(page.SeeAlso), " (1)\n"});
    return roff;
}

std::string BashCompletion(const TManPageInfo& page)
{
    std::string function = "_";
    for (const char c : std::string_view(page.Program)) {
        function += c == '-' ? '_' : c;
    }
    std::string commandWords;
    std::string cases;
    for (const TCommandSpec* command : page.Commands) {
        const std::string_view name = command->Name;
        if (!name.empty()) {
            Append(commandWords, {commandWords.empty() ? "" : " ", name});
        }
        Append(cases, {"        ", name.empty() ? "\"\"" : name, ")\n",                    //
                       "            options=\"", WordList(*command, false), "\"\n",        //
                       "            valued=\"", WordList(*command, true), "\"\n",          //
                       "            operands=", command->TakesOperands ? "1" : "0", "\n",  //
                       "            ;;\n"});
    }
    std::string script;
    Append(script, {"# bash completion for ", page.Program,
                    ", written from its option tables when it is built.\n"
                    "\n",
                    function,
                    "()\n"
                    "{\n"
                    "    local cur prev words cword\n"
                    "    _init_completion || return\n"
                    "\n"
                    "    local command=\"\" options valued operands\n"
                    "    if ((cword > 1)) && [[ \" ",
                    commandWords,
                    " \" == *\" ${words[1]} \"* ]]; then\n"
                    "        command=${words[1]}\n"
                    "    fi\n"
                    "    case $command in\n",
                    cases,
                    "    esac\n"
                    "\n"
                    "    if [[ \" $valued \" == *\" $prev \"* ]]; then\n"
                    "        if [[ $prev == --dir ]]; then\n"
                    "            _filedir -d\n"
                    "        fi\n"
                    "        return\n"
                    "    fi\n"
                    "    if [[ $cur == -* ]]; then\n"
                    "        mapfile -t COMPREPLY < <(compgen -W \"$options\" -- \"$cur\")\n"
                    "    elif ((cword == 1)); then\n"
                    "        mapfile -t COMPREPLY < <(compgen -W \"",
                    commandWords,
                    "\" -- \"$cur\")\n"
                    "    elif ((operands)); then\n"
                    "        _filedir\n"
                    "    fi\n"
                    "}\n"
                    "complete -F ",
                    function, " ", page.Program, "\n"});
    return script;
}
