// The process-wide SCSI transport: either an ASPI-style library loaded at run time
// ("WNASPI32.DLL", the file libwnaspi32.so) or the built-in SG_IO pass-through layer ("PTASPI32").
// Both offer the same two entry points; exactly one is active at a time.
#pragma once

#include <cstdint>
#include <string>

// Chooses and starts a transport; remembers the preference. The result is the initialized flag.
bool StartTransport(bool PreferPassThrough);
// Stops the active transport and starts again with the remembered preference.
void RestartTransport();
// Releases the library or closes the pass-through handles; the transport is uninitialized after.
void StopTransport();

bool TransportInitialized();
const std::string& TransportName();  // "WNASPI32.DLL", "PTASPI32" or empty

// Entry points of the active transport (0 / SS_NO_ASPI when none is active).
uint32_t GetASPI32SupportInfo();
uint8_t SendASPI32Command(void* Srb);
