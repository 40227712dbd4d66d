// The disc's web pages as part of a job: read from the disc tree once the photos are in it
// (a photo the tree left out is linked nowhere) and added to the tree as files in memory; and
// the space they take, for the CD window's estimate.
#pragma once

#include "disc_content.h"
#include "web_pages.h"

#include <cstdint>
#include <future>
#include <string>
#include <vector>

// The layout's albums with the photos whose image the tree holds, under the tree's names.
std::vector<TWebAlbum> WebAlbumsOnDisc(const TMCDBurner& burner, const TDiscContent& content);

// The pages as they are when every photo and thumbnail is on the disc under its own name (as
// it is unless the tree leaves a file out), made on a thread of their own so that they are
// ready, in the usual case, by the time the tree holds the photos. The albums must stay
// unchanged until the result is taken.
std::future<std::vector<TWebPage>> MakeWebPagesAhead(const TDiscContent& content);

// Adds the pages of the photos in the tree, held in memory: index.html to the root, the rest
// to \Web. The pages made ahead are taken when the tree holds just what they expected; otherwise
// they are made again from the tree. Pages that would not all fit into the tree's limits are
// left out as a whole.
void AddWebPages(TMCDBurner& burner, const TDiscContent& content, std::future<std::vector<TWebPage>> ahead = {});

// The sectors the pages of `albums` take when every photo is on the disc.
int64_t WebPagesSectors(const std::string& title, const std::vector<const TAlbum*>& albums);
