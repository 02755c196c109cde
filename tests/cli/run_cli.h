#pragma once
// Test support for the CLI tests: runs the built slovosito-cli and collects what it printed.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_folder.h"

extern char** environ;

struct TCliRun
{
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Runs program with args and the environment env ("NAME=value" entries), its standard input read
// from stdinPath; its output goes through the files .out and .err in folder.
inline TCliRun RunProgram(const TTempFolder& folder, const std::string& program,
                          std::vector<std::string> args, char* const* env,
                          const std::string& stdinPath = "/dev/null")
{
    const std::string outPath = folder.Path() + "/.out";
    const std::string errPath = folder.Path() + "/.err";
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, stdinPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    TCliRun result;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.Out = ReadFileBytes(outPath);
    result.Err = ReadFileBytes(errPath);
    return result;
}

// Runs the built slovosito-cli with args in this process's environment, but with its cache folder
// under folder's ".cache" (CacheLine); see RunProgram.
inline TCliRun RunCliProgram(const TTempFolder& folder, std::vector<std::string> args,
                             const std::string& stdinPath = "/dev/null")
{
    std::string cacheEntry = "XDG_CACHE_HOME=" + folder.Path() + "/.cache";
    std::vector<char*> env = {cacheEntry.data()};
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!std::string_view(*entry).starts_with("XDG_CACHE_HOME=")) {
            env.push_back(*entry);
        }
    }
    env.push_back(nullptr);
    return RunProgram(folder, SLOVOSITO_CLI_PATH, std::move(args), env.data(), stdinPath);
}

// The line that ends check's report when the rhyme index cache under cacheHome holds nothing.
inline std::string EmptyCacheLine(const std::string& cacheHome)
{
    return "rhyme index cache: " + cacheHome + "/slovosito (0 files, 0.0 MB)\n";
}

// Runs the built slovosito-cli with "--dir" and the folder "Словари" of folder before args.
inline TCliRun RunCliOnDictionaries(const TTempFolder& folder, std::vector<std::string> args)
{
    args.insert(args.begin(), {"--dir", folder.Path() + "/Словари"});
    return RunCliProgram(folder, std::move(args));
}
