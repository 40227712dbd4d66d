// The names of our temporary files, and the removal of those that a process of ours left
// behind when it ended before it could rename or remove them.
#pragma once

#include <string>

// A fresh name ".fotolark-<pid>-<16 hex digits>.tmp": hidden, short enough for any folder,
// and naming the process that made it. The digits are random, so nobody can guess it.
std::string NewTemporaryName();

// True when `name` has the pattern of NewTemporaryName; `pid` is then the maker's process.
bool IsTemporaryName(const std::string& name, long& pid);

// False while a process with this id runs (ours or anybody's).
bool ProcessHasEnded(long pid);

// Removes from `folder` the regular files with our temporary name pattern that belong to
// this user and whose process has ended. Returns how many were removed.
int RemoveStaleTemporaryFiles(const std::string& folder);
