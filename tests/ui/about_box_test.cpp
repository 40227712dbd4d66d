// The About box shows the version the build was given.
#include "about_box.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

TEST(AboutBoxTest, ShowsTheBuildVersion) {
    QStringList texts;
    // Runs once the box's own event loop does; every dialog shown then is closed, so that
    // the test cannot hang on it.
    QTimer::singleShot(0, [&texts] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QDialog*>(window); box && box->isVisible()) {
                EXPECT_EQ(box->objectName(), "FAboutDlg");
                EXPECT_EQ(box->windowTitle(), "About Fotolark");
                for (const QLabel* label : box->findChildren<QLabel*>()) texts << label->text();
                box->accept();
            }
    });
    ShowAboutBox(nullptr);
    EXPECT_TRUE(texts.contains("Version " FOTOLARK_VERSION)) << texts.join(" | ").toStdString();
    EXPECT_TRUE(texts.contains("Organize your photos and store them on a CD"));
}
