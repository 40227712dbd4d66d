// Text for the disc's web pages: album texts made UTF-8 and HTML-safe, disc file names made
// into links.
#pragma once

#include <string>

// An 8-bit album text as UTF-8: kept when it is UTF-8 already, otherwise read as Windows-1252,
// as the windows show it.
std::string PageText(const std::string& bytes);

// UTF-8 `text` with &, <, >, " and ' written as character references, so that it reads as text
// in element content and in quoted attributes. Control characters other than tab and line
// feed become blanks.
std::string HtmlEscape(const std::string& text);

// The escaped page text of an 8-bit album text.
std::string HtmlText(const std::string& bytes);

// A name of the disc tree as a URL path segment: the name as its Joliet record spells it, in
// UTF-8, with every byte outside the unreserved characters percent-encoded.
std::string LinkName(const std::string& discName);
