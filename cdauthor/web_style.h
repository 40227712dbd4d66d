// The style sheet of the disc's web pages (Web/style.css).
#pragma once

inline constexpr const char* kWebStyleName = "style.css";
extern const char* const kWebStyle;
