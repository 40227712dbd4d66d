#include "safe_file.h"

#include "temporary_names.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Makes a renamed entry durable; a folder that cannot be synced costs nothing but that.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

// Copies what is left of `from` into `to`. Returns 0 or the errno.
int CopyInto(int from, int to) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno;
        if (got == 0) return 0;
        if (!WriteAll(to, buffer, static_cast<std::size_t>(got))) return errno;
    }
}

} // namespace

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(fd, next, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            if (put == 0) errno = EIO;  // a device that takes nothing more
            return false;
        }
        next += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool TSafeFile::Fail(int error) {
    if (FError == 0) FError = error;
    Discard();
    return false;
}

bool TSafeFile::Open() {
    Discard();
    FError = 0;
    struct stat target {};
    const bool exists = ::stat(FTarget.c_str(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode)) return Fail(EISDIR);
    // A file that replaces another stays private until it takes that file's permissions;
    // a new one gets the usual permissions the user's umask allows.
    const mode_t mode = exists ? 0600 : 0666;
    const std::string folder = FolderOf(FTarget);
    for (int attempt = 0; attempt < 100; ++attempt) {
        FTemporary = folder + NewTemporaryName();
        FDescriptor = ::open(FTemporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (FDescriptor >= 0) return true;
        if (errno != EEXIST) break;
    }
    const int error = errno;
    FTemporary.clear();
    return Fail(error);
}

bool TSafeFile::Write(const void* data, std::size_t size) {
    if (FDescriptor < 0) return Fail(EBADF);
    return WriteAll(FDescriptor, data, size) || Fail(errno);
}

bool TSafeFile::Commit() {
    if (FDescriptor < 0) return Fail(EBADF);
    // Best effort: some file systems keep no permissions and refuse to change them.
    struct stat target {};
    if (::stat(FTarget.c_str(), &target) == 0) (void)::fchmod(FDescriptor, target.st_mode & 0777);
    if (::fsync(FDescriptor) != 0) return Fail(errno);
    const int fd = FDescriptor;
    FDescriptor = -1;
    if (::close(fd) != 0) return Fail(errno);
    if (::rename(FTemporary.c_str(), FTarget.c_str()) != 0) return Fail(errno);
    FTemporary.clear();
    SyncFolder(FolderOf(FTarget));
    return true;
}

void TSafeFile::Discard() {
    if (FDescriptor >= 0) ::close(FDescriptor);
    FDescriptor = -1;
    if (!FTemporary.empty()) ::unlink(FTemporary.c_str());
    FTemporary.clear();
}

int ReplaceFileContents(const std::string& target, const void* data, std::size_t size) {
    TSafeFile file(target);
    if (file.Open() && file.Write(data, size) && file.Commit()) return 0;
    return file.Error();
}

int PreserveFileAs(const std::string& source, const std::string& copy) {
    if (::link(source.c_str(), copy.c_str()) == 0) return 0;
    if (errno != EPERM && errno != EXDEV && errno != EMLINK && errno != ENOTSUP && errno != ENOSYS)
        return errno;
    // No hard link here (some file systems have none): an exclusive copy instead.
    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) return errno;
    struct stat info {};
    if (::fstat(from, &info) != 0) {
        const int error = errno;
        ::close(from);
        return error;
    }
    const int to = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, info.st_mode & 0777);
    int error = to < 0 ? errno : CopyInto(from, to);
    if (error == 0 && ::fsync(to) != 0) error = errno;
    ::close(from);
    if (to >= 0 && ::close(to) != 0 && error == 0) error = errno;
    if (to >= 0 && error != 0) ::unlink(copy.c_str());
    return error;
}

int CopyFileContents(const std::string& source, const std::string& target) {
    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) return errno;
    TSafeFile file(target);
    int error = file.Open() ? CopyInto(from, file.Descriptor()) : file.Error();
    ::close(from);
    if (error == 0 && !file.Commit()) error = file.Error();
    return error;
}
