// Checking a disc against the albums it was made from: per album of the disc's catalogue,
// which photos are on the disc and equal, different, unreadable, missing from the disc or
// missing from the albums.
#pragma once

#include "disc_volume.h"
#include "prefs.h"

#include <string>
#include <vector>

enum class TPhotoMatch { pmEqual, pmDifferent, pmUnreadable, pmMissingFromDisc, pmMissingFromAlbums };

struct TPhotoCheck {
    std::string FileName;
    TPhotoMatch Match = TPhotoMatch::pmEqual;
    std::string Detail;  // what differs, is unreadable or missing
};

struct TAlbumCheck {
    std::string Title;
    bool InAlbums = true;  // false: no album of the base folder is this disc album
    std::vector<TPhotoCheck> Photos;
};

struct TDiscCheck {
    std::vector<TAlbumCheck> Albums;          // in the disc's order
    std::vector<std::string> AlbumsNotOnDisc;  // titles of the other albums of the base folder
    bool AllMatch() const;
};

// Compares the disc `volume` read from `source` with the albums in `folders`. False with a
// message when the disc's catalogue cannot be read.
bool CompareDiscWithAlbums(TBlockSource& source, const TDiscVolume& volume, const TStorageFolders& folders,
                           TDiscCheck& check, std::string& error);

// The report for a person: one block per album; equal photos are counted, or listed with
// `listEqual`.
std::string DiscCheckReport(const TDiscCheck& check, bool listEqual);
