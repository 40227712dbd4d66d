// Placing a picture in a box: as large as fits with its aspect ratio kept, centred, and
// never enlarged beyond its own size.
#pragma once

struct TPlacement {
    int Left, Top, Width, Height;
};

TPlacement FitInside(int pictureWidth, int pictureHeight, int boxLeft, int boxTop, int boxWidth, int boxHeight);
