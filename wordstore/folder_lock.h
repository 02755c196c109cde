#pragma once
// The advisory lock of a dictionary folder: programs that write pairs take it exclusively, those
// that read them take it shared, so that no reader sees a pair half replaced.

#include <chrono>
#include <string>

// The lock file in a dictionary folder. It does not end in ".txt", so it is never a candidate.
inline constexpr char kFolderLockFileName[] = ".slovosito.lock";

// How long a program waits for the other side of the lock to be let go.
inline constexpr std::chrono::milliseconds kFolderLockWait{5000};

enum class TLockMode { Shared, Exclusive };

// flock() on the folder's lock file; let go when the object goes.
class TFolderLock
{
public:
    TFolderLock() = default;
    ~TFolderLock();
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

    // Opens the lock file of folder, creating it when missing and the folder allows it. A link
    // is never followed, nor a special file opened. Returns false when it cannot be opened;
    // OpenFailure() then says why.
    bool Open(const std::string& folder);

    // Takes the lock in mode, waiting up to wait while another program holds the other side.
    // Returns false when the wait ends first. Needs a successful Open().
    bool Lock(TLockMode mode, std::chrono::milliseconds wait = kFolderLockWait);

    // Why Open() failed, Windows-1251: the system's reason, or that the lock file is not a file.
    const std::string& OpenFailure() const { return m_openFailure; }

private:
    int m_fd = -1;
    std::string m_openFailure;
};
