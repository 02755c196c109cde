// Reading whole files with errors that name the file and the system's reason.

#include "wordstore/file_io.h"

#include <cerrno>
#include <new>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "wordstore/encoding.h"

TFileHandle::~TFileHandle()
{
    if (m_fd >= 0) {
        close(m_fd);
    }
}

std::string SystemReason(int error)
{
    // Qt sets the locale from the environment, so the text may be translated: it is UTF-8 then.
    return ToCp1251Lossy(std::generic_category().message(error));
}

std::string QuotedPath(const std::string& path)
{
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "\"" + text at -O3.
    std::string quoted = "\"";
    quoted += ToCp1251Lossy(path);
    quoted += '"';
    return quoted;
}

std::string OutOfMemoryText(const std::string& path)
{
    return "Out of memory while reading file " + QuotedPath(path);
}

TFileBytes ReadWholeFile(const std::string& path)
{
    const std::string shownPath = ToCp1251Lossy(path);
    const TFileHandle file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        throw EFileError("Cannot open file \"" + shownPath + "\". " + SystemReason(errno));
    }
    struct stat info
    {};
    if (fstat(file.get(), &info) != 0) {
        throw EFileError("Cannot read file \"" + shownPath + "\". " + SystemReason(errno));
    }
    const auto fileSize = static_cast<std::size_t>(info.st_size);
    TFileBytes result;
    try {
        result.Bytes = MakeLargeBlock(fileSize + 1);
    } catch (const std::bad_alloc&) {
        throw EFileError(OutOfMemoryText(path));
    }
    // The size may change under us; read until the end, never past the buffer.
    std::size_t done = 0;
    while (done < fileSize) {
        const ssize_t got = read(file.get(), result.Bytes.get() + done, fileSize - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EFileError("Cannot read file \"" + shownPath + "\". " + SystemReason(errno));
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    result.Size = done;
    result.Bytes[done] = '\0';
    return result;
}
