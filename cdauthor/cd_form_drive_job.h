// Starting the recording of a prepared image on the selected drive.
#pragma once

#include <string>

// BurnCD belongs to the recording engine's drive branch. Where a build has no BurnCD yet, the
// job ends at once through OnWriteDone with a message instead of pretending to record.
template <class TBurner>
inline constexpr bool HasDriveRecording = requires(TBurner& burner) { burner.BurnCD(); };

template <class TBurner>
void StartDriveRecording(TBurner& burner) {
    if constexpr (HasDriveRecording<TBurner>) {
        burner.BurnCD();  // a producer failure has already been reported through OnWriteDone
    } else if (burner.OnWriteDone) {
        burner.OnWriteDone(&burner, std::string("RECORDING ON A DRIVE IS NOT AVAILABLE"));
    }
}
