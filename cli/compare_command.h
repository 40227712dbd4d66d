// fotolark-disc --compare: checks a disc or an image file against the albums.
#pragma once

#include "disc_options.h"

// Prints the report on stdout; the exit status (0: everything matches).
int RunCompare(const TDiscOptions& options);
