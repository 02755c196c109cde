#pragma once
// Reading whole files with errors that name the file and the system's reason.

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

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

// Reads the rest of file, up to the size it had when it was opened, as ReadWholeFile does.
TFileBytes ReadWholeFile(const TRegularFile& file);
