// Settings in a real settings file, file naming and storage folders.
#include "file_names.h"
#include "prefs.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class Prefs : public ::testing::Test {
protected:
    void SetUp() override {
        OpenSettings()->clear();
        folder = fs::temp_directory_path() / ("fotolark-prefs-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    void Put(const QString& key, const QString& value) { OpenSettings()->setValue(key, value); }

    fs::path folder;
};

} // namespace

TEST_F(Prefs, DefaultsWhenNothingIsStored) {
    TPrefs prefs;
    EXPECT_EQ(prefs.CDWriter, "");
    EXPECT_EQ(prefs.BaseDir, "");
    EXPECT_EQ(prefs.Quality, 100);
    EXPECT_EQ(prefs.Filenum, 0);
    EXPECT_EQ(prefs.AlbumWidth, 185);
    EXPECT_EQ(prefs.ImgState, 0);
    EXPECT_TRUE(prefs.ModTools.Visible);
    EXPECT_EQ(prefs.ModTools.Left, -1);
    EXPECT_EQ(prefs.ModTools.Top, -1);
    EXPECT_TRUE(prefs.WebIndex);
}

TEST_F(Prefs, WebIndexIsAFlagBesideTheOtherPrefs) {
    for (const auto& [stored, value] : {std::pair{"0", false}, {"1", true}, {"no", true}}) {
        Put("Prefs/WebIndex", stored);
        EXPECT_EQ(TPrefs().WebIndex, value) << stored;
    }
    TPrefs prefs;
    prefs.WebIndex = false;
    prefs.Save();
    EXPECT_EQ(OpenSettings()->value("Prefs/WebIndex").toString(), "0");
    EXPECT_FALSE(TPrefs().WebIndex);
}

TEST_F(Prefs, MalformedNumbersReadAsDefaults) {
    Put("Prefs/Quality", "high");
    Put("Prefs/Filenum", "12abc");
    Put("Window/MainWindow/AlbumWidth", "");
    Put("Window/MainWindow/Toolbars/FileTools/Visible", "yes");
    Put("Window/MainWindow/Toolbars/FileTools/Left", "99999999999");
    TPrefs prefs;
    EXPECT_EQ(prefs.Quality, 100);
    EXPECT_EQ(prefs.Filenum, 0);
    EXPECT_EQ(prefs.AlbumWidth, 185);
    EXPECT_TRUE(prefs.FileTools.Visible);
    EXPECT_EQ(prefs.FileTools.Left, -1);

    const struct { const char* text; int32_t value; } numbers[] = {
        {"42", 42}, {"-7", -7}, {"+3", 3}, {" 4", 0}, {"4 ", 0}, {"0x10", 0}, {"-", 0}};
    for (const auto& n : numbers) EXPECT_EQ(ParseSettingInt(n.text, 0), n.value) << n.text;
}

TEST_F(Prefs, SaveWritesEveryValueAsTextUnderItsKey) {
    TPrefs prefs;
    prefs.CDWriter = "E:";
    prefs.Scansource = "test:0";
    prefs.BaseDir = "/photos";
    prefs.Quality = 80;
    prefs.SizeTools = {false, 12, 30};
    prefs.AlbumWidth = 250;
    prefs.ImgState = 2;
    prefs.Save();

    auto settings = OpenSettings();
    EXPECT_EQ(settings->value("Prefs/CD-R/RW").toString(), "E:");
    EXPECT_EQ(settings->value("Prefs/WriteSpeed").toString(), "");
    EXPECT_TRUE(settings->contains("Prefs/WriteSpeed"));
    EXPECT_EQ(settings->value("Prefs/Quality").toString(), "80");
    EXPECT_EQ(settings->value("Window/MainWindow/Toolbars/SizeTools/Visible").toString(), "0");
    EXPECT_EQ(settings->value("Window/MainWindow/ImgState").toString(), "2");

    TPrefs reread;
    EXPECT_EQ(reread.CDWriter, "E:");
    EXPECT_EQ(reread.Scansource, "test:0");
    EXPECT_EQ(reread.BaseDir, "/photos");
    EXPECT_EQ(reread.Quality, 80);
    EXPECT_FALSE(reread.SizeTools.Visible);
    EXPECT_EQ(reread.SizeTools.Left, 12);
    EXPECT_EQ(reread.SizeTools.Top, 30);
    EXPECT_EQ(reread.AlbumWidth, 250);
}

TEST_F(Prefs, NextImageNameCountsWithinADayAndRestartsTheNext) {
    const std::string dir = folder.string() + "/";
    Put("Prefs/LastScan", "20261210");
    Put("Prefs/Filenum", "41");
    EXPECT_EQ(NextImageNameOn(dir, "20261210"), dir + "2026121000042.jpg");
    EXPECT_EQ(ReadFileNum(), 42);
    EXPECT_EQ(NextImageNameOn(dir, "20261210"), dir + "2026121000043.jpg");
    EXPECT_EQ(NextImageNameOn(dir, "20261211"), dir + "2026121100000.jpg");
    EXPECT_EQ(ReadLastScan(), "20261211");
    EXPECT_EQ(ReadFileNum(), 0);

    Put("Prefs/Filenum", "99999");
    EXPECT_EQ(NextImageNameOn(dir, "20261211"), dir + "20261211100000.jpg");
}

