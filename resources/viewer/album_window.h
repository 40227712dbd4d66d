// The viewer's main window: the albums on the left, the selected album's thumbnails with
// their captions on the right, and the photo page in their place when a photo is opened.
#pragma once

#include "viewer_state.h"

#include <windows.h>

HWND CreateAlbumWindow(HINSTANCE instance, TViewerState* state);
// For the message loop: the photo page's navigation keys, wherever the focus is.
bool AlbumWindowKey(HWND window, const MSG& message);
