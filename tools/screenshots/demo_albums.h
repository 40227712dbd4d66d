// A small album folder of painted landscapes, for pictures of the program and for trying it.
#pragma once

#include <string>

// Writes three albums with their photos and thumbnails below `baseFolder` (its "Albums" and
// "Images" folders are created). Image names come from the stored daily counter.
void WriteDemoAlbums(const std::string& baseFolder);
