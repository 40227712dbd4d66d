#include "disc_drive.h"

#include "writable_media.h"
#include "recorder_steps.h"
#include "transport.h"

#include <chrono>
#include <iostream>
#include <thread>


bool OpenRecorder(TMCDBurner& burner, char letter, std::string& error) {
    if (!burner.InitializeASPI(true)) {
        error = "no CD/DVD drive can be reached";
        return false;
    }
    if (!SelectRecorder(burner, std::string(1, letter) + ":")) {
        error = std::string("no CD/DVD drive at ") + letter + ":";
        return false;
    }
    return true;
}

bool WaitForDisc(TMCDBurner& burner, const volatile std::sig_atomic_t& stop) {
    if (burner.WaitReady(10000, 5000)) return true;
    std::cerr << "fotolark-disc: make sure a blank CD-R is in the CD-R/RW drive; waiting for it "
                 "(Ctrl-C gives up)\n";
    while (!stop && !burner.TestUnitReady(5000)) std::this_thread::sleep_for(std::chrono::seconds(1));
    return !stop;
}

std::string DriveListText(TMCDBurner& burner) {
    if (!burner.InitializeASPI(true) || burner.DeviceList().empty()) return "No CD/DVD drives found.\n";
    const bool nodes = TransportName() == "PTASPI32";
    std::string text;
    for (const std::string& id : burner.DeviceList()) {
        burner.SelectDevice(id);
        text += id;
        const char letter = id.size() > 7 ? id[6] : '?';
        if (nodes && letter >= 'D' && letter <= 'Z') text += " (/dev/sr" + std::to_string(letter - 'D') + ")";
        text += "\n    " + WritableMediaText(burner) + "\n";
    }
    return text;
}

void PrintDriveWaits(TMCDBurner& burner, std::ostream& out, bool afterProgress) {
    burner.OnDriveWait = [&out, afterProgress](TSCSIDevice*, int seconds) {
        if (seconds > 0) out << (afterProgress ? "\n" : "") << "fotolark-disc: " << DriveWaitMessage(seconds) << std::endl;
    };
}

bool TJobInterrupts::ShouldAbort(bool finalizing, std::ostream& out) {
    if (!finalizing || FWarned) return true;
    FWarned = true;
    out << "\nfotolark-disc: " << kAbortWhileFinalizingText << " Press Ctrl-C again to abort." << std::endl;
    return false;
}
