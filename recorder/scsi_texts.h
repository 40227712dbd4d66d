// Readable texts for SCSI requests: operation names for the trace, and the error texts
// built from a request's statuses and sense data.
#pragma once

#include "aspi.h"

#include <cstdint>
#include <string>

// Name of an operation code, padded with blanks to 22 characters; unnamed codes read as their
// two-digit hexadecimal value.
const std::string& CommandNames(uint8_t OpCode);

// Text for SRB_Status, SRB_HaStat and SRB_TargStat before the sense data refine it.
std::string StatusText(uint8_t Status, uint8_t HaStat, uint8_t TargStat);

// Sense-key text of fixed-format sense data; empty when byte 0 is 0, "UNKNOWN" for a response
// code other than 70h/71h.
std::string SenseKeyText(const uint8_t* Sense);

// The SCSI standard's description of an additional sense code pair, in upper case; pairs outside
// our table read as ASC and ASCQ in decimal, e.g. "18,7".
std::string AdditionalSenseText(uint8_t ASC, uint8_t ASCQ);

// Text without leading and trailing blanks.
std::string TrimBlanks(const std::string& Text);
