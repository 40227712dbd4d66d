// The scan dialog, the source menu and a whole scan, against SANE's "test" backend.
#include "prefs.h"
#include "scan_area_view.h"
#include "scan_commands.h"
#include "scan_dialog.h"
#include "scan_test_support.h"
#include "scratch_settings.h"
#include "hang_guard.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <sane/saneopts.h>

namespace {

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

// The dialog on test:0, opened for one test.
class ScanDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FTest.Opened()); }
    // Options the user cannot reach in the dialog (the test backend's own).
    void Prepare(const std::function<void(TSaneOptions&)>& set) {
        TSaneOptions options(FTest.Api(), FTest.Device());
        set(options);
    }
    TScanDialog& Dialog() {
        if (!FDialog) {
            FDialog = std::make_unique<TScanDialog>(FApi, FTest.Device(), "test:0");
            FDialog->show();
        }
        return *FDialog;
    }
    template <typename T>
    T* Control(const char* name) {
        return Dialog().findChild<T*>(name);
    }
    void Click(const char* button) {
        QAbstractButton* control = Control<QAbstractButton>(button);
        ASSERT_TRUE(control);
        control->click();
    }

    TOpenTestDevice FTest;
    // The dialog's view of the backend; see StopReadersOnlyOnceEnded.
    TSaneApi FApi = StopReadersOnlyOnceEnded(FTest.Api());
    std::unique_ptr<TScanDialog> FDialog;
};

TEST_F(ScanDialogTest, ControlsComeFromTheDeviceOptions) {
    EXPECT_EQ(Dialog().windowTitle(), "Scan from test:0");
    EXPECT_EQ(Items(Control<QComboBox>("cbxMode")), (QStringList{"Gray", "Color"}));
    EXPECT_EQ(Control<QComboBox>("cbxMode")->currentText(), "Gray");
    EXPECT_EQ(Items(Control<QComboBox>("cbxSource")), (QStringList{"Flatbed", "Automatic Document Feeder"}));
    EXPECT_EQ(Items(Control<QComboBox>("cbxDepth")), (QStringList{"1", "8", "16"}));
    EXPECT_TRUE(Items(Control<QComboBox>("cbxResolution")).contains("1200"));
    EXPECT_EQ(Control<QComboBox>("cbxResolution")->currentText(), "50");
    auto* right = Control<QDoubleSpinBox>("edRight");
    EXPECT_EQ(right->value(), 80);
    EXPECT_EQ(right->maximum(), 300);
    EXPECT_EQ(right->suffix(), " mm");
    for (const char* button : {"btnPreview", "btnScan", "btnCancel"}) EXPECT_TRUE(Control<QAbstractButton>(button)) << button;
}

TEST_F(ScanDialogTest, ScanWithChosenModeAndResolution) {
    emit Control<QComboBox>("cbxMode")->textActivated("Color");
    emit Control<QComboBox>("cbxResolution")->textActivated("75");
    Control<QDoubleSpinBox>("edRight")->setValue(40);
    Prepare([](TSaneOptions& options) { options.SetText("test-picture", "Color pattern"); });
    Click("btnScan");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Dialog().isVisible(); }, HangGuardMs));
    EXPECT_EQ(Dialog().result(), QDialog::Accepted);
    const auto& page = Dialog().Outcome().Page;
    ASSERT_TRUE(page);
    EXPECT_EQ(page->Width(), 118);   // 40 mm at 75 dpi
    EXPECT_EQ(page->Height(), 295);  // 100 mm at 75 dpi
    const TColor32* pixels = page->Bits();
    EXPECT_TRUE(std::any_of(pixels, pixels + page->PixelCount(),
                            [](TColor32 pixel) { return RedOf(pixel) != BlueOf(pixel); }));
}

TEST_F(ScanDialogTest, ValuesFollowTheDeviceAfterASet) {
    Control<QDoubleSpinBox>("edRight")->setValue(290);
    EXPECT_EQ(Control<QDoubleSpinBox>("edRight")->value(), 290);
    // The area dragged on the preview is set on the device and shown in the boxes.
    Dialog().findChild<TScanAreaView*>("FAreaView")->OnAreaDragged(QRectF(10.4, 20, 30, 40));
    EXPECT_EQ(Control<QDoubleSpinBox>("edLeft")->value(), 10);  // the device takes whole millimetres
    EXPECT_EQ(Control<QDoubleSpinBox>("edBottom")->value(), 60);
    // Three-pass becomes available in colour: the dialog re-reads the options.
    emit Control<QComboBox>("cbxMode")->textActivated("Color");
    EXPECT_EQ(Control<QComboBox>("cbxMode")->currentText(), "Color");
}

TEST_F(ScanDialogTest, CancelStopsARunningScanAndKeepsTheDialog) {
    FApi = FTest.Api();  // the cancel must reach the backend while its reader still writes
    Prepare([](TSaneOptions& options) {  // a page that takes seconds to arrive
        options.SetNumber(SANE_NAME_SCAN_RESOLUTION, 300);
        options.SetBool("read-delay", true);
        options.SetNumber("read-delay-duration", 200000);
    });
    Click("btnScan");
    EXPECT_TRUE(Dialog().Scanning());
    EXPECT_TRUE(Control<QProgressBar>("pbProgress")->isVisible());
    EXPECT_FALSE(Control<QAbstractButton>("btnScan")->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Control<QProgressBar>("pbProgress")->value() > 0; }, HangGuardMs));
    Click("btnCancel");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Dialog().Scanning(); }, HangGuardMs));
    EXPECT_TRUE(Dialog().isVisible());
    EXPECT_TRUE(Control<QAbstractButton>("btnScan")->isEnabled());
    EXPECT_FALSE(Dialog().Outcome().Page);
    Click("btnCancel");
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(Dialog().Outcome().Status, SANE_STATUS_CANCELLED);
}