TEST_F(Prefs, NextImageNameSkipsNamesThatAreTaken) {
    const std::string dir = folder.string() + "/";
    std::ofstream(dir + "2026121000000.jpg") << "x";
    std::ofstream(dir + "2026121000001.jpg") << "x";
    EXPECT_EQ(NextImageNameOn(dir, "20261210"), dir + "2026121000002.jpg");
    EXPECT_EQ(ReadFileNum(), 2);
}

// A disc cannot hold two names that differ only in letter case, so such a name counts as taken.
TEST_F(Prefs, NextImageNameSkipsNamesTakenInAnotherLetterCase) {
    const std::string dir = folder.string() + "/";
    std::ofstream(dir + "2026121000000.JPG") << "x";
    std::ofstream(dir + "2026121000001.Jpg") << "x";
    EXPECT_EQ(NextImageNameOn(dir, "20261210"), dir + "2026121000002.jpg");
    EXPECT_EQ(ReadFileNum(), 2);
}

TEST_F(Prefs, NamesInAFolderAreTakenWhateverTheirLetterCase) {
    const std::string dir = folder.string() + "/";
    std::ofstream(dir + "Beach.JPG") << "x";
    const TNamesInFolder names(dir);
    for (const char* name : {"Beach.JPG", "beach.jpg", "BEACH.jpg"}) EXPECT_TRUE(names.IsTaken(name)) << name;
    for (const char* name : {"beach.jpeg", "Beach2.JPG", ""}) EXPECT_FALSE(names.IsTaken(name)) << name;
    EXPECT_FALSE(TNamesInFolder(dir + "missing/").IsTaken("Beach.JPG"));
}

// The counter is the last number used: one that cannot be counted on from reads as
// malformed, and a name never carries a sign.
TEST_F(Prefs, AnImageCounterThatCannotBeIncrementedIsMalformed) {
    const std::string dir = folder.string() + "/";
    const struct { const char* stored; const char* next; } cases[] = {
        {"2147483646", "202612102147483647.jpg"},
        {"2147483647", "2026121000001.jpg"},
        {"-1", "2026121000001.jpg"},
        {"-2147483648", "2026121000001.jpg"},
    };
    for (const auto& c : cases) {
        Put("Prefs/LastScan", "20261210");
        Put("Prefs/Filenum", c.stored);
        EXPECT_EQ(TPrefs().Filenum == 0, std::string(c.stored) != "2147483646") << c.stored;
        EXPECT_EQ(NextImageNameOn(dir, "20261210"), dir + c.next) << c.stored;
    }
}

TEST_F(Prefs, SkippingTakenNamesPastTheLastNumberStartsAgainAtZero) {
    const std::string dir = folder.string() + "/";
    std::ofstream(dir + "202612102147483647.jpg") << "x";
    Put("Prefs/LastScan", "20261210");
    Put("Prefs/Filenum", "2147483646");
    EXPECT_EQ(NextImageNameOn(dir, "20261210"), dir + "2026121000000.jpg");
    EXPECT_EQ(ReadFileNum(), 0);
}

TEST_F(Prefs, NewAlbumNameMovesToAFreeSecond) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 10;
    when.tm_hour = 23;
    when.tm_min = 59;
    when.tm_sec = 58;
    when.tm_isdst = -1;
    const std::time_t now = std::mktime(&when);
    const std::string dir = folder.string();
    EXPECT_EQ(NewAlbumName(dir, {}, now), "20261210235958.alb");
    std::ofstream(dir + "/20261210235958.alb") << "x";
    EXPECT_EQ(NewAlbumName(dir, {"20261210235959.alb"}, now), "20261211000000.alb");
}

TEST_F(Prefs, StorageFoldersBelowTheBaseFolder) {
    const TStorageFolders folders = StorageFolders(BaseFolder("/data/Photos"));
    EXPECT_EQ(folders.AlbumDir, "/data/Photos/Albums/");
    EXPECT_EQ(folders.ImageDir, "/data/Photos/Images/");
    EXPECT_EQ(folders.ThumbDir, "/data/Photos/Albums/Thumbs/");
    EXPECT_EQ(BaseFolder(""), DefaultBaseFolder());

    const TStorageFolders made = StorageFolders(folder.string() + "/base");
    CreateStorageFolders(made);
    EXPECT_TRUE(fs::is_directory(made.ThumbDir));
    EXPECT_TRUE(fs::is_directory(made.ImageDir));
}

TEST_F(Prefs, CompletionFillsOnlyEmptyValues) {
    CompleteSettings([] { return std::string("D:"); }, [] { return std::string("test:0"); });
    TPrefs first;
    EXPECT_EQ(first.BaseDir, DefaultBaseFolder());
    EXPECT_EQ(first.CDWriter, "D:");
    EXPECT_EQ(first.Scansource, "test:0");

    CompleteSettings([] { return std::string("E:"); }, [] { return std::string("other"); });
    EXPECT_EQ(TPrefs().CDWriter, "D:");
    EXPECT_EQ(TPrefs().Scansource, "test:0");
}
