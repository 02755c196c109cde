#pragma once
// Which dictionary folder the programs use: the one named by --dir, the folder "Словари" beside
// the program, or the user's own folder, made on first use with a copy of the installed sample.

#include <functional>
#include <string>
#include <vector>

// Why a folder was chosen.
enum class TFolderChoice {
    Given,            // named by --dir
    BesideProgram,    // ExeDir + "Словари"
    UserFolder,       // $XDG_DATA_HOME/slovosito/Словари
    InstalledSample,  // the user's folder could not be made: the installed sample, read in place
};

// What the choice reads from the system; tests give their own.
struct TFolderSetting
{
    std::string Dir;          // the folder --dir names; empty when none is given
    std::string ExeDir;       // as the global ExeDir: with a trailing "/", or empty
    std::string XdgDataHome;  // the environment's value; empty when unset
    std::string Home;         // the user's home folder; empty when unknown
    // Whether a new entry can be made in the existing folder given.
    std::function<bool(const std::string& folder)> CanCreateIn;
};

// The folder chosen, and what went wrong on the way.
struct TDictionaryFolder
{
    std::string Path;
    TFolderChoice Choice = TFolderChoice::BesideProgram;
    // Set for the user's folder and the installed sample: whether the program is installed (an
    // installed sample lies beside its bin folder) rather than unable to make "Словари" there.
    bool Installed = false;
    // Each a whole message in Windows-1251, as a load error gives it: the user's folder could not
    // be made, or a file of the sample not copied. The program reports them and goes on.
    std::vector<std::string> Errors;
};

// The installed sample for a program in exeDir: exeDir/../share/slovosito/Словари, the program
// being installed in <prefix>/bin; empty when exeDir is.
std::string InstalledSampleFolder(const std::string& exeDir);

// The user's dictionary folder: slovosito/Словари in the data folder that XdgBaseFolder gives for
// xdgDataHome and home (xdgDataHome/slovosito/Словари when xdgDataHome is an absolute path, else
// home/.local/share/slovosito/Словари); empty when home is not absolute either.
std::string UserDictionaryFolder(const std::string& xdgDataHome, const std::string& home);

// Chooses the dictionary folder:
// 1. setting.Dir when given; it must be an existing folder, else throws ENoSuchFolder.
// 2. ExeDir + "Словари" when it exists, or when it could be made there (CanCreateIn(ExeDir)) and
//    no installed sample lies beside the program: the folder itself is left to the loader to make,
//    as it always was.
// 3. Otherwise the user's folder, made with its parents when missing; the call that makes it
//    copies every regular file of the installed sample into it, so a folder that exists is never
//    filled again. When it cannot be made, the choice is the installed sample read in place, or,
//    without one, the user's folder all the same (it lists nothing), with the error in Errors.
TDictionaryFolder ChooseDictionaryFolder(const TFolderSetting& setting);

// The setting of this process: dir, the global ExeDir, $XDG_DATA_HOME, the user's home folder
// (UserHomeFolder: the password database's when $HOME is not an absolute path), and whether the
// process may write into a folder.
TFolderSetting SystemFolderSetting(const std::string& dir);

// Why folder was chosen, for the user (UTF-8): "given by --dir", "beside the program", ...
std::string FolderChoiceText(const TDictionaryFolder& folder);
