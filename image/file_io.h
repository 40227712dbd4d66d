#pragma once
// Whole-file reading and crash-safe replacing for picture files.
// Failures throw EImageError naming the file and the system's reason.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

std::vector<std::uint8_t> ReadWholeFile(const std::string& FileName);

// Writes Data to a new file beside FileName, flushes it to disk and renames it
// over FileName, so FileName is always either the old or the complete new file.
void ReplaceFile(const std::string& FileName, const std::uint8_t* Data, std::size_t Size);
