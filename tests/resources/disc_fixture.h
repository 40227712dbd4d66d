// A disc folder as the CD job lays it out (Albums.dat, title.txt, Images\, Thumbs\), made
// with the album library and real JPEG files, for running the album viewer on.
#pragma once

#include <string>
#include <vector>

struct TFixturePhoto {
    std::string FileName;
    std::string Caption;
    std::vector<std::string> Notes;
    bool WithFiles = true;  // false: the photo's image and thumbnail are missing from the disc
};

struct TFixtureAlbum {
    std::string Title;
    std::vector<TFixturePhoto> Photos;
};

// The bytes of the catalogue for `albums`, as WriteAlbumCatalogue writes them.
std::string CatalogueBytes(const std::vector<TFixtureAlbum>& albums);
// Writes the disc into `folder` (created). No title.txt when `title` is empty.
void MakeDiscFolder(const std::string& folder, const std::vector<TFixtureAlbum>& albums, const std::string& title);
// Writes the albums as Fotolark keeps them below the base folder `folder`: Albums/*.alb,
// Albums/Thumbs/ and Images/.
void MakeBaseFolder(const std::string& folder, const std::vector<TFixtureAlbum>& albums);
