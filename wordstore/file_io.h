#pragma once
// Reading whole files with errors that name the file and the system's reason.

#include <cstddef>
#include <stdexcept>
#include <string>

#include "wordstore/large_array.h"

// A file that exists but cannot be opened or read; what() names the file and the reason
// (Windows-1251).
class EFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

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

// A whole file's bytes.
struct TFileBytes
{
    TLargeBlock Bytes;  // Size bytes, then one NUL
    std::size_t Size = 0;
};

// Reads the whole file at path in one go. Throws EFileError: "Cannot open file "<path>". <reason>",
// "Cannot read file ...", or "Out of memory while reading file ...".
TFileBytes ReadWholeFile(const std::string& path);
