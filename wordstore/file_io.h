#pragma once
// Reading and writing whole files with errors that name the file and the system's reason, and
// writing a file under a temporary name that it leaves only when complete.

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include <sys/types.h>

#include "wordstore/large_array.h"

// A file that exists but cannot be opened or read; what() names the file and the reason
// (Windows-1251).
class EFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A file that, once opened, turns out not to be a regular file; what() names the file, Detail()
// says what it is instead, as FileKindText gives it.
class ENotRegularFile : public EFileError
{
public:
    ENotRegularFile(const std::string& message, std::string detail)
        : EFileError(message)
        , m_detail(std::move(detail))
    {}
    const std::string& Detail() const { return m_detail; }

private:
    std::string m_detail;
};

// What a file of mode st_mode is, for a file that is not regular: "a directory", "a named pipe",
// "a socket", "a device" or "not a file".
std::string FileKindText(unsigned mode);

// Closes a file descriptor when it goes.
class TFileHandle
{
public:
    explicit TFileHandle(int fd)
        : m_fd(fd)
    {}
    ~TFileHandle();
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    int get() const { return m_fd; }
    // Closes the descriptor now. Returns 0, or the errno of a failed close, when what was written
    // may be lost.
    int Close();

private:
    int m_fd;
};

// The system's text for an errno value, as Windows-1251.
std::string SystemReason(int error);

// path as messages name it: in double quotes, Windows-1251.
std::string QuotedPath(const std::string& path);

// The whole message for running out of memory while reading the file at path, Windows-1251:
// "Out of memory while reading file "<path>"".
std::string OutOfMemoryText(const std::string& path);

// A regular file open for reading, and its size when it was opened.
struct TRegularFile
{
    std::unique_ptr<TFileHandle> Handle;
    std::size_t Size = 0;
    std::string Path;
};

// Opens the regular file at path for reading, following links. The file is opened without
// waiting, so that a FIFO or a device never blocks. Throws ENotRegularFile ("Cannot read file
// "<path>". Not a regular file") for anything but a regular file, and EFileError: "Cannot open
// file "<path>". <reason>" or "Cannot read file ...".
TRegularFile OpenRegularFile(const std::string& path);

// Reads from file's current position into into until bytes are read or the file ends; returns
// the bytes read. Throws EFileError: "Cannot read file "<path>". <reason>".
std::size_t ReadUpTo(const TRegularFile& file, char* into, std::size_t bytes);

// A whole file's bytes.
struct TFileBytes
{
    TLargeBlock Bytes;  // Size bytes, then one NUL
    std::size_t Size = 0;
};

// Reads the whole file at path in one go, opened as OpenRegularFile opens it; only a regular file
// is read. Throws as OpenRegularFile and ReadUpTo do, and EFileError "Out of memory while reading
// file ...".
TFileBytes ReadWholeFile(const std::string& path);

// Writes all of bytes to file, going on after short writes and interruptions. Throws EFileError
// "Cannot write file "<path>". <reason>".
void WriteAll(const TFileHandle& file, std::string_view bytes, const std::string& path);

// How a TTempFile is made.
struct TTempFileMode
{
    // Whether nothing may stand at the temporary path, not even a link; else a file there is
    // emptied.
    bool Exclusive = false;
    unsigned Permissions = 0600;  // before the umask
    // Whether the bytes are flushed to the disk before the file is closed.
    bool Durable = false;
};

// A new file written whole under a temporary path, then renamed to its target, so that a reader
// of the target finds the old file or the whole new one, never a part. The temporary file is
// removed when this goes, unless it was renamed or kept. Messages name the target.
class TTempFile
{
public:
    // Creates the file at tempPath. Throws EFileError "Cannot create file "<target>". <reason>".
    TTempFile(std::string tempPath, std::string target, const TTempFileMode& mode);
    ~TTempFile();
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    // Writes bytes and closes the file, flushed first when the mode is durable. Throws EFileError
    // "Cannot write file "<target>". <reason>".
    void Write(std::string_view bytes);
    // Gives the file the target's name. With replace an existing file is replaced; without, it is
    // left alone and the result is false. Throws EFileError "Cannot write file ...".
    bool MoveToTarget(bool replace);
    // Leaves the temporary file where it is whatever happens next.
    void Keep() { m_keep = true; }
    // Removes the temporary file now.
    void Remove();
    // Whether path names this very file.
    bool IsAt(const std::string& path) const;

private:
    [[noreturn]] void Fail(int error) const;

    std::string m_path;  // empty once renamed or removed
    std::string m_target;
    TTempFileMode m_mode;
    TFileHandle m_file;
    bool m_keep = false;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

// A new TTempFile for target beside it, made exclusive whatever mode says (nothing that stands
// at its name, not even a link, is opened): named target + ".tmp" + the process id, or, when
// something stands there already, that name + "-1", "-2" and so on. Throws EFileError "Cannot
// create file "<target>". <reason>".
std::unique_ptr<TTempFile> NewTempFileBeside(const std::string& target, TTempFileMode mode);

// The name of the target that name, a file name without its folder, is a temporary file of as
// NewTempFileBeside names them; empty when name is not such a name.
std::string_view TempFileTargetName(std::string_view name);

// Reads the rest of file, up to the size it had when it was opened, as ReadWholeFile does.
TFileBytes ReadWholeFile(const TRegularFile& file);

// The bytes ReadWholeFile gives for file, opened and not yet read, mapped instead of copied: the
// page cache's pages, mapped at once and read-only, but for the last, which holds the NUL's place
// and is copied if written. Read instead when the file cannot be mapped. The file must keep its
// size while the bytes live: a page cut off by another program is a SIGBUS where it would have
// been a copy.
TFileBytes MapWholeFile(const TRegularFile& file);
