// Writing a dictionary pair safely: under the folder's lock, new files flushed to disk in the
// pending folder, then renamed into place in an order every reader can follow.

#include "wordstore/pair_writer.h"

#include <cassert>
#include <cerrno>
#include <cstdio>
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

// A new file of the pair in the pending folder, under its final name; removed when it goes
// unless it was moved to that name or is kept.
class TPendingFile
{
public:
    // target is the final path, named in messages.
    TPendingFile(const std::string& pending, const std::string& target)
        : m_target(target)
    {
        const std::string path = JoinPath(pending, FileNameOnly(target));
        m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        struct stat info
        {};
        if (m_fd < 0 || fstat(m_fd, &info) != 0) {
            throw EFileError("Cannot create file " + QuotedPath(target) + ". " +
                             SystemReason(errno));
        }
        m_path = path;
        m_device = info.st_dev;
        m_inode = info.st_ino;
    }
    ~TPendingFile()
    {
        if (m_fd >= 0) {
            close(m_fd);
        }
        if (!m_path.empty() && !m_keep) {
            unlink(m_path.c_str());
        }
    }
    TPendingFile(const TPendingFile&) = delete;
    TPendingFile& operator=(const TPendingFile&) = delete;

    // Writes bytes, flushes them to the disk and closes the file.
    void Write(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t wrote = write(m_fd, bytes.data() + done, bytes.size() - done);
            if (wrote < 0) {
                if (errno == EINTR) {
                    continue;
                }
                Fail();
            }
            done += static_cast<std::size_t>(wrote);
        }
        if (fsync(m_fd) != 0) {
            Fail();
        }
        const int fd = m_fd;
        m_fd = -1;
        if (close(fd) != 0) {
            Fail();
        }
    }

    // Gives the file its final name. Without replace an existing file is left alone and the
    // result is false.
    bool MoveToTarget(bool replace)
    {
        if (replace) {
            if (rename(m_path.c_str(), m_target.c_str()) != 0) {
                Fail();
            }
        } else if (renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, m_target.c_str(),
                             RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST) {
                return false;
            }
            if (errno != EINVAL && errno != ENOSYS) {
                Fail();
            }
            // The file system cannot refuse to replace by itself: look first.
            struct stat info
            {};
            if (lstat(m_target.c_str(), &info) == 0) {
                return false;
            }
            if (rename(m_path.c_str(), m_target.c_str()) != 0) {
                Fail();
            }
        }
        m_path.clear();
        return true;
    }

    // Leaves the file in the pending folder whatever happens next.
    void Keep() { m_keep = true; }

    // Removes the file from the pending folder now.
    void Remove()
    {
        unlink(m_path.c_str());
        m_path.clear();
    }

    // Whether path names this very file.
    bool IsAt(const std::string& path) const
    {
        struct stat info
        {};
        return lstat(path.c_str(), &info) == 0 && info.st_dev == m_device && info.st_ino == m_inode;
    }

private:
    [[noreturn]] void Fail() const
    {
        throw EFileError("Cannot write file " + QuotedPath(m_target) + ". " + SystemReason(errno));
    }

    std::string m_target;
    std::string m_path;  // empty once moved or removed
    int m_fd = -1;
    bool m_keep = false;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

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

    TFolderLock lock;
    if (!lock.Open(folder)) {
        // The word list is the first file the writing would make: name it, as before the lock.
        throw EFileError("Cannot create file " + QuotedPath(pair.WordListPath) + ". " +
                         lock.OpenFailure());
    }
    if (!lock.Lock(TLockMode::Exclusive)) {
        throw EFolderBusyError("The folder " + QuotedPath(folder) +
                               " is in use by another program that writes or reads its "
                               "dictionaries. Try again when it is done");
    }
    RecoverLeftovers(folder);
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
    if (mkdir(pending.c_str(), 0777) != 0 && errno != EEXIST) {
        throw EFileError("Cannot create file " + QuotedPath(pair.WordListPath) + ". " +
                         SystemReason(errno));
    }
    // The word list is made and flushed before the count file exists: a pending word list
    // alone, or both, always mean that nothing is in place yet (see pair_leftovers.h).
    TPendingFile wordsFile(pending, pair.WordListPath);
    wordsFile.Write(wordBytes);
    reached(TPairWriteStep::WordListWritten);
    TPendingFile countsFile(pending, pair.CountFilePath);
    countsFile.Write(countBytes);
    SyncFolder(pending);
    reached(TPairWriteStep::CountFileWritten);

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
    reached(TPairWriteStep::CountFileInPlace);
    SyncFolder(folder);
    rmdir(pending.c_str());
    if (!wordsFile.IsAt(pair.WordListPath) || !countsFile.IsAt(pair.CountFilePath)) {
        throw EFileError("The dictionary \"" + ToCp1251Lossy(name) + "\" in " + QuotedPath(folder) +
                         " was changed by another program while it was written");
    }
    pair.WordListBytes = wordBytes.size();
    pair.CountFileBytes = countBytes.size();
    return pair;
}
