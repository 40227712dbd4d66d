// Scanning against SANE's own "test" backend (two devices, test:0 and test:1).
#include "hang_guard.h"
#include "scan_test_support.h"

#include <gtest/gtest.h>

#include <sane/saneopts.h>

#include <chrono>
#include <csignal>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using ::testing::TestWithParam;
using ::testing::Values;

TEST(SaneSources, ListsBothTestDevices) {
    EXPECT_EQ(ListScanSources(), (std::vector<std::string>{"test:0", "test:1"}));
}

TEST(SaneSources, DefaultSourceIsTheStoredOneWhenListedElseTheFirst) {
    const std::vector<std::string> sources{"test:0", "test:1"};
    EXPECT_EQ(ChooseDefaultSource(sources, "test:1"), "test:1");
    EXPECT_EQ(ChooseDefaultSource(sources, "TEST:1"), "test:1");
    EXPECT_EQ(ChooseDefaultSource(sources, "gone:0"), "test:0");
    EXPECT_EQ(ChooseDefaultSource(sources, ""), "test:0");
    EXPECT_EQ(ChooseDefaultSource({}, "test:1"), "");
}

TEST(SaneSources, ScanningOpensTheStoredSource) {
    TAcquireImage scanner;
    scanner.DefaultSource = "test:1";
    ASSERT_TRUE(scanner.LoadSourceManager());
    ASSERT_EQ(scanner.OpenSourceManager(), 0);
    EXPECT_EQ(scanner.SelectSource(scanner.GetSourceName(true)), 0);
    EXPECT_EQ(scanner.SelectedSource(), "test:1");
    EXPECT_EQ(scanner.OpenSource(), 0);
    EXPECT_EQ(scanner.CloseSourceManager(), 0);
    EXPECT_EQ(scanner.GetConditionCode(), 1);
}

// One kind of page: the options to set, and the same settings for scanimage.
struct TPageCase {
    const char* Name;
    std::vector<std::pair<std::string, std::string>> Options;
};

void PrintTo(const TPageCase& page, std::ostream* out) {
    *out << page.Name;
}

class SanePage : public TestWithParam<TPageCase> {};

