// Window tests need one QApplication for the whole program.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);  // also when ctest lists the tests
    // No scanner backends: the window's scanner search ends at once.
    const std::string noScanners = std::filesystem::temp_directory_path() / "fotolark-no-sane-backends";
    std::filesystem::create_directories(noScanners);
    setenv("SANE_CONFIG_DIR", noScanners.c_str(), 0);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
