// Path helpers: the program's own directory, the dictionary folder beside it, the user's home and
// XDG base folders, and joining and cutting paths.

#include "wordstore/path_utils.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include <pwd.h>
#include <unistd.h>

std::string ExeDir;

namespace {

bool IsAbsolute(const std::string& path)
{
    return path.starts_with('/');
}

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string PasswdHome()
{
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
    passwd entry{};
    passwd* found = nullptr;
    // The suggested size is a hint: an entry may need more.
    while (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1U << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    return found != nullptr && found->pw_dir != nullptr ? found->pw_dir : "";
}

// A base folder's variable and its place in the home folder.
struct TXdgPlace
{
    const std::string& Variable;
    const char* UnderHome;
};

TXdgPlace PlaceOf(TXdgFolder which, const TUserEnvironment& environment)
{
    switch (which) {
        case TXdgFolder::Data:
            return {environment.XdgDataHome, ".local/share"};
        case TXdgFolder::Cache:
            return {environment.XdgCacheHome, ".cache"};
        case TXdgFolder::Config:
            break;
    }
    return {environment.XdgConfigHome, ".config"};
}

}  // namespace

void InitExeDir()
{
    ExeDir = ProgramFolder();
}

std::string ProgramFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) {
        return {};
    }
    const std::string exe(path, static_cast<std::size_t>(length));
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

TUserEnvironment SystemUserEnvironment()
{
    TUserEnvironment environment;
    environment.Home = Variable("HOME");
    environment.XdgDataHome = Variable("XDG_DATA_HOME");
    environment.XdgCacheHome = Variable("XDG_CACHE_HOME");
    environment.XdgConfigHome = Variable("XDG_CONFIG_HOME");
    if (!IsAbsolute(environment.Home)) {
        environment.PasswdHome = PasswdHome();
    }
    return environment;
}

std::string UserHomeFolder(const TUserEnvironment& environment)
{
    if (IsAbsolute(environment.Home)) {
        return environment.Home;
    }
    return IsAbsolute(environment.PasswdHome) ? environment.PasswdHome : std::string();
}

std::string XdgBaseFolder(TXdgFolder which, const TUserEnvironment& environment)
{
    const TXdgPlace place = PlaceOf(which, environment);
    if (IsAbsolute(place.Variable)) {
        return place.Variable;
    }
    const std::string home = UserHomeFolder(environment);
    return home.empty() ? std::string() : JoinPath(home, place.UnderHome);
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
