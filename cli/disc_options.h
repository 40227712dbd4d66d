// The command line of fotolark-disc.
#pragma once

#include <string>
#include <vector>

struct TDiscOptions {
    std::string IsoFile;
    char DriveLetter = 0;  // the recorder to write to (--drive); 0: none
    bool TestWrite = false;
    bool Verify = true;  // read back and compare what was written (not after a test write)
    bool ListDrives = false;
    std::string Compare;  // the disc or image file to check against the albums (--compare)
    std::string Title;
    std::vector<std::string> Albums;  // titles, in the order given; empty: every album
    std::string BaseDir;              // empty: the base folder of the settings
    std::string Viewer;               // empty: the viewer installed with Fotolark
    bool WebPages = true;             // index.html and Web/ on the disc (--no-web: none)
    bool Verbose = false;
    bool Help = false;
    bool Version = false;
};

constexpr size_t kMaxTitleCharacters = 32;

// The drive letter of "E", "e:" or "/dev/sr1" (D stands for /dev/sr0); 0 for anything else.
char DriveLetterOf(const std::string& drive);

// Fills `options` from the arguments after the program name. False with a one-line reason in
// `error` for a usage error.
bool ParseDiscOptions(const std::vector<std::string>& args, TDiscOptions& options, std::string& error);

std::string DiscUsageText();
