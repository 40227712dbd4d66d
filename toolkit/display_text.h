// Album data are 8-bit strings; the windows show them as UTF-8, falling back to Windows-1252
// for bytes that are not valid UTF-8, and store typed text as UTF-8.
#pragma once

#include <QString>

#include <string>

QString ToDisplay(const std::string& bytes);
std::string FromDisplay(const QString& text);
