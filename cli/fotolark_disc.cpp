// fotolark-disc: writes Fotolark albums into an ISO image file or onto a disc without the
// window. It runs the jobs the CD window runs: the same content, PrepareImage and then
// WriteISOFile, or the free-space check and BurnCD.
#include "compare_command.h"
#include "disc_content.h"
#include "disc_drive.h"
#include "disc_options.h"
#include "recorder_steps.h"

#include "album_records.h"
#include "file_names.h"
#include "prefs.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <future>
#include <iostream>

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t StopSignal = 0;

void OnStopSignal(int) {
    StopSignal = 1;
}

int Fail(const std::string& message) {
    std::cerr << "fotolark-disc: " << message << "\n";
    return 1;
}

// The viewer beside the program (build tree), in the build tree's Resources folder, or in
// the installed share folder; the first that exists.
std::string DefaultViewerPath() {
    std::error_code error;
    return ViewerPathFor(fs::read_symlink("/proc/self/exe", error).parent_path().string());
}

// The layout: the albums with the given titles in that order, or every album in saved order.
bool SelectAlbums(const TAlbumList& found, const std::vector<std::string>& titles,
                  std::vector<const TAlbum*>& layout, std::string& error) {
    if (titles.empty()) {
        for (const auto& album : found) layout.push_back(album.get());
        return true;
    }
    for (const std::string& title : titles) {
        const TAlbum* match = nullptr;
        for (const auto& album : found)
            if (album->Title == title) {
                match = album.get();
                break;
            }
        if (!match) {
            error = "no album titled \"" + title + "\"";
            return false;
        }
        if (std::find(layout.begin(), layout.end(), match) == layout.end()) layout.push_back(match);
    }
    return true;
}

void ShowProgress(const TMCDBurner& burner, const std::string& label) {
    const bool verifying = burner.Verifying();
    const int64_t total = burner.ImageBlocks();
    const int64_t done = (verifying ? burner.BytesVerified() : burner.BytesWritten()) / 2048;
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 0;
    std::fprintf(stderr, "\r%-*s: %3d%% (%lld of %lld sectors)", static_cast<int>(label.size()),
                 verifying ? "Verifying\u2026" : label.c_str(), percent,
                 static_cast<long long>(done), static_cast<long long>(total));
    std::fflush(stderr);
}

// The disc the options ask for; the albums it names are kept in `albums`.
bool ContentFor(const TDiscOptions& options, TAlbumList& albums, TDiscContent& content, std::string& error) {
    const std::string base = options.BaseDir.empty() ? BaseFolder(TPrefs().BaseDir) : WithTrailingSlash(options.BaseDir);
    const TStorageFolders folders = StorageFolders(base);
    albums = FindAlbums(folders.AlbumDir);
    if (albums.empty()) {
        error = "no albums in " + folders.AlbumDir;
        return false;
    }
    if (!SelectAlbums(albums, options.Albums, content.Albums, error)) {
        error += " in " + folders.AlbumDir;
        return false;
    }
    content.AlbumDir = folders.AlbumDir;
    content.ImageDir = folders.ImageDir;
    content.ThumbDir = folders.ThumbDir;
    content.Title = options.Title;
    content.ViewerPath = options.Viewer.empty() ? DefaultViewerPath() : options.Viewer;
    content.WebPages = options.WebPages;
    return true;
}

// Starts a job with `start` and waits for its end, passing Ctrl-C on as an abort; the job's
// error text. `label` heads the progress line.
std::string RunJobToEnd(TMCDBurner& burner, const std::string& label, const std::function<void()>& start) {
    std::promise<std::string> done;
    burner.OnWriteDone = [&done](TMCDBurner*, const std::string& error) { done.set_value(error); };
    std::atomic<bool> finalizing{false};
    burner.OnFinalizingTrack = [&finalizing](TMCDBurner*) { finalizing = true; };
    const bool progress = isatty(STDERR_FILENO) == 1;
    PrintDriveWaits(burner, std::cerr, progress);
    TJobInterrupts interrupts;
    start();
    std::future<std::string> result = done.get_future();
    while (result.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready) {
        if (StopSignal) {
            StopSignal = 0;
            if (interrupts.ShouldAbort(finalizing, std::cerr)) burner.AbortWrite();
        }
        if (progress) ShowProgress(burner, label);
    }
    if (progress) {
        ShowProgress(burner, label);
        std::fputc('\n', stderr);
    }
    burner.WaitForJob();
    return result.get();
}

