#include "disc_drive.h"

#include "recorder_steps.h"
#include "transport.h"

#include <chrono>
#include <iostream>
#include <thread>

namespace {

std::string WritingCapabilities(uint16_t capabilities) {
    const struct {
        uint16_t Bit;
        const char* Name;
    } kinds[] = {{cpCDRWrite, "CD-R"}, {cpCDRWWrite, "CD-RW"}, {cpDVDRWrite, "DVD-R/RW"}, {cpDVDRAMWrite, "DVD-RAM"}};
    std::string media;
    for (const auto& kind : kinds)
        if (capabilities & kind.Bit) media += (media.empty() ? "" : ", ") + std::string(kind.Name);
    if (media.empty()) return "writes nothing";
    std::string text = "writes " + media;
    if (capabilities & cpTestWrite) text += "; test writes";
    if (capabilities & cpUnderrunProtection) text += "; buffer underrun protection";
    return text;
}

} // namespace

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
        text += "\n    " + WritingCapabilities(burner.Capabilities()) + "\n";
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
