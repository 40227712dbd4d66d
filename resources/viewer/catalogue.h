// The album catalogue "Albums.dat" of a disc: an int32 album count, then for every album the
// int64 byte length of its record and the record itself, laid out like an ".alb" file.
#pragma once

#include "album_records.h"

#include <string>

enum class TCatalogueState { csComplete, csDamaged, csMissing };

struct TCatalogue {
    TAlbumList Albums;  // in catalogue order
    TCatalogueState State = TCatalogueState::csMissing;
};

// Reads every album that the bytes hold. A damaged catalogue keeps the albums before the
// damage (and the part of a cut-off album that could be read) and is marked damaged.
TCatalogue ReadCatalogue(const std::string& bytes);
