#pragma once
// Path helpers: the program's own directory, the dictionary folder beside it, the user's home and
// XDG base folders, joining and cutting paths, and making and listing folders.

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// The directory of the running executable with a trailing "/"; empty until InitExeDir() ran, or
// when the executable's path cannot be read (the folder is then relative to the current one).
extern std::string ExeDir;

// Sets ExeDir to ProgramFolder(). Called once at program start.
void InitExeDir();

// The directory of the running executable, read from /proc/self/exe, with a trailing "/"; empty
// when the link cannot be read.
std::string ProgramFolder();

// The base folders of the XDG rule.
enum class TXdgFolder {
    Data,    // $XDG_DATA_HOME, else ~/.local/share
    Cache,   // $XDG_CACHE_HOME, else ~/.cache
    Config,  // $XDG_CONFIG_HOME, else ~/.config
};

// What the user's folders are worked out from; tests make their own.
struct TUserEnvironment
{
    // The variables' values, empty when unset.
    std::string Home;
    std::string XdgDataHome;
    std::string XdgCacheHome;
    std::string XdgConfigHome;
    // The home folder of the user's entry in the password database; empty when there is none.
    std::string PasswdHome;
};

// The environment of this process; the password database is asked only when $HOME is not an
// absolute path.
TUserEnvironment SystemUserEnvironment();

// The user's home folder: Home when it is an absolute path, else PasswdHome when that is; empty
// when neither is.
std::string UserHomeFolder(const TUserEnvironment& environment);

// The base folder which: its variable when that is an absolute path (relative ones are ignored,
// as the XDG rule says), else its place under UserHomeFolder; empty when there is no home either.
std::string XdgBaseFolder(TXdgFolder which, const TUserEnvironment& environment);

// Returns the text after the last "/" of path; the whole path when it holds none.
std::string FileNameOnly(const std::string& path);

// Returns name without the part that begins at its last "."; name unchanged when it holds none.
std::string StripExtension(const std::string& name);

// Returns folder and name joined by one "/"; none is added when folder already ends in one.
std::string JoinPath(const std::string& folder, const std::string& name);

// A folder named by the user that does not exist; what() is "no such folder \"<path>\"", the path
// in the bytes it was given in.
class ENoSuchFolder : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Returns folder when it names an existing folder (links followed); throws ENoSuchFolder otherwise.
const std::string& RequireFolder(const std::string& folder);

// Makes folder and those of its parents that are missing, each with permissions (before the
// umask); folders that exist are left as they are. Throws EFileError (wordstore/file_io.h)
// "Cannot create folder "<the part>". <reason>".
void MakeFolders(const std::string& folder, unsigned permissions);

// A regular file in a folder.
struct TFolderFile
{
    std::string Name;
    std::uint64_t Size = 0;
    std::chrono::system_clock::time_point Modified;
};

// The regular files right inside folder, in no order; links, folders and whatever else stands
// there are left out. Empty when folder cannot be read.
std::vector<TFolderFile> RegularFilesIn(const std::string& folder);
