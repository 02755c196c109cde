// Path helpers: the program's own directory, the dictionary folder beside it, the user's home and
// XDG base folders, joining and cutting paths, and making and listing folders.

#include "wordstore/path_utils.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "wordstore/file_io.h"

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

void MakeFolders(const std::string& folder, unsigned permissions)
{
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), permissions) != 0 && errno != EEXIST) {
            throw EFileError("Cannot create folder " + QuotedPath(part) + ". " +
                             SystemReason(errno));
        }
        if (slash == std::string::npos) {
            return;
        }
    }
}

std::vector<TFolderFile> RegularFilesIn(const std::string& folder)
{
    std::vector<TFolderFile> files;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) {
        return files;
    }
    while (const dirent* entry = readdir(dir.get())) {
        struct stat info
        {};
        // Looked at where it stands: a link is never taken for the file it points to.
        if (fstatat(dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode)) {
            continue;
        }
        const auto modified = std::chrono::seconds(info.st_mtim.tv_sec) +
                              std::chrono::nanoseconds(info.st_mtim.tv_nsec);
        files.push_back(
            {entry->d_name, static_cast<std::uint64_t>(info.st_size),
             std::chrono::system_clock::time_point(
                 std::chrono::duration_cast<std::chrono::system_clock::duration>(modified))});
    }
    return files;
}
