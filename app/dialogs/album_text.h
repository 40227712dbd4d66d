// Album strings are 8-bit and must come back from a dialog byte for byte unless the user
// changed them; these helpers convert between them and the texts the dialogs edit.
#pragma once

#include <QString>

#include <string>
#include <vector>

// The text typed in place of `original`: `original` itself when the shown text was left as it
// was, otherwise the typed text stored as UTF-8.
std::string EditedText(const QString& text, const std::string& original);

// Note lines as one text for a memo, one line per row.
QString NotesToText(const std::vector<std::string>& lines);
// A memo's text as note lines, the way a memo counts them: an empty text has no line and a
// final line break does not start another line. Lines shown as they were keep their bytes.
std::vector<std::string> TextToNotes(const QString& text, const std::vector<std::string>& original);

// A local path as the user reads it.
QString PathToDisplay(const std::string& path);
// The image folder joined with the file-name part of a photo's `FileName`: a photo's file
// never lies outside its folder, whatever the album file says. "" for a damaged name
// (StoredFilePath), which names no file.
std::string PhotoFilePath(const std::string& folder, const std::string& fileName);
