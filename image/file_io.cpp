#include "file_io.h"

#include "image_error.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(std::string_view what, const std::string& fileName, int error)
{
    throw EImageError(std::string(what) + " \"" + fileName + "\": " + std::strerror(error));
}

// Closes a descriptor when the scope ends, whatever way it ends.
struct TFileDescriptor {
    int fd;
    ~TFileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens a fresh, uniquely named file beside FileName.
int CreateTemporaryBeside(const std::string& fileName, std::string& temporaryName)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryName = fileName + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& FileName)
{
    TFileDescriptor file{::open(FileName.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        Fail("Cannot open file", FileName, errno);
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        Fail("Cannot read file", FileName, errno);
    if (!S_ISREG(info.st_mode))
        Fail("Cannot read file", FileName, EISDIR);

    std::vector<std::uint8_t> data(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t got = ::read(file.fd, data.data() + done, data.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail("Cannot read file", FileName, errno);
        if (got == 0)
            break;  // the file shrank while we read it
        done += std::size_t(got);
    }
    data.resize(done);
    return data;
}

void ReplaceFile(const std::string& FileName, const std::uint8_t* Data, std::size_t Size)
{
    std::string temporaryName;
    TFileDescriptor file{CreateTemporaryBeside(FileName, temporaryName)};
    if (file.fd < 0)
        Fail("Cannot create file", FileName, errno);

    const auto failAndRemove = [&](int error) {
        ::unlink(temporaryName.c_str());
        Fail("Cannot write file", FileName, error);
    };
    std::size_t done = 0;
    while (done < Size) {
        const ssize_t put = ::write(file.fd, Data + done, Size - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            failAndRemove(errno);
        done += std::size_t(put);
    }
    if (::fsync(file.fd) != 0)
        failAndRemove(errno);
    const int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0)
        failAndRemove(errno);
    if (::rename(temporaryName.c_str(), FileName.c_str()) != 0)
        failAndRemove(errno);
}
