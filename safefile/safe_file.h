// Writing a file so that it is never left half-written and can never be redirected.
//
// The data go to a new file of ours in the target's folder, created exclusively under a
// unique name (so no planted link or file is ever opened), are flushed to disk, take the
// permissions of the file they replace and are renamed over the target only when complete:
// the target is always either the old or the whole new file.
#pragma once

#include <cstddef>
#include <string>

class TSafeFile {
public:
    explicit TSafeFile(std::string target) : FTarget(std::move(target)) {}
    TSafeFile(const TSafeFile&) = delete;
    TSafeFile& operator=(const TSafeFile&) = delete;
    ~TSafeFile() { Discard(); }  // a file that was not committed is removed

    // Creates the temporary file. False when it cannot be made or the target is a folder.
    bool Open();
    int Descriptor() const { return FDescriptor; }
    bool Write(const void* data, std::size_t size);
    // Flushes the file, gives it the permissions of the file it replaces and renames it over
    // the target. On failure the temporary file is removed and the target left as it was.
    bool Commit();
    // Removes the temporary file; the target stays as it was.
    void Discard();

    // The errno of the first failure.
    int Error() const { return FError; }
    const std::string& TemporaryPath() const { return FTemporary; }

private:
    bool Fail(int error);

    std::string FTarget;
    std::string FTemporary;  // empty while there is no temporary file
    int FDescriptor = -1;
    int FError = 0;
};

// Writes all of `size` bytes to `fd`, resuming after interruptions. False with errno set.
bool WriteAll(int fd, const void* data, std::size_t size);

// Replaces `target` with `size` bytes of `data` through a TSafeFile. Returns 0 or the errno.
int ReplaceFileContents(const std::string& target, const void* data, std::size_t size);

// Replaces `target` with a copy of `source` through a TSafeFile. Returns 0 or the errno.
int CopyFileContents(const std::string& source, const std::string& target);

// Keeps the present bytes of `source` under the new name `copy` (a hard link where the file
// system allows one, else a copy). Never replaces anything: EEXIST when `copy` exists.
// Returns 0 or the errno.
int PreserveFileAs(const std::string& source, const std::string& copy);