TEST_P(SanePage, DecodesLikeScanimage) {
    const TPageCase& page = GetParam();
    std::vector<std::string> arguments{"-d", "test:0", "--format=pnm", "--resolution", "30",
                                       "--test-picture", "Color pattern"};
    for (const auto& [name, value] : page.Options) arguments.push_back("--" + name + "=" + value);
    const TBitmap32 expected = DecodePnm(RunScanimage(arguments));
    ASSERT_FALSE(expected.Empty()) << "scanimage gave no picture";

    const auto scanned = ScanTestPage("test:0", [&](TSaneOptions& options) {
        options.SetNumber(SANE_NAME_SCAN_RESOLUTION, 30);
        options.SetText("test-picture", "Color pattern");
        for (const auto& [name, value] : page.Options) {
            if (options.IsText(name)) options.SetText(name, value);
            else if (value == "yes" || value == "no") options.SetBool(name, value == "yes");
            else options.SetNumber(name, std::stod(value));
        }
    });
    ASSERT_TRUE(scanned);
    EXPECT_EQ(scanned->Width(), expected.Width());
    EXPECT_EQ(scanned->Height(), expected.Height());
    EXPECT_TRUE(*scanned == expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SanePage,
    Values(TPageCase{"Colour", {{"mode", "Color"}}},
           TPageCase{"Gray", {{"mode", "Gray"}}},
           TPageCase{"ThreePass", {{"mode", "Color"}, {"three-pass", "yes"}, {"three-pass-order", "BGR"}}},
           TPageCase{"LineArt", {{"mode", "Gray"}, {"depth", "1"}}},
           TPageCase{"Colour16", {{"mode", "Color"}, {"depth", "16"}}},
           TPageCase{"Gray16", {{"mode", "Gray"}, {"depth", "16"}}},
           TPageCase{"HandScanner", {{"mode", "Color"}, {"hand-scanner", "yes"}}},
           TPageCase{"ShortReads", {{"mode", "Color"}, {"read-limit", "yes"}, {"read-limit-size", "7"}}}),
    [](const auto& info) { return std::string(info.param.Name); });

// The same picture at another depth decodes to the same page as at 8 bits. Line art is
// compared on solid pictures only: its lines are thresholded differently.
TEST(SanePage, OtherDepthsDecodeToTheEightBitPage) {
    const auto scan = [](const char* mode, const char* picture, double depth) {
        return ScanTestPage("test:0", [&](TSaneOptions& options) {
            options.SetText(SANE_NAME_SCAN_MODE, mode);
            options.SetNumber(SANE_NAME_BIT_DEPTH, depth);
            options.SetText("test-picture", picture);
        });
    };
    const struct {
        const char* Mode;
        const char* Picture;
        double Depth;
    } cases[] = {
        {"Gray", "Grid", 16},          {"Color", "Grid", 16},        {"Gray", "Solid white", 1},
        {"Gray", "Solid black", 1},    {"Color", "Solid white", 1},  {"Color", "Solid black", 1},
    };
    for (const auto& page : cases) {
        const auto eight = scan(page.Mode, page.Picture, 8);
        const auto other = scan(page.Mode, page.Picture, page.Depth);
        ASSERT_TRUE(eight && other);
        EXPECT_TRUE(*eight == *other) << page.Mode << " " << page.Picture << " at " << page.Depth << " bits";
    }
}

// Lines longer than their pixels: scanimage would write the padding, so the page
// is compared with the same page scanned without padding.
TEST(SanePage, PaddingAtLineEndsIsSkipped) {
    const auto scan = [](double loss) {
        return ScanTestPage("test:0", [&](TSaneOptions& options) {
            options.SetNumber(SANE_NAME_SCAN_RESOLUTION, 30);
            options.SetText("test-picture", "Grid");
            options.SetNumber("ppl-loss", loss);
        });
    };
    const auto padded = scan(5);
    const auto plain = scan(0);
    ASSERT_TRUE(padded && plain);
    ASSERT_EQ(padded->Width() + 5, plain->Width());
    ASSERT_EQ(padded->Height(), plain->Height());
    for (int y = 0; y < padded->Height(); ++y)
        for (int x = 0; x < padded->Width(); ++x)
            ASSERT_EQ(padded->Pixel(x, y), plain->Pixel(x, y)) << x << "," << y;
}

TEST(SanePage, FeederKeepsTheLastPage) {
    TScanOutcome outcome;
    const auto page = ScanTestPage("test:0", [](TSaneOptions& options) {
        options.SetText(SANE_NAME_SCAN_SOURCE, "Automatic Document Feeder");
        options.SetNumber(SANE_NAME_SCAN_RESOLUTION, 10);
    }, &outcome);
    ASSERT_TRUE(page);
    EXPECT_EQ(outcome.Status, SANE_STATUS_GOOD);
    EXPECT_EQ(outcome.Pages, 10);  // the test backend's feeder holds ten pages
    EXPECT_FALSE(page->Empty());
}

// Scans once with the test backend answering `status` to every read; 0 when the scan ended
// without a page and reported exactly that status at the transfer stage, else the number of
// the check that failed.
int ScanEndingWith(const char* status) {
    TScriptedScan dialog([&](TSaneOptions& options) { options.SetText("read-return-value", status); });
    TAcquireImage scanner;
    scanner.UserInterface = &dialog;
    std::vector<std::pair<int, int>> errors;
    scanner.OnTwainError = [&](TAcquireImage*, int stage, int code) { errors.emplace_back(stage, code); };
    if (!scanner.LoadSourceManager()) return 1;
    scanner.OpenSourceManager();
    scanner.SelectSource("test:0");
    scanner.OpenSource();
    if (scanner.AcquireBitmap()) return 2;
    if (errors.size() != 1) return 3;
    if (errors[0].first != tsTransfer || errors[0].second != int(dialog.Outcome.Status)) return 4;
    if (scanner.GetConditionCode() != int(dialog.Outcome.Status) + 0x8000) return 5;
    scanner.UnloadSourceManager();
    return 0;
}

// Each scan runs in a child process, so that a scan caught in a backend deadlock fails this
// test (-1) instead of stopping the test program.
int ScanEndingWithInChild(const char* status) {
    const pid_t child = fork();
    if (child == 0) _exit(ScanEndingWith(status));
    const auto giveUp = std::chrono::steady_clock::now() + kHangGuard;
    while (std::chrono::steady_clock::now() < giveUp) {
        int result = 0;
        if (waitpid(child, &result, WNOHANG) == child) return WIFEXITED(result) ? WEXITSTATUS(result) : 100;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return -1;
}

TEST(SanePage, ReadErrorsEndTheScanWithoutAPage) {
    for (const char* status : {"SANE_STATUS_JAMMED", "SANE_STATUS_NO_DOCS", "SANE_STATUS_COVER_OPEN",
                               "SANE_STATUS_IO_ERROR"})
        EXPECT_EQ(ScanEndingWithInChild(status), 0) << status;
}

TEST(SanePage, CancelStopsARunningScan) {
    const TOpenTestDevice test;
    ASSERT_TRUE(test.Opened());
    {
        TSaneOptions options(test.Api(), test.Device());
        // A page that takes seconds to arrive.
        options.SetText(SANE_NAME_SCAN_MODE, "Color");
        options.SetNumber(SANE_NAME_SCAN_RESOLUTION, 300);
        options.SetBool("read-delay", true);
        options.SetNumber("read-delay-duration", 200000);
    }
    std::atomic<bool> cancelled{false};
    TScanProgress progress;
    TScanOutcome outcome;
    std::thread scanning([&] { outcome = ScanPages(test.Api(), test.Device(), false, cancelled, &progress); });
    while (progress.Received == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    cancelled = true;
    test.Api().cancel(test.Device());
    scanning.join();
    EXPECT_EQ(outcome.Status, SANE_STATUS_CANCELLED);
    EXPECT_FALSE(outcome.Page);
    EXPECT_LT(progress.Received, progress.Expected);
}

TEST(SaneOptions, ValuesAreClampedToTheDevice) {
    const TOpenTestDevice test;
    ASSERT_TRUE(test.Opened());
    TSaneOptions options(test.Api(), test.Device());
    EXPECT_EQ(options.SetNumber(SANE_NAME_SCAN_RESOLUTION, 5000), SANE_STATUS_GOOD);
    EXPECT_EQ(options.Number(SANE_NAME_SCAN_RESOLUTION), 1200);
    options.SetNumber(SANE_NAME_SCAN_RESOLUTION, 0.2);
    EXPECT_EQ(options.Number(SANE_NAME_SCAN_RESOLUTION), 1);
    options.SetNumber(SANE_NAME_BIT_DEPTH, 12);  // listed: 1, 8, 16
    EXPECT_EQ(options.Number(SANE_NAME_BIT_DEPTH), 8);
    options.SetNumber(SANE_NAME_SCAN_BR_X, -20);
    EXPECT_EQ(options.Number(SANE_NAME_SCAN_BR_X), 0);
    EXPECT_EQ(options.SetText(SANE_NAME_SCAN_MODE, "Bogus"), SANE_STATUS_INVAL);

    // Colour makes three-pass available: the device asks for its options to be re-read.
    EXPECT_FALSE(options.Settable("three-pass"));
    EXPECT_EQ(options.SetText(SANE_NAME_SCAN_MODE, "color"), SANE_STATUS_GOOD);
    EXPECT_TRUE(options.ReloadedByLastSet());
    EXPECT_EQ(options.Text(SANE_NAME_SCAN_MODE), "Color");
    EXPECT_TRUE(options.Settable("three-pass"));
}

} // namespace
