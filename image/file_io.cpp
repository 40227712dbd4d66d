#include "file_io.h"

#include "image_error.h"
#include "safe_file.h"

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
    TSafeFile file(FileName);
    if (!file.Open())
        Fail("Cannot create file", FileName, file.Error());
    if (!file.Write(Data, Size) || !file.Commit())
        Fail("Cannot write file", FileName, file.Error());
}
