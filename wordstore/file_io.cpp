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

std::string FileKindText(unsigned mode)
{
    if (S_ISDIR(mode)) {
        return "a directory";
    }
    if (S_ISFIFO(mode)) {
        return "a named pipe";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    return "not a file";
}

std::string OutOfMemoryText(const std::string& path)
{
    return "Out of memory while reading file " + QuotedPath(path);
}

TRegularFile OpenRegularFile(const std::string& path)
{
    const std::string shownPath = ToCp1251Lossy(path);
    // The loader looked at the file before, but something else may stand there by now: a FIFO
    // would block a plain open() until a writer comes, for ever.
    TRegularFile file{
        std::make_unique<TFileHandle>(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)), 0,
        path};
    const int fd = file.Handle->get();
    if (fd < 0) {
        throw EFileError("Cannot open file \"" + shownPath + "\". " + SystemReason(errno));
    }
    struct stat info
    {};
    if (fstat(fd, &info) != 0) {
        throw EFileError("Cannot read file \"" + shownPath + "\". " + SystemReason(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        throw ENotRegularFile("Cannot read file \"" + shownPath + "\". Not a regular file",
                              FileKindText(info.st_mode));
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        throw EFileError("Cannot read file \"" + shownPath + "\". " + SystemReason(errno));
    }
    file.Size = static_cast<std::size_t>(info.st_size);
    return file;
}

std::size_t ReadUpTo(const TRegularFile& file, char* into, std::size_t bytes)
{
    // The size may change under us; read until the end, never past the buffer.
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t got = read(file.Handle->get(), into + done, bytes - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EFileError("Cannot read file " + QuotedPath(file.Path) + ". " +
                             SystemReason(errno));
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

TFileBytes ReadWholeFile(const std::string& path)
{
    return ReadWholeFile(OpenRegularFile(path));
}

TFileBytes ReadWholeFile(const TRegularFile& file)
{
    TFileBytes result;
    try {
        result.Bytes = MakeLargeBlock(file.Size + 1);
    } catch (const std::bad_alloc&) {
        throw EFileError(OutOfMemoryText(file.Path));
    }
    result.Size = ReadUpTo(file, result.Bytes.get(), file.Size);
    result.Bytes[result.Size] = '\0';
    return result;
}
