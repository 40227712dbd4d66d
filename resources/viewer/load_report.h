// The report behind the viewer's "/report FILE" switch: what it loaded from the disc, so
// that tests can run the real program on a disc and compare with the albums written.
#pragma once

#include "catalogue.h"
#include "viewer_text.h"

#include <functional>
#include <string>

// One line "title<TAB>window title", one line "catalogue<TAB>complete|damaged|missing", then
// per album "album<TAB>title<TAB>photos<TAB>thumbnails loaded<TAB>images loaded". Texts in
// UTF-8, lines ending in LF.
std::string LoadReport(const TText& windowTitle, const TCatalogue& catalogue, const TText& discFolder,
                       const std::function<bool(const TText& path)>& canLoadPicture);
