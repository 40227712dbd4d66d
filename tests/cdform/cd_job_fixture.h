// Write jobs of the CD window: an image file or disc written through the window, checked
// with the public ISO readers and compared with the same layout written by fotolark-disc.
#pragma once

#include "cd_form_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>

class TCDJobTest : public TCDFormTest {
protected:
    std::string Iso = Scratch.Path() + "/out.iso";

    // Starts a job with `title` and waits for its end.
    void Write(const std::string& title, bool testWrite = false) {
        Prompts.IsoFile = QString::fromStdString(Iso);
        Form->edTitle->setText(QString::fromStdString(title));
        Form->cxTestBurn->setChecked(testWrite);
        Form->btnBurnClick();
        WaitForJobEnd();
    }

    // A photo large enough that its image cannot pass through a pipe's buffer at once.
    static std::string BigPhoto() { return PatternBytes(40 * 63488, 3); }

    // Starts a job on a layout of one album with a big photo whose image goes into a pipe that
    // nobody drains yet, so that the recording thread is certainly still writing when the
    // test acts; the pipe's reading end (not blocking).
    int StartJobIntoPipe() {
        Albums.AddAlbum("Holidays", 0, {"a.jpg"});
        std::ofstream(Albums.Folders.ImageDir + "a.jpg", std::ios::binary) << BigPhoto();
        Open();
        Form->btnCopyAllClick();
        const std::string pipe = Scratch.Path() + "/pipe.iso";
        EXPECT_EQ(mkfifo(pipe.c_str(), 0600), 0);
        const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        EXPECT_GE(reader, 0);
        Prompts.IsoFile = QString::fromStdString(pipe);
        Form->btnBurnClick();
        EXPECT_TRUE(Form->JobRunning());
        return reader;
    }

    // The layout's albums by title, in its order.
    std::vector<std::string> LayoutTitles() const {
        std::vector<std::string> titles;
        for (const TAlbum* album : Form->LBLayout->Albums()) titles.push_back(album->Title);
        return titles;
    }

    // The same layout written by the command-line tool into an image file of its own.
    std::string DiscToolImage(const std::string& title) {
        const std::string image = Scratch.Path() + "/disc-tool.iso";
        std::string command = "TMPDIR=" + Quote(TempFolder) + " " + Quote(FOTOLARK_DISC) + " --iso " + Quote(image) +
                              " --base " + Quote(Scratch.Path() + "/base") + " --viewer " + Quote(Viewer) +
                              " --title " + Quote(title);
        for (const std::string& album : LayoutTitles()) command += " --album " + Quote(album);
        const TCommandResult run = RunCommand(command);
        EXPECT_EQ(run.Status, 0) << run.Output;
        return image;
    }

    // What the public readers see of an image, without the dates: the volume descriptor, both
    // directory listings with names, sizes and places, and every file's bytes.
    static std::string DatelessView(const std::string& image) {
        std::string view;
        for (const char* options : {"-d", "-l", "-J -l"}) {
            const TCommandResult run = RunCommand(std::string("isoinfo ") + options + " -i " + Quote(image));
            EXPECT_EQ(run.Status, 0) << run.Output;
            view += std::regex_replace(run.Output, std::regex("[A-Z][a-z]{2} [ 0-9]{2} [0-9]{4}"), "<date>");
        }
        const TCommandResult files = RunCommand("bsdtar -xOf " + Quote(image) + " | sha256sum");
        EXPECT_EQ(files.Status, 0) << files.Output;
        return view + files.Output;
    }

    // The Joliet tree of `image` extracted into a folder.
    std::string Extract(const std::string& image) {
        const std::string out = Scratch.Path() + "/extracted-" + std::to_string(++FExtractions);
        const TCommandResult run = RunCommand("xorriso -abort_on FAILURE -osirrox on -read_fs norock -indev " +
                                              Quote(image) + " -extract / " + Quote(out));
        EXPECT_EQ(run.Status, 0) << run.Output;
        return out + "/";
    }

    std::string Catalogue() const {
        std::ostringstream out(std::ios::binary);
        const auto albums = Form->LBLayout->Albums();
        WriteAlbumCatalogue(out, std::vector<const TAlbum*>(albums.begin(), albums.end()));
        return out.str();
    }

    // After every job: back to editing, nothing left behind.
    void ExpectJobEndedCleanly() {
        EXPECT_TRUE(std::filesystem::is_empty(TempFolder));
        EXPECT_EQ(DirCount, 1);  // only the root
        EXPECT_EQ(FileCount, 0);
        EXPECT_TRUE(Form->btnBurn->isEnabled());
        EXPECT_TRUE(Form->btnClose->isEnabled());
        EXPECT_TRUE(Form->btnAbort->isHidden());
        EXPECT_FALSE(QApplication::overrideCursor());
        EXPECT_FALSE(Form->JobRunning());
    }

private:
    int FExtractions = 0;
};
