// The photo page: one photo of an album as large as fits, its caption and its notes, with
// buttons and keys for the previous and the next photo and for going back to the album.
#pragma once

#include "album_records.h"
#include "viewer_text.h"

#include <windows.h>

// Sent to the parent when the user leaves the photo page; wParam holds the photo's index.
constexpr UINT WM_PHOTO_CLOSED = WM_APP + 1;

HWND CreatePhotoView(HWND parent, HINSTANCE instance);
// Shows photo `index` of `album`, whose files lie below `discFolder`.
void ShowPhotoInView(HWND view, const TAlbum* album, int index, const TText& discFolder);
// Next, previous, first, last and back; false for keys the page does not use.
bool PhotoViewKey(HWND view, WPARAM key);
