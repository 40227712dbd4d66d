#include "fit_rect.h"

#include <algorithm>

TPlacement FitInside(int pictureWidth, int pictureHeight, int boxLeft, int boxTop, int boxWidth, int boxHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || boxWidth <= 0 || boxHeight <= 0) return {boxLeft, boxTop, 0, 0};
    int width = pictureWidth, height = pictureHeight;
    // Compare the two aspect ratios in 64 bits: w/h > W/H  <=>  w*H > W*h.
    if (width > boxWidth || height > boxHeight) {
        if (static_cast<long long>(pictureWidth) * boxHeight > static_cast<long long>(boxWidth) * pictureHeight) {
            width = boxWidth;
            height = static_cast<int>(static_cast<long long>(pictureHeight) * boxWidth / pictureWidth);
        } else {
            height = boxHeight;
            width = static_cast<int>(static_cast<long long>(pictureWidth) * boxHeight / pictureHeight);
        }
        width = std::max(width, 1);
        height = std::max(height, 1);
    }
    return {boxLeft + (boxWidth - width) / 2, boxTop + (boxHeight - height) / 2, width, height};
}
