// What the viewer loaded from the disc it was started from.
#pragma once

#include "catalogue.h"
#include "viewer_text.h"

struct TViewerState {
    TCatalogue Catalogue;
    TText DiscFolder;  // the root of the disc, ending in a separator
    TText Title;       // the window title
};
