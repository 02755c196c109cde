// Reading and writing whole files with errors that name the file and the system's reason, and
// writing a file under a temporary name that it leaves only when complete.

#include "wordstore/file_io.h"

#include <cerrno>
#include <cstdio>
#include <new>
#include <system_error>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "wordstore/encoding.h"

TFileHandle::~TFileHandle()
{
    Close();
}

int TFileHandle::Close()
{
    if (m_fd < 0) {
        return 0;
    }
    const int fd = m_fd;
    m_fd = -1;
    return close(fd) == 0 ? 0 : errno;
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

TFileBytes MapWholeFile(const TRegularFile& file)
{
    if (file.Size == 0) {
        return ReadWholeFile(file);
    }
    // Anonymous pages first, for room to the NUL after the bytes, which may lie a page past the
    // file's last; then the file over their start.
    const std::size_t bytes = file.Size + 1;
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        return ReadWholeFile(file);
    }
    TFileBytes result{TLargeBlock(static_cast<char*>(memory), TLargeFree{bytes, true}), file.Size};
    // Read-only pages are mapped all at once, without a fault for each run of them; a writable
    // private page would be copied.
    if (mmap(memory, file.Size, PROT_READ, MAP_PRIVATE | MAP_FIXED | MAP_POPULATE,
             file.Handle->get(), 0) == MAP_FAILED) {
        return ReadWholeFile(file);
    }
    // Past the end of the file its last page reads as zeros: the NUL is there. That page stays
    // writable, as the NUL's place is written in case the file grew meanwhile.
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    if (file.Size % page != 0 && mprotect(static_cast<char*>(memory) + file.Size / page * page,
                                          page, PROT_READ | PROT_WRITE) != 0) {
        return ReadWholeFile(file);
    }
    return result;
}

void WriteAll(const TFileHandle& file, std::string_view bytes, const std::string& path)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(file.get(), bytes.data() + done, bytes.size() - done);
        if (wrote < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EFileError("Cannot write file " + QuotedPath(path) + ". " + SystemReason(errno));
        }
        done += static_cast<std::size_t>(wrote);
    }
}

TTempFile::TTempFile(std::string tempPath, std::string target, const TTempFileMode& mode)
    : m_target(std::move(target))
    , m_mode(mode)
    , m_file(open(tempPath.c_str(),
                  O_WRONLY | O_CREAT | O_CLOEXEC | (mode.Exclusive ? O_EXCL | O_NOFOLLOW : O_TRUNC),
                  mode.Permissions))
{
    struct stat info
    {};
    if (m_file.get() < 0 || fstat(m_file.get(), &info) != 0) {
        throw EFileError("Cannot create file " + QuotedPath(m_target) + ". " + SystemReason(errno));
    }
    m_path = std::move(tempPath);
    m_device = info.st_dev;
    m_inode = info.st_ino;
}

TTempFile::~TTempFile()
{
    m_file.Close();
    if (!m_path.empty() && !m_keep) {
        unlink(m_path.c_str());
    }
}

void TTempFile::Write(std::string_view bytes)
{
    WriteAll(m_file, bytes, m_target);
    if (m_mode.Durable && fsync(m_file.get()) != 0) {
        Fail(errno);
    }
    if (const int error = m_file.Close(); error != 0) {
        Fail(error);
    }
}

bool TTempFile::MoveToTarget(bool replace)
{
    if (replace) {
        if (rename(m_path.c_str(), m_target.c_str()) != 0) {
            Fail(errno);
        }
    } else if (renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, m_target.c_str(), RENAME_NOREPLACE) !=
               0) {
        if (errno == EEXIST) {
            return false;
        }
        if (errno != EINVAL && errno != ENOSYS) {
            Fail(errno);
        }
        // The file system cannot refuse to replace by itself: look first.
        struct stat info
        {};
        if (lstat(m_target.c_str(), &info) == 0) {
            return false;
        }
        if (rename(m_path.c_str(), m_target.c_str()) != 0) {
            Fail(errno);
        }
    }
    m_path.clear();
    return true;
}

void TTempFile::Remove()
{
    unlink(m_path.c_str());
    m_path.clear();
}

bool TTempFile::IsAt(const std::string& path) const
{
    struct stat info
    {};
    return lstat(path.c_str(), &info) == 0 && info.st_dev == m_device && info.st_ino == m_inode;
}

void TTempFile::Fail(int error) const
{
    throw EFileError("Cannot write file " + QuotedPath(m_target) + ". " + SystemReason(error));
}

std::unique_ptr<TTempFile> NewTempFileBeside(const std::string& target, TTempFileMode mode)
{
    mode.Exclusive = true;
    const std::string first = target + ".tmp" + std::to_string(getpid());
    // A leftover of a killed run with this process id, or a link planted at the name, is passed
    // over: the exclusive open would refuse it anyway, and the file is still written.
    constexpr int kNames = 100;
    for (int n = 0; n < kNames; ++n) {
        const std::string path = n == 0 ? first : first + "-" + std::to_string(n);
        struct stat info
        {};
        if (lstat(path.c_str(), &info) != 0) {
            return std::make_unique<TTempFile>(path, target, mode);
        }
    }
    throw EFileError("Cannot create file " + QuotedPath(target) + ". " + SystemReason(EEXIST));
}

std::string_view TempFileTargetName(std::string_view name)
{
    const std::size_t tmp = name.rfind(".tmp");
    if (tmp == std::string_view::npos || tmp == 0) {
        return {};
    }
    // ".tmp", digits, then optionally "-" and digits.
    const std::string_view tail = name.substr(tmp + 4);
    const std::size_t dash = tail.find('-');
    const auto digits = [](std::string_view text) {
        return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    const bool named = dash == std::string_view::npos
                           ? digits(tail)
                           : digits(tail.substr(0, dash)) && digits(tail.substr(dash + 1));
    return named ? name.substr(0, tmp) : std::string_view();
}
