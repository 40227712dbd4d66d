// The platform picture loader: the non-JPEG formats a picture file may have (bmp, ico, emf,
// wmf) are decoded by Qt's image readers, for each format this system's Qt can read.
#pragma once

#include <string>
#include <vector>

// Registers a loader for every such format Qt reads here and returns their extensions; the
// others keep the "Unknown picture file extension" message.
std::vector<std::string> RegisterPlatformPictureLoaders();
