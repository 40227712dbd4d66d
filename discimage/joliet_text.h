// Joliet names and texts: 16-bit units written big-endian.
#pragma once

#include <optional>
#include <string>

// Decodes strict UTF-8 (no overlong forms, no surrogates); nullopt when `text` is not UTF-8.
std::optional<std::u16string> DecodeUtf8(const std::string& text);

// The UTF-16 units of a UTF-8 name; a name that is not valid UTF-8 gives one unit per byte.
std::u16string JolietUnits(const std::string& text);

// The units of `text`, cut or padded with blanks to `units`, as big-endian bytes.
std::string JolietField(const std::string& text, size_t units);

// `units` as big-endian bytes.
std::string BigEndianBytes(const std::u16string& units);
