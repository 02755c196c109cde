#pragma once
// Path helpers: the program's own directory, the dictionary folder beside it, and joining and
// cutting paths.

#include <stdexcept>
#include <string>

// The directory of the running executable with a trailing "/"; empty until InitExeDir() ran, or
// when the executable's path cannot be read (the folder is then relative to the current one).
extern std::string ExeDir;

// Sets ExeDir from /proc/self/exe. Called once at program start.
void InitExeDir();

// The dictionary folder beside the program: ExeDir + "Словари" (the name is UTF-8 on disk).
// ChooseDictionaryFolder (dictionary_folder.h) tells when it is the one used.
std::string DictionaryFolder();

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
