// Joliet names and texts: 16-bit units written big-endian.
#pragma once

#include <string>

// True when `text` is strict UTF-8.
bool IsUtf8(const std::string& text);

// The UCS-2 units of a UTF-8 name, one per character; a name that is not valid UTF-8 gives one
// unit per byte. Characters beyond 16 bits and control characters become "_".
std::u16string JolietUnits(const std::string& text);

// How many units JolietUnits gives for `text`, and those units appended to `out` as big-endian
// bytes; both without building the units for a plain-ASCII name.
size_t JolietLength(const std::string& text);
void AppendJolietBytes(std::string& out, const std::string& text);

// The units of `text`, cut or padded with blanks to `units`, as big-endian bytes.
std::string JolietField(const std::string& text, size_t units);

// `code` appended to `out` as UTF-8.
void AppendUtf8(std::string& out, char32_t code);

// `units` as big-endian bytes.
std::string BigEndianBytes(const std::u16string& units);

// The first `bytes` bytes of `text`, fewer when that would split a UTF-8 character.
std::string CutAtCharacter(const std::string& text, size_t bytes);
