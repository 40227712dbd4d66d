#include "mainform.h"

#include <QApplication>

#include <cstdio>
#include <string_view>

namespace {

constexpr const char* kUsageText =
    "Usage: fotolark [Qt options]\n"
    "\n"
    "Keeps photos in albums with a caption and notes, takes images in from files and\n"
    "scanners, edits the current image, and writes chosen albums to a CD/DVD or an ISO\n"
    "image. fotolark-disc writes albums to a disc or an image without the window.\n"
    "\n"
    "  --help      show this text\n"
    "  --version   show the version\n"
    "\n"
    "Qt's own options, such as -platform or -style, are passed on to Qt.\n";

// --help and --version are answered before Qt starts, so that they work without a display.
// True when one was given and answered.
bool AnsweredInformationOption(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--version") {
            std::printf("fotolark %s\n", FOTOLARK_VERSION);
            return true;
        }
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsageText, stdout);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (AnsweredInformationOption(argc, argv)) return 0;
    QApplication application(argc, argv);
    QApplication::setApplicationName("Fotolark");
    QApplication::setApplicationVersion(FOTOLARK_VERSION);
    // Lets the desktop match the window with its menu entry (and its icon) on Wayland too.
    QApplication::setDesktopFileName(FOTOLARK_APP_ID);
    TMainForm window;
    window.show();
    return application.exec();
}
