// Window tests need one QApplication for the whole program.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);  // also when ctest lists the tests
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
