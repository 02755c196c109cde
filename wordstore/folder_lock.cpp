// The advisory lock of a dictionary folder, on a lock file beside the dictionaries.

#include "wordstore/folder_lock.h"

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "wordstore/file_io.h"
#include "wordstore/path_utils.h"

namespace {

constexpr std::chrono::milliseconds kLockRetryPause{20};

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
    const std::string path = JoinPath(folder, kFolderLockFileName);
    // Read access is enough for flock(); without O_NONBLOCK a FIFO put there would hang the open.
    const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = open(path.c_str(), flags | O_CREAT, 0666);
    if (fd < 0 && errno != ENOENT && errno != ELOOP) {
        // A folder that takes no new file may still hold the lock file; when it does not, the
        // reason it takes none is the one to give.
        const int createError = errno;
        fd = open(path.c_str(), flags);
        if (fd < 0 && errno == ENOENT) {
            errno = createError;
        }
    }
    if (fd < 0) {
        m_openFailure = errno == ELOOP ? "\"" + std::string(kFolderLockFileName) +
                                             "\" in the folder is not a regular file"
                                       : SystemReason(errno);
        return false;
    }
    struct stat info
    {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        m_openFailure =
            "\"" + std::string(kFolderLockFileName) + "\" in the folder is not a regular file";
        return false;
    }
    m_fd = fd;
    return true;
}

bool TFolderLock::Lock(TLockMode mode, std::chrono::milliseconds wait)
{
    const int operation = (mode == TLockMode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    // flock() cannot wait for a limited time by itself; polling keeps signals out of the core.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (flock(m_fd, operation) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kLockRetryPause);
    }
    return true;
}
