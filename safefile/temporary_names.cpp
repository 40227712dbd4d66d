#include "temporary_names.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kPrefix[] = ".fotolark-";
constexpr char kSuffix[] = ".tmp";
constexpr size_t kRandomDigits = 16;

bool AllOf(const std::string& text, size_t from, size_t to, bool (*test)(char)) {
    if (from >= to) return false;
    for (size_t i = from; i < to; ++i)
        if (!test(text[i])) return false;
    return true;
}

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDecimal(c) || (c >= 'a' && c <= 'f'); }

} // namespace

std::string NewTemporaryName() {
    thread_local std::mt19937_64 random{(uint64_t(std::random_device{}()) << 32) ^ std::random_device{}()};
    char digits[kRandomDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(random()));
    return kPrefix + std::to_string(getpid()) + "-" + digits + kSuffix;
}

bool IsTemporaryName(const std::string& name, long& pid) {
    const size_t prefix = sizeof kPrefix - 1, suffix = sizeof kSuffix - 1;
    if (name.size() < prefix + 1 + 1 + kRandomDigits + suffix) return false;
    if (name.compare(0, prefix, kPrefix) != 0 || name.compare(name.size() - suffix, suffix, kSuffix) != 0)
        return false;
    const size_t digitsStart = name.size() - suffix - kRandomDigits;
    const size_t dash = digitsStart - 1;
    if (name[dash] != '-' || !AllOf(name, prefix, dash, IsDecimal) ||
        !AllOf(name, digitsStart, digitsStart + kRandomDigits, IsHex) || dash - prefix > 9)
        return false;
    pid = std::stol(name.substr(prefix, dash - prefix));
    return true;
}

bool ProcessHasEnded(long pid) {
    return pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

int RemoveStaleTemporaryFiles(const std::string& folder) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return 0;
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        long pid = 0;
        struct stat info {};
        if (!IsTemporaryName(name, pid) || !ProcessHasEnded(pid) ||
            fstatat(dirfd(dir), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != geteuid())
            continue;
        if (unlinkat(dirfd(dir), name.c_str(), 0) == 0) ++removed;
    }
    closedir(dir);
    return removed;
}
