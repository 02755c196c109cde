// Leftovers of interrupted pair writings: finding them, reading past them, finishing them.

#include "wordstore/pair_leftovers.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

#include "wordstore/file_io.h"
#include "wordstore/path_utils.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kCountSuffix = ".cnt";

bool Exists(const std::string& path)
{
    struct stat info
    {};
    return lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

bool IsRegularFileNoFollow(const std::string& path)
{
    struct stat info
    {};
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsDigits(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// ".slovosito-PID-N.tmp", the temporary file name of versions before the pending folder.
bool IsOldTemporaryName(std::string_view name)
{
    constexpr std::string_view prefix = ".slovosito-";
    constexpr std::string_view suffix = ".tmp";
    if (name.size() <= prefix.size() + suffix.size() || name.substr(0, prefix.size()) != prefix ||
        name.substr(name.size() - suffix.size()) != suffix) {
        return false;
    }
    name = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::size_t dash = name.find('-');
    return dash != std::string_view::npos && IsDigits(name.substr(0, dash)) &&
           IsDigits(name.substr(dash + 1));
}

bool EndsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// name in folder; folder is empty for the current one.
std::string InFolder(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : JoinPath(folder, name);
}

// Whether the pending folder of folder holds the count file of the word list wordListName and
// not the word list itself, which stands in folder: the word list was put in place, the count
// file not yet. A pending count file whose word list is gone completes nothing; put in place it
// would only keep the name taken, unlisted.
bool PendingCountFileIsReady(const std::string& folder, const std::string& wordListName)
{
    const std::string words = JoinPath(InFolder(folder, kPendingFolderName), wordListName);
    return IsRegularFileNoFollow(words + std::string(kCountSuffix)) && !Exists(words) &&
           Exists(InFolder(folder, wordListName));
}

}  // namespace

std::string CountFilePathFor(const std::string& wordListPath)
{
    const std::string fileName = FileNameOnly(wordListPath);
    const std::string folder = wordListPath.substr(0, wordListPath.size() - fileName.size());
    if (PendingCountFileIsReady(folder, fileName)) {
        return JoinPath(InFolder(folder, kPendingFolderName), fileName) + std::string(kCountSuffix);
    }
    return wordListPath + std::string(kCountSuffix);
}

std::vector<TLeftover> FindLeftovers(const std::string& folder)
{
    std::vector<TLeftover> leftovers;
    for (const std::string& name : NamesIn(folder)) {
        if (name == kPendingFolderName) {
            const std::string pending = JoinPath(folder, kPendingFolderName);
            const std::vector<std::string> pendingNames = NamesIn(pending);
            for (const std::string& pendingName : pendingNames) {
                TLeftover leftover{JoinPath(kPendingFolderName, pendingName),
                                   TLeftoverFate::Removed};
                if (EndsWith(pendingName, kCountSuffix) &&
                    PendingCountFileIsReady(
                        folder, pendingName.substr(0, pendingName.size() - kCountSuffix.size()))) {
                    leftover.Fate = TLeftoverFate::PutInPlace;
                }
                leftovers.push_back(std::move(leftover));
            }
        } else if (IsOldTemporaryName(name)) {
            leftovers.push_back({name, TLeftoverFate::Removed});
        }
    }
    return leftovers;
}

void RecoverLeftovers(const std::string& folder)
{
    const std::vector<TLeftover> leftovers = FindLeftovers(folder);
    // Count files go first: a pending word list removed before its count file would leave the
    // count file looking ready to be put in place.
    for (const bool counts : {true, false}) {
        for (const TLeftover& leftover : leftovers) {
            if (EndsWith(leftover.Name, kCountSuffix) != counts) {
                continue;
            }
            const std::string path = JoinPath(folder, leftover.Name);
            if (!counts && Exists(path + std::string(kCountSuffix))) {
                continue;  // its count file could not be removed: both stay, the old pair whole
            }
            if (leftover.Fate == TLeftoverFate::Removed) {
                unlink(path.c_str());
                continue;
            }
            const std::string target = JoinPath(folder, FileNameOnly(leftover.Name));
            if (rename(path.c_str(), target.c_str()) != 0) {
                throw EFileError("Cannot write file " + QuotedPath(target) + ". " +
                                 SystemReason(errno));
            }
        }
    }
}