TEST_F(ScanDialogTest, ReadErrorClosesWithoutAPage) {
    Prepare([](TSaneOptions& options) { options.SetText("read-return-value", "SANE_STATUS_JAMMED"); });
    Click("btnScan");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Dialog().isVisible(); }, HangGuardMs));
    EXPECT_EQ(Dialog().result(), QDialog::Rejected);
    EXPECT_EQ(Dialog().Outcome().Status, SANE_STATUS_JAMMED);
    EXPECT_FALSE(Dialog().Outcome().Page);
}

TEST_F(ScanDialogTest, PreviewShowsTheBedAndKeepsTheSettings) {
    emit Control<QComboBox>("cbxResolution")->textActivated("300");
    QApplication::processEvents();  // the dialog settles at its first size
    const QSize size = Dialog().size();
    const QPoint scanButton = Control<QWidget>("btnScan")->mapTo(&Dialog(), QPoint());
    Click("btnPreview");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Dialog().Scanning(); }, HangGuardMs));
    const QImage& picture = Dialog().findChild<TScanAreaView*>("FAreaView")->Picture();
    ASSERT_FALSE(picture.isNull());
    EXPECT_NEAR(picture.height(), 300, 10);  // the whole 300 mm bed in a small picture
    EXPECT_EQ(Control<QComboBox>("cbxResolution")->currentText(), "300");
    EXPECT_EQ(Control<QDoubleSpinBox>("edRight")->value(), 80);
    EXPECT_TRUE(Dialog().isVisible());
    QApplication::processEvents();
    EXPECT_EQ(Dialog().size(), size) << "the dialog keeps its size";
    EXPECT_EQ(Control<QWidget>("btnScan")->mapTo(&Dialog(), QPoint()), scanButton) << "Scan stays under the pointer";
}

// The scan dialog as a user meets it: "&Scan" opens it for the stored source.
TEST(ScanCommands, ScanOnePageUsesTheStoredSource) {
    const TScratchSettings settings;
    ScanSourceMenuClick("test:1");
    TScanSourceList sources;
    sources.Start();
    QString title;
    // Clicks Scan as soon as the dialog is up (after the wait for the source list).
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        auto* dialog = dynamic_cast<TScanDialog*>(QApplication::activeModalWidget());
        if (!dialog || !title.isEmpty()) return;
        title = dialog->windowTitle();
        dialog->findChild<QAbstractButton*>("btnScan")->click();
    });
    clicker.start(20);
    TAcquireImage scanner;
    const auto page = ScanOnePage(scanner, sources, nullptr);
    EXPECT_EQ(title, "Scan from test:1");
    ASSERT_TRUE(page);
    EXPECT_EQ(AlphaOf(page->Pixel(0, 0)), 255u);
}

TEST(ScanCommands, SourceMenuChecksTheStoredSourceAndStoresAChoice) {
    const TScratchSettings settings;
    ScanSourceMenuClick("test:1");
    QMenu menu;
    FillScanSourceMenu(&menu, {"test:0", "test:1", "A&B"});
    const QList<QAction*> items = menu.actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[2]->text(), "A&&B");
    EXPECT_FALSE(items[0]->isChecked());
    EXPECT_TRUE(items[1]->isChecked());
    items[0]->trigger();
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_FALSE(items[1]->isChecked());
    EXPECT_EQ(TPrefs().Scansource, "test:0");

    ScanSourceMenuClick("TEST:0");  // only the exact name is checked
    FillScanSourceMenu(&menu, {"test:0", "test:1"});
    for (QAction* item : menu.actions()) EXPECT_FALSE(item->isChecked());
    FillScanSourceMenu(&menu, {});
    EXPECT_TRUE(menu.actions().isEmpty());
}

TEST(ScanCommands, FirstStartTakesTheFirstSource) {
    const TScratchSettings settings;
    CompleteScanSource({});
    EXPECT_EQ(TPrefs().Scansource, "");
    CompleteScanSource({"test:0", "test:1"});
    EXPECT_EQ(TPrefs().Scansource, "test:0");
    ScanSourceMenuClick("test:1");
    CompleteScanSource({"test:0", "test:1"});  // a stored source stays
    EXPECT_EQ(TPrefs().Scansource, "test:1");
}

TEST(ScanCommands, SourceListArrivesFromTheWorker) {
    TScanSourceList sources;
    bool signalled = false;
    QObject::connect(&sources, &TScanSourceList::SourcesListed, [&] { signalled = true; });
    EXPECT_FALSE(sources.Listed());
    sources.Start();
    sources.Start();  // once per run
    ASSERT_TRUE(QTest::qWaitFor([&] { return signalled; }, HangGuardMs));
    EXPECT_TRUE(sources.Listed());
    EXPECT_EQ(sources.Names(), (std::vector<std::string>{"test:0", "test:1"}));
}

} // namespace
