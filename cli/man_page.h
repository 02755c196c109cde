#pragma once
// The manual page and the bash completion of slovosito-cli, written from the same command tables
// as --help, so that neither can tell of an option the program does not have.

#include <span>
#include <string>
#include <string_view>

#include "cli/options.h"

// What a manual page says besides its commands.
struct TManPageInfo
{
    const char* Program;  // "slovosito-cli"
    const char* Summary;  // the NAME line after the dash
    std::string Version;  // "0.002"
    std::string Date;     // "2026-12-08"
    // The program's own command (Name "") first, then the commands named by a word.
    std::span<const TCommandSpec* const> Commands;
    const char* SeeAlso;  // "slovosito"
};

// text as roff input: a backslash is written \e, every "-" \- (so a command or option copied
// from the page is typed right), and a line that would start with "." or "'" gets \& first.
std::string RoffText(std::string_view text);

// The manual page in section 1 (roff, UTF-8): NAME, SYNOPSIS (the first command's synopsis
// without "Usage: "), DESCRIPTION, OPTIONS and the first command's epilogue, then COMMANDS with a
// subsection per further command, then SEE ALSO. Every option of every command has an entry,
// with its alias and value placeholder; an option without a --help sentence gets the page's own
// sentence for its name, as --dir and a command's bare --help do.
std::string ManPage(const TManPageInfo& page);

// A bash completion script for page.Program: completes the options of the command named so far
// (a command word first), directories after --dir, file names as make-dict's operands.
std::string BashCompletion(const TManPageInfo& page);
