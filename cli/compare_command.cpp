#include "compare_command.h"

#include "disc_compare.h"
#include "disc_drive.h"
#include "file_names.h"
#include "mcdburner.h"

#include <filesystem>
#include <iostream>
#include <memory>

namespace {

int Fail(const std::string& message) {
    std::cerr << "fotolark-disc: " << message << "\n";
    return 1;
}

int CompareVolume(TBlockSource& source, uint32_t sessionStart, const TDiscOptions& options) {
    TDiscVolume volume;
    std::string error;
    if (!ReadDiscVolume(source, sessionStart, volume, error)) return Fail("can't read the disc: " + error);
    const std::string base = options.BaseDir.empty() ? BaseFolder(TPrefs().BaseDir) : WithTrailingSlash(options.BaseDir);
    TDiscCheck check;
    if (!CompareDiscWithAlbums(source, volume, StorageFolders(base), check, error)) return Fail(error);
    std::cout << DiscCheckReport(check, options.Verbose);
    return check.AllMatch() ? 0 : 1;
}

} // namespace

// A drive letter or /dev/srN names a drive; anything else is an image file ("./D" for a file
// called D).
int RunCompare(const TDiscOptions& options) {
    const char letter = DriveLetterOf(options.Compare);
    if (!letter) {
        if (!std::filesystem::is_regular_file(options.Compare)) return Fail("no image file " + options.Compare);
        TImageFileBlocks file(options.Compare);
        if (!file.IsOpen()) return Fail("can't open " + options.Compare);
        return CompareVolume(file, 0, options);
    }
    TMCDBurner burner;
    std::string error;
    if (!OpenRecorder(burner, letter, error)) return Fail(error);
    if (!burner.WaitReady(10000, 1000)) return Fail(std::string("no disc in drive ") + letter + ":");
    TDriveBlocks drive(burner);
    return CompareVolume(drive, LastSessionStart(burner), options);
}
