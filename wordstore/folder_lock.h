#pragma once
// The advisory locks of a dictionary folder. Readers of its pairs take the shared side of a
// flock() on the folder itself, and a writer the exclusive side only while it puts files in place,
// so that no reader sees a pair half replaced; writers keep each other out with a lock on the
// pending folder, which only they make. A reader creates nothing.

#include <chrono>
#include <string>

// How long a reader waits for a writer: writers hold the folder only while they rename files.
inline constexpr std::chrono::milliseconds kReaderLockWait{500};

// How long a writer waits for readers and for another writer.
inline constexpr std::chrono::milliseconds kFolderLockWait{5000};

enum class TLockMode { Shared, Exclusive };

// flock() on a dictionary folder's own descriptor; let go when the object goes.
class TFolderLock
{
public:
    TFolderLock() = default;
    ~TFolderLock();
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

    // Opens folder for reading, which needs no right to write in it. Returns false when it
    // cannot be opened.
    bool Open(const std::string& folder);

    // Takes the lock in mode, waiting up to wait while another program holds the other side.
    // Returns false when the wait ends first. Needs a successful Open().
    bool Lock(TLockMode mode, std::chrono::milliseconds wait);

    // Lets the lock go; the folder stays open for the next Lock().
    void Unlock();

private:
    int m_fd = -1;
};

// The writers' lock of a dictionary folder: flock() on its pending folder (see pair_leftovers.h),
// made when missing. When let go, the pending folder is removed if it is empty.
class TWriterLock
{
public:
    TWriterLock() = default;
    ~TWriterLock();
    TWriterLock(const TWriterLock&) = delete;
    TWriterLock& operator=(const TWriterLock&) = delete;

    // Makes the pending folder of folder when missing and takes its lock, waiting up to wait for
    // another writer. Returns false when the pending folder cannot be made or opened (Failure()
    // then gives the system's reason, Windows-1251) or when the wait ends first (Failure() empty).
    bool Lock(const std::string& folder, std::chrono::milliseconds wait = kFolderLockWait);

    const std::string& Failure() const { return m_failure; }

private:
    int m_fd = -1;
    std::string m_pending;
    std::string m_failure;
};

// Whether a writer holds the lock of folder's pending folder now: what is in it is then a
// writing under way, not a leftover. Creates nothing.
bool WriterAtWork(const std::string& folder);
