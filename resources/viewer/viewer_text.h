// Text of the album catalogue as the viewer shows it. Album data are 8-bit strings kept as
// written; the viewer reads them as UTF-8 and falls back to Windows-1252 for bytes that are
// not valid UTF-8. Texts are UTF-16, the form Windows takes.
#pragma once

#include <string>
#include <vector>

using TText = std::u16string;

TText DecodeText(const std::string& bytes);
// Note lines joined with CR LF, the line break of a Windows edit control.
TText NotesText(const std::vector<std::string>& lines);
// The window title from the bytes of "title.txt": its first line; `fallback` when empty.
TText TitleFromFile(const std::string& bytes, const TText& fallback);
// UTF-8 form of a text, for the test report.
std::string EncodeUtf8(const TText& text);
