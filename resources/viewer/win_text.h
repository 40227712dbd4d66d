// Viewer texts (UTF-16) as the wide strings the Windows API takes.
#pragma once

#include "viewer_text.h"

#include <string>

inline std::wstring Wide(const TText& text) { return std::wstring(text.begin(), text.end()); }
inline TText FromWide(const std::wstring& text) { return TText(text.begin(), text.end()); }
