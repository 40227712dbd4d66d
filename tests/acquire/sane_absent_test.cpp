// Scanning without devices (an empty dll.conf) and without SANE itself.
#include "acquire_image.h"

#include <gtest/gtest.h>

namespace {

TEST(NoScanner, NoDevicesFindsNothing) {
    EXPECT_TRUE(ListScanSources().empty());
    TAcquireImage scanner;
    scanner.SHOWhideUI = false;
    std::vector<int> stages;
    scanner.OnTwainError = [&](TAcquireImage*, int stage, int) { stages.push_back(stage); };
    ASSERT_TRUE(scanner.LoadSourceManager());
    EXPECT_EQ(scanner.OpenSourceManager(), 0);
    EXPECT_EQ(scanner.GetSourceName(true), "");
    EXPECT_NE(scanner.SelectSource(""), 0);
    EXPECT_NE(scanner.OpenSource(), 0);
    EXPECT_FALSE(scanner.AcquireBitmap());
    EXPECT_EQ(scanner.CloseSourceManager(), 0);
    scanner.UnloadSourceManager();
    EXPECT_EQ(stages, (std::vector<int>{tsSourceIdentity, tsOpenSource}));
}

TEST(NoScanner, MissingLibraryQuietlyFindsNothing) {
    TAcquireImage scanner;
    scanner.LibraryName = "libsane-not-installed.so.1";
    bool reported = false;
    scanner.OnTwainError = [&](TAcquireImage*, int, int) { reported = true; };
    EXPECT_FALSE(scanner.LoadSourceManager());
    EXPECT_EQ(scanner.OpenSourceManager(), 1);
    EXPECT_TRUE(scanner.GetSourceList().empty());
    EXPECT_EQ(scanner.GetSourceName(true), "");
    EXPECT_EQ(scanner.SelectSource("test:0"), 1);
    EXPECT_EQ(scanner.OpenSource(), 1);
    EXPECT_FALSE(scanner.AcquireBitmap());
    EXPECT_EQ(scanner.CloseSourceManager(), 1);
    scanner.UnloadSourceManager();
    EXPECT_FALSE(reported);
    EXPECT_TRUE(ListScanSources("libsane-not-installed.so.1").empty());
}

} // namespace
