// Writing a dictionary pair safely: temporary files flushed to disk, then renamed into place.

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
#include "wordstore/path_utils.h"

namespace {

// A new file in a folder under a name the folder scan never takes; removed when it goes unless
// it was moved to its final name.
class TTempFile
{
public:
    // target is the final path, named in messages.
    TTempFile(const std::string& folder, const std::string& target)
        : m_target(target)
    {
        // Not ending in ".txt", so that a scan running meanwhile passes it by.
        for (int attempt = 0; attempt < 1000; ++attempt) {
            std::string path = JoinPath(folder, ".slovosito-" + std::to_string(getpid()) + "-" +
                                                    std::to_string(attempt) + ".tmp");
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                m_fd = fd;
                m_path = std::move(path);
                return;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        throw EFileError("Cannot create file " + QuotedPath(target) + ". " + SystemReason(errno));
    }
    ~TTempFile()
    {
        if (m_fd >= 0) {
            close(m_fd);
        }
        if (!m_path.empty()) {
            unlink(m_path.c_str());
        }
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

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

private:
    [[noreturn]] void Fail() const
    {
        throw EFileError("Cannot write file " + QuotedPath(m_target) + ". " + SystemReason(errno));
    }

    std::string m_target;
    std::string m_path;
    int m_fd = -1;
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
                                 const std::vector<std::int32_t>& counts, bool replace)
{
    TWrittenPair pair;
    pair.WordListPath = JoinPath(folder, name + ".txt");
    pair.CountFilePath = JoinPath(folder, name + ".txt.cnt");
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

    TTempFile wordsFile(folder, pair.WordListPath);
    TTempFile countsFile(folder, pair.CountFilePath);
    wordsFile.Write(wordBytes);
    countsFile.Write(countBytes);
    // The loader skips a word list without its count file, so the pair appears only when the
    // count file, renamed last, is in place. When replacing, the old count file goes first:
    // old words never meet new counts, nor new words old counts.
    if (replace) {
        if (unlink(pair.CountFilePath.c_str()) != 0 && errno != ENOENT) {
            throw EFileError("Cannot replace file " + QuotedPath(pair.CountFilePath) + ". " +
                             SystemReason(errno));
        }
        wordsFile.MoveToTarget(true);
        countsFile.MoveToTarget(true);
    } else {
        // Another program may have made the pair since the look above.
        if (!wordsFile.MoveToTarget(false)) {
            throw PairExistsError(folder, name);
        }
        if (!countsFile.MoveToTarget(false)) {
            unlink(pair.WordListPath.c_str());
            throw PairExistsError(folder, name);
        }
    }
    SyncFolder(folder);
    pair.WordListBytes = wordBytes.size();
    pair.CountFileBytes = countBytes.size();
    return pair;
}
