// Writing a dictionary pair safely: under the folder's lock, new files flushed to disk in the
// pending folder, then renamed into place in an order every reader can follow.

#include "wordstore/pair_writer.h"

#include <cassert>
#include <cerrno>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "wordstore/encoding.h"
#include "wordstore/file_io.h"
#include "wordstore/folder_lock.h"
#include "wordstore/pair_leftovers.h"
#include "wordstore/path_utils.h"

namespace {

// The new files of the pair are written in the pending folder under their final names, and
// flushed before they are renamed into place.
constexpr TTempFileMode kPendingFileMode{.Exclusive = true, .Permissions = 0666, .Durable = true};

// The pending file for the pair's file target.
std::string PendingPath(const std::string& pending, const std::string& target)
{
    return JoinPath(pending, FileNameOnly(target));
}

// Makes the renames in folder durable; a file system that cannot do it is not an error.
void SyncFolder(const std::string& folder)
{
    const TFileHandle handle(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.get() >= 0) {
        fsync(handle.get());
    }
}

EPairExistsError PairExistsError(const std::string& folder, const std::string& name)
{
    return EPairExistsError("The dictionary \"" + ToCp1251Lossy(name) + "\" already exists in " +
                            QuotedPath(folder));
}

EFolderBusyError FolderBusyError(const std::string& folder)
{
    return EFolderBusyError("The folder " + QuotedPath(folder) +
                            " is in use by another program that writes or reads its "
                            "dictionaries. Try again when it is done");
}

bool IsDirectory(const std::string& path)
{
    struct stat info
    {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

void RefuseExistingPair(const std::string& folder, const std::string& name)
{
    struct stat info
    {};
    if (lstat(JoinPath(folder, name + ".txt").c_str(), &info) == 0 ||
        lstat(JoinPath(folder, name + ".txt.cnt").c_str(), &info) == 0) {
        throw PairExistsError(folder, name);
    }
}

TWrittenPair WriteDictionaryPair(const std::string& folder, const std::string& name,
                                 const std::vector<std::string>& words,
                                 const std::vector<std::int32_t>& counts, bool replace,
                                 const TPairWriteHook& hook)
{
    TWrittenPair pair;
    pair.WordListPath = JoinPath(folder, name + ".txt");
    pair.CountFilePath = JoinPath(folder, name + ".txt.cnt");
    const auto reached = [&hook](TPairWriteStep step) {
        if (hook) {
            hook(step);
        }
    };

    TWriterLock writing;
    if (!writing.Lock(folder)) {
        if (!writing.Failure().empty()) {
            // The pending folder is the first thing the writing makes; the word list is named, as
            // it was before there was one.
            throw EFileError("Cannot create file " + QuotedPath(pair.WordListPath) + ". " +
                             writing.Failure());
        }
        throw FolderBusyError(folder);
    }
    TFolderLock readers;
    if (!readers.Open(folder)) {
        throw EFileError("Cannot create file " + QuotedPath(pair.WordListPath) + ". " +
                         SystemReason(errno));
    }
    if (!FindLeftovers(folder).empty()) {
        // Putting a pending count file in place is a change readers see.
        if (!readers.Lock(TLockMode::Exclusive, kFolderLockWait)) {
            throw FolderBusyError(folder);
        }
        RecoverLeftovers(folder);
        readers.Unlock();
    }
    if (!replace) {
        RefuseExistingPair(folder, name);
    }
    // A directory in the way would stop the pair half replaced.
    for (const std::string& path : {pair.WordListPath, pair.CountFilePath}) {
        if (IsDirectory(path)) {
            throw EFileError("Cannot write file " + QuotedPath(path) + ". Is a directory");
        }
    }

    std::string wordBytes;
    std::string countBytes;
    countBytes.reserve(4 * counts.size());
    for (const std::string& word : words) {
        assert(word.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
        wordBytes += word;
        wordBytes += "\r\n";
    }
    for (const std::int32_t count : counts) {
        const auto value = static_cast<std::uint32_t>(count);
        for (int shift = 0; shift < 32; shift += 8) {
            countBytes.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    }

    const std::string pending = JoinPath(folder, kPendingFolderName);
    // The word list is made and flushed before the count file exists: a pending word list
    // alone, or both, always mean that nothing is in place yet (see pair_leftovers.h).
    TTempFile wordsFile(PendingPath(pending, pair.WordListPath), pair.WordListPath,
                        kPendingFileMode);
    wordsFile.Write(wordBytes);
    reached(TPairWriteStep::WordListWritten);
    TTempFile countsFile(PendingPath(pending, pair.CountFilePath), pair.CountFilePath,
                         kPendingFileMode);
    countsFile.Write(countBytes);
    SyncFolder(pending);
    reached(TPairWriteStep::CountFileWritten);

    // Readers are kept out only while the pair is put in place: the two renames.
    if (!readers.Lock(TLockMode::Exclusive, kFolderLockWait)) {
        throw FolderBusyError(folder);
    }
    if (!wordsFile.MoveToTarget(replace)) {
        // Only a program that ignores the lock made it since the look above.
        throw PairExistsError(folder, name);
    }
    // The new word list is in place and the pending count file completes it for every reader:
    // from now on it must stay until it is in place too, by this writer or the next.
    countsFile.Keep();
    reached(TPairWriteStep::WordListInPlace);
    if (!countsFile.MoveToTarget(replace)) {
        // The count file came from a program that ignores the lock. The pending count file goes
        // first, so that the word list is not completed with it, then the word list, if still
        // ours: what the other program made stays.
        countsFile.Remove();
        if (wordsFile.IsAt(pair.WordListPath)) {
            unlink(pair.WordListPath.c_str());
        }
        throw PairExistsError(folder, name);
    }
    readers.Unlock();
    reached(TPairWriteStep::CountFileInPlace);
    SyncFolder(folder);
    if (!wordsFile.IsAt(pair.WordListPath) || !countsFile.IsAt(pair.CountFilePath)) {
        throw EFileError("The dictionary \"" + ToCp1251Lossy(name) + "\" in " + QuotedPath(folder) +
                         " was changed by another program while it was written");
    }
    pair.WordListBytes = wordBytes.size();
    pair.CountFileBytes = countBytes.size();
    return pair;
}
