// The recorder side of fotolark-disc: finding the recorder, waiting for a disc, and the list
// of drives with what each can write.
#pragma once

#include "mcdburner.h"

#include <csignal>
#include <string>

// Starts the SCSI transport and selects the recorder behind `letter`; false with a reason.
bool OpenRecorder(TMCDBurner& burner, char letter, std::string& error);

// Waits for a disc as the CD window does: up to ten seconds, then, after asking for a blank
// disc on stderr, until the drive is ready or `stop` is set. False when stopped.
bool WaitForDisc(TMCDBurner& burner, const volatile std::sig_atomic_t& stop);

// Every drive on the buses, one line each, followed by what it can write.
std::string DriveListText(TMCDBurner& burner);
