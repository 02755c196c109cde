// The advisory locks of a dictionary folder: the readers' and the writer's sides on the folder
// itself, and the writers' lock on the pending folder.

#include "wordstore/folder_lock.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "wordstore/file_io.h"
#include "wordstore/pair_leftovers.h"
#include "wordstore/path_utils.h"

namespace {

constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr std::chrono::milliseconds kFirstRetryPause{1};
constexpr std::chrono::milliseconds kLongestRetryPause{20};

// flock() with operation until it is taken or deadline passes. flock() cannot wait for a limited
// time by itself; polling keeps signals out of the core. The pause grows, so that a writer that
// lets go within a millisecond costs a reader about that much.
bool FlockUntil(int fd, int operation, std::chrono::steady_clock::time_point deadline)
{
    auto pause = kFirstRetryPause;
    while (flock(fd, operation | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, kLongestRetryPause);
    }
    return true;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

TFolderLock::~TFolderLock()
{
    // Closing the last descriptor lets the lock go.
    if (m_fd >= 0) {
        close(m_fd);
    }
}

bool TFolderLock::Open(const std::string& folder)
{
    // The folder's own descriptor: nothing is made in it, and a read-only folder locks as well.
    m_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return m_fd >= 0;
}

bool TFolderLock::Lock(TLockMode mode, std::chrono::milliseconds wait)
{
    return FlockUntil(m_fd, mode == TLockMode::Exclusive ? LOCK_EX : LOCK_SH,
                      std::chrono::steady_clock::now() + wait);
}

void TFolderLock::Unlock()
{
    flock(m_fd, LOCK_UN);
}

TWriterLock::~TWriterLock()
{
    if (m_fd >= 0) {
        // Removed while still held, so that a writer waiting on it finds it gone and makes anew.
        rmdir(m_pending.c_str());
        close(m_fd);
    }
}

bool TWriterLock::Lock(const std::string& folder, std::chrono::milliseconds wait)
{
    m_pending = JoinPath(folder, kPendingFolderName);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (mkdir(m_pending.c_str(), 0777) != 0 && errno != EEXIST) {
            m_failure = SystemReason(errno);
            return false;
        }
        const int fd = open(m_pending.c_str(), kDirectoryFlags);
        if (fd < 0) {
            if (errno == ENOENT && std::chrono::steady_clock::now() < deadline) {
                continue;  // the writer before removed it just now
            }
            m_failure = SystemReason(errno);
            return false;
        }
        if (!FlockUntil(fd, LOCK_EX, deadline)) {
            close(fd);
            return false;
        }
        // The writer before may have removed the folder locked here as it let go; another then
        // made a new one, and the lock is on that.
        struct stat held
        {};
        struct stat named
        {};
        if (fstat(fd, &held) == 0 && lstat(m_pending.c_str(), &named) == 0 &&
            SameFile(held, named)) {
            m_fd = fd;
            return true;
        }
        close(fd);
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
    }
}

bool WriterAtWork(const std::string& folder)
{
    const TFileHandle pending(open(JoinPath(folder, kPendingFolderName).c_str(), kDirectoryFlags));
    if (pending.get() < 0) {
        return false;
    }
    // A writer holds the lock exclusively; taking the shared side tells whether one does.
    return flock(pending.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}
