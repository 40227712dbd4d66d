// The disc's web pages as part of a job: read from the disc tree once the photos are in it
// (a photo the tree left out is linked nowhere), written beside the job's temporary files and
// added to the tree; and the space they take, for the CD window's estimate.
#pragma once

#include "disc_content.h"
#include "web_pages.h"

#include <cstdint>
#include <string>
#include <vector>

// The layout's albums with the photos whose image the tree holds, under the tree's names.
std::vector<TWebAlbum> WebAlbumsOnDisc(const TMCDBurner& burner, const TDiscContent& content);

// Writes the pages of the photos in the tree and adds them: index.html to the root, the rest
// to \Web. Pages that would not all fit into the tree's limits are left out as a whole. False,
// with a reason in `error`, when a page cannot be written.
bool AddWebPages(TMCDBurner& burner, const TDiscContent& content, const TDiscTempFiles& temp, std::string& error);

// The sectors the pages of `albums` take when every photo is on the disc.
int64_t WebPagesSectors(const std::string& title, const std::vector<const TAlbum*>& albums);
