// The virtual recorder's log: one line per request with its CDB, outcome and sense, and the
// start of any outgoing data, so that tests can check what reached the drive.
#pragma once

#include "aspi.h"

#include <cstdio>
#include <string>

namespace vrec {

class TRequestLog {
public:
    explicit TRequestLog(const std::string& Path);  // empty: log nothing
    ~TRequestLog();
    TRequestLog(const TRequestLog&) = delete;
    TRequestLog& operator=(const TRequestLog&) = delete;

    // "0:1:0 CDB 2A 00 ... STATUS 04 TARG 02 SENSE 05/21/02 OUT 00 00 ..."
    void Request(const SRB_ExecSCSICmd& Srb, uint8_t Status, const std::string& Remark);
    void Note(const std::string& Text);

private:
    FILE* FFile = nullptr;
};

}  // namespace vrec
