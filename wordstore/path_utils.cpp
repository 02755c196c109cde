// Path helpers: the program's own directory, the dictionary folder beside it, and joining and
// cutting paths.

#include "wordstore/path_utils.h"

#include <climits>
#include <filesystem>
#include <system_error>

#include <unistd.h>

std::string ExeDir;

void InitExeDir()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    ExeDir.clear();
    if (length > 0 && static_cast<std::size_t>(length) < sizeof path) {
        const std::string exe(path, static_cast<std::size_t>(length));
        const std::size_t slash = exe.rfind('/');
        if (slash != std::string::npos) {
            ExeDir = exe.substr(0, slash + 1);
        }
    }
}

std::string DictionaryFolder()
{
    return ExeDir + "Словари";
}

std::string FileNameOnly(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string StripExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

const std::string& RequireFolder(const std::string& folder)
{
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        throw ENoSuchFolder("no such folder \"" + folder + "\"");
    }
    return folder;
}