// Every file the tree left off the disc, without --verbose too: one line each and the count.
void ReportLeftOut(const TMCDBurner& burner) {
    for (const std::string& line : LeftOutReport(burner.LeftOutFiles())) std::cerr << "fotolark-disc: " << line << "\n";
}

int RunJob(const TDiscOptions& options) {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    TAlbumList albums;
    TDiscContent content;
    std::string error;
    if (!ContentFor(options, albums, content, error)) return Fail(error);
    if (!options.IsoFile.empty()) {
        const std::string refusal = ImageTargetRefusal(options.IsoFile, content);
        if (!refusal.empty()) {
            std::cerr << "fotolark-disc: " << refusal << "\n";
            return 2;
        }
    }
    if (!fs::exists(content.ViewerPath))
        std::cerr << "fotolark-disc: warning: the album viewer " << content.ViewerPath
                  << " is missing; the disc will have none\n";

    TMCDBurner burner;
    ApplyBurnerSettings(burner);
    burner.IdVolume = VolumeIdFor(options.Title);
    burner.Verify = options.Verify && !options.TestWrite;
    if (options.Verbose) {
        burner.OnDebugMessage = [](TSCSIDevice*, const std::string& text, uint8_t) { std::cerr << text << "\n"; };
        burner.OnAddFile = [](TMCDBurner*, const std::string&, std::string& longName, std::string&, TDateTime&,
                              int32_t, int64_t, bool&) { std::cerr << AddingFileMessage(longName) << "\n"; };
    }
    const bool toDrive = options.DriveLetter != 0;
    if (toDrive) {
        if (!OpenRecorder(burner, options.DriveLetter, error)) return Fail(error);
        PrintDriveWaits(burner, std::cerr, false);  // the job's progress line comes later
        ApplyDriveJobSettings(burner, options.TestWrite);
        if (!WaitForDisc(burner, StopSignal)) return Fail("Error: OPERATION ABORTED BY USER");
    }
    TDiscTempFiles temp;
    if (!temp.Create()) return Fail("can't create a folder in " + TDiscTempFiles::SystemTempFolder());
    bool jobRan = false;
    if (BuildDiscContent(burner, content, temp, error)) {
        ReportLeftOut(burner);
        burner.PrepareImage(!toDrive);
        if (StopSignal) {
            error = "Error: OPERATION ABORTED BY USER";
        } else if (toDrive && !ImageFitsOnDisc(burner)) {
            error = kNotEnoughSpaceText;
        } else if (toDrive && TestWriteRefused(burner)) {
            error = kNoTestWriteText;
        } else {
            jobRan = true;
            error = toDrive ? RunJobToEnd(burner, "Writing the CD", [&] { burner.BurnCD(); })
                            : RunJobToEnd(burner, "Creating " + options.IsoFile,
                                          [&] { burner.WriteISOFile(options.IsoFile); });
            if (!error.empty()) error = "Error: " + error;
        }
    }
    EndDiscJob(burner, temp);
    // Handing the disc back waits for the drive; Ctrl-C may end the tool there.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (toDrive && jobRan) EndDriveJob(burner);
    if (!error.empty()) return Fail(error);
    if (burner.Verified()) std::cerr << "fotolark-disc: CD created and verified.\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    TDiscOptions options;
    std::string error;
    if (!ParseDiscOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "fotolark-disc: " << error << "\n\n" << DiscUsageText();
        return 2;
    }
    if (options.Help) {
        std::cout << DiscUsageText();
        return 0;
    }
    if (options.Version) {
        std::cout << "fotolark-disc " FOTOLARK_VERSION "\n";
        return 0;
    }
    if (options.ListDrives) {
        TMCDBurner burner;
        std::cout << DriveListText(burner);
        return 0;
    }
    if (!options.Compare.empty()) return RunCompare(options);
    return RunJob(options);
}
