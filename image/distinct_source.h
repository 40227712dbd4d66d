#pragma once
// For edits that read their source while they write their result.

#include "bitmap32.h"

// Runs edit(source, dest) with a private copy of the source when the caller
// passed the same bitmap twice, since every edit reads while it writes.
template <typename Edit>
void WithDistinctSource(const TBitmap32& Source, TBitmap32& Dest, Edit edit)
{
    if (&Source == &Dest) {
        const TBitmap32 copy = Source;
        edit(copy, Dest);
    } else {
        edit(Source, Dest);
    }
}

