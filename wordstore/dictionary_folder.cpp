// Which dictionary folder the programs use: the one named by --dir, the folder "Словари" beside
// the program, or the user's own folder, made on first use with a copy of the installed sample.

#include "wordstore/dictionary_folder.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "wordstore/file_io.h"
#include "wordstore/path_utils.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderName = "Словари";

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

// Copies every regular file of sample into folder, byte for byte; a file that cannot be copied
// is reported and the others are still copied.
void CopySample(const std::string& sample, const std::string& folder,
                std::vector<std::string>& errors)
{
    std::error_code error;
    fs::directory_iterator it(sample, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        std::error_code kindError;
        if (!it->is_regular_file(kindError)) {
            continue;
        }
        std::error_code copyError;
        fs::copy_file(it->path(), fs::path(folder) / it->path().filename(), copyError);
        if (copyError) {
            errors.push_back("Cannot copy file " + QuotedPath(it->path().string()) + " to " +
                             QuotedPath(folder) + ". " + SystemReason(copyError.value()));
        }
    }
    if (error) {
        errors.push_back("Cannot read folder " + QuotedPath(sample) + ". " +
                         SystemReason(error.value()));
    }
}

// Makes folder with its parents when it is missing; only the call that makes it copies the
// sample into it. Returns whether folder is there afterwards.
bool MakeUserFolder(const std::string& folder, const std::string& sample,
                    std::vector<std::string>& errors)
{
    std::error_code error;
    fs::create_directories(fs::path(folder).parent_path(), error);
    // The last step alone decides who made the folder, so that two programs started at once
    // do not both copy the sample.
    const bool made = !error && fs::create_directory(folder, error);
    if (error || !IsFolder(folder)) {
        const int reason = error ? error.value() : static_cast<int>(std::errc::not_a_directory);
        errors.push_back("Cannot create folder " + QuotedPath(folder) + ". " +
                         SystemReason(reason));
        return false;
    }
    if (made && IsFolder(sample)) {
        CopySample(sample, folder, errors);
    }
    return true;
}

}  // namespace

std::string InstalledSampleFolder(const std::string& exeDir)
{
    if (exeDir.empty()) {
        return {};
    }
    return (fs::path(exeDir) / ".." / "share" / "slovosito" / kFolderName)
        .lexically_normal()
        .string();
}

std::string UserDictionaryFolder(const std::string& xdgDataHome, const std::string& home)
{
    TUserEnvironment environment;
    environment.Home = home;
    environment.XdgDataHome = xdgDataHome;
    const std::string base = XdgBaseFolder(TXdgFolder::Data, environment);
    if (base.empty()) {
        return {};
    }
    return (fs::path(base) / "slovosito" / kFolderName).lexically_normal().string();
}

TDictionaryFolder ChooseDictionaryFolder(const TFolderSetting& setting)
{
    TDictionaryFolder chosen;
    if (!setting.Dir.empty()) {
        chosen.Path = RequireFolder(setting.Dir);
        chosen.Choice = TFolderChoice::Given;
        return chosen;
    }
    const std::string beside = setting.ExeDir + kFolderName;
    const std::string sample = InstalledSampleFolder(setting.ExeDir);
    chosen.Installed = IsFolder(sample);
    // Writable is not enough: root may write into /usr/bin. An installed sample marks an
    // installed program, whose dictionaries belong to each user, unless a folder beside it was
    // put there on purpose.
    const std::string exeDir = setting.ExeDir.empty() ? "." : setting.ExeDir;
    if (IsFolder(beside) || (!chosen.Installed && setting.CanCreateIn(exeDir))) {
        chosen.Path = beside;
        chosen.Choice = TFolderChoice::BesideProgram;
        return chosen;
    }
    const std::string user = UserDictionaryFolder(setting.XdgDataHome, setting.Home);
    if (user.empty()) {
        chosen.Errors.push_back(
            "Cannot find the user's folder: neither XDG_DATA_HOME nor HOME is an absolute path");
    }
    chosen.Path = user;
    chosen.Choice = TFolderChoice::UserFolder;
    if (!user.empty() && MakeUserFolder(user, sample, chosen.Errors)) {
        return chosen;
    }
    // The user still sees the words of the sample; only writing a dictionary needs a folder of
    // one's own.
    if (chosen.Installed) {
        chosen.Path = sample;
        chosen.Choice = TFolderChoice::InstalledSample;
    } else if (user.empty()) {
        chosen.Path = beside;
        chosen.Choice = TFolderChoice::BesideProgram;
    }
    return chosen;
}

TFolderSetting SystemFolderSetting(const std::string& dir)
{
    TFolderSetting setting;
    setting.Dir = dir;
    setting.ExeDir = ExeDir;
    const TUserEnvironment environment = SystemUserEnvironment();
    setting.XdgDataHome = environment.XdgDataHome;
    setting.Home = UserHomeFolder(environment);
    setting.CanCreateIn = [](const std::string& folder) {
        return access(folder.c_str(), W_OK | X_OK) == 0;
    };
    return setting;
}

std::string FolderChoiceText(const TDictionaryFolder& folder)
{
    switch (folder.Choice) {
        case TFolderChoice::Given:
            return "given by --dir";
        case TFolderChoice::BesideProgram:
            return "beside the program";
        case TFolderChoice::UserFolder:
            return folder.Installed
                       ? "the user's folder, as the program is installed"
                       : "the user's folder, as \"Словари\" cannot be made beside the program";
        case TFolderChoice::InstalledSample:
            return "the installed sample, read in place, as the user's folder cannot be made";
    }
    return {};
}
