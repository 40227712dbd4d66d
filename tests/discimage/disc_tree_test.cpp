// The disc file tree: directories, entries, names, limits and their messages.
#include "date_time.h"
#include "disc_tables.h"
#include "disc_test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

class DiscTreeTest : public ::testing::Test {
protected:
    TScratchDir Scratch;
    TMCDBurner Burner;
    std::vector<std::string>& Messages = CaptureMessages(Burner);

    std::vector<std::string> EntryNames(const TDEntry* dir, bool longNames) const {
        std::vector<std::string> names;
        for (const TFEntry* e = dir->FirstChild; e; e = e->Next) names.push_back(longNames ? e->LongName : e->ShortName);
        return names;
    }
};

TEST_F(DiscTreeTest, ClearTreeLeavesOnlyTheRoot) {
    Burner.CreateDirPath("\\Images");
    ASSERT_TRUE(Burner.ClearTree());
    EXPECT_EQ(DirCount, 1);
    EXPECT_EQ(FileCount, 0);
    TDEntry* root = Burner.RootDir();
    EXPECT_EQ(Burner.FindDir(""), root);
    EXPECT_EQ(Burner.FindDir("\\"), root);
    EXPECT_EQ(root->ShortName, "CD_ROOT");
    EXPECT_EQ(root->LongName, "CD Root Directory");
    EXPECT_EQ(root->PathKey, "\\");
    EXPECT_EQ(root->ParentDir, root);
    EXPECT_EQ(root->FirstChild, nullptr);
    EXPECT_EQ(Burner.FindDir("\\Images"), nullptr);
}

TEST_F(DiscTreeTest, InsertDataAddsAFileHeldInMemoryUnderTheNameRules) {
    std::vector<std::string> offered;
    Burner.OnAddFile = [&](TMCDBurner*, const std::string& path, std::string& longName, std::string&, TDateTime&,
                           int32_t, int64_t size, bool&) { offered.push_back(path + " " + longName + " " + std::to_string(size)); };
    EXPECT_EQ(Burner.InsertData("\\Web", "index.html", std::make_shared<const std::string>("x")), 0);
    EXPECT_EQ(Messages.back(), "4:INVALID DESTINATION PATH");
    Burner.CreateDirPath("\\Web");
    const auto page = std::make_shared<const std::string>(5000, 'p');
    EXPECT_EQ(Burner.InsertData("\\Web", "album-1.html", page), 1);
    EXPECT_EQ(Burner.InsertData("\\web", "ALBUM-1.HTML", std::make_shared<const std::string>("other")), 1);
    EXPECT_EQ(Burner.InsertData("\\", "NOTES", std::make_shared<const std::string>("")), 1);
    EXPECT_EQ(offered, (std::vector<std::string>{"\\Web\\album-1.html album-1.html 5000", "\\Web\\ALBUM-1.HTML ALBUM-1.HTML 5",
                                                 "\\NOTES NOTES. 0"}));

    const TFEntry* entry = Burner.FindDir("\\Web")->FirstChild;
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Next, nullptr) << "a name equal but for letter case is not added twice";
    EXPECT_EQ(entry->Data, page);
    EXPECT_EQ(entry->Size, 5000);
    EXPECT_EQ(entry->ShortName, "ALBUM-~1.HTM");
    EXPECT_EQ(entry->SourcePath, "\\Web\\album-1.html");
    EXPECT_GT(entry->DateTime, 0);

    // A file from disk replacing it keeps no contents of its own.
    Burner.ReplaceFile = true;
    Burner.InsertFile("\\Web", Scratch.Write("album-1.html", "from disk"), false);
    EXPECT_EQ(entry->Data, nullptr);
    EXPECT_EQ(entry->Size, 9);
}

TEST_F(DiscTreeTest, CreateDirPathIsIdempotentAndCreatesParents) {
    TDEntry* images = Burner.CreateDirPath("\\Images");
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(Burner.CreateDirPath("\\Images"), images);
    EXPECT_EQ(DirCount, 2);
    EXPECT_EQ(FileCount, 1);
    EXPECT_EQ(images->PathKey, "\\IMAGES");

    TDEntry* b = Burner.CreateDirPath("\\A\\B");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Burner.FindDir("\\a\\b\\"), b);
    EXPECT_EQ(b->ParentDir, Burner.FindDir("\\A"));
    EXPECT_EQ(b->PathKey, "\\A\\B");
    EXPECT_EQ(Burner.FindDir("A\\B"), nullptr);  // a path without its leading "\" names nothing

    // The subdirectory entry in the parent points at the directory record.
    const TFEntry* entry = Burner.RootDir()->FirstChild;
    EXPECT_TRUE(entry->IsDirectory());
    EXPECT_EQ(entry->Dir, images);
    EXPECT_EQ(entry->Attr, faDirectory);
}

TEST_F(DiscTreeTest, TrailingBackslashCreatesTheDirectoryButReturnsNone) {
    EXPECT_EQ(Burner.CreateDirPath("\\Images\\"), nullptr);
    EXPECT_NE(Burner.FindDir("\\Images"), nullptr);
}

TEST_F(DiscTreeTest, DirectoryShortNames) {
    const struct {
        const char* Long;
        const char* Short;
    } cases[] = {
        {"Images", "IMAGES"},
        {"my photos", "MY_PHOTOS"},
        {"Ferienbilder 2004 Sommer", "FERIENBILDER_"},
        {"a{b}~c|d", "A_B__C_D"},
        {"Ferienbilder 2004 Winter", "FERIENBILDE~1"},  // same 13 characters as above: made unique
    };
    for (const auto& c : cases) {
        const TDEntry* dir = Burner.CreateDirPath(std::string("\\") + c.Long);
        ASSERT_NE(dir, nullptr) << c.Long;
        EXPECT_EQ(dir->ShortName, c.Short) << c.Long;
        EXPECT_EQ(dir->LongName, c.Long);
    }
}

TEST_F(DiscTreeTest, InsertFileResults) {
    const std::string photo = Scratch.Write("photo.jpg", "jpeg bytes");
    EXPECT_EQ(Burner.InsertFile("\\Images", photo, false), 0);
    EXPECT_EQ(Messages, std::vector<std::string>{"4:INVALID DESTINATION PATH"});

    Burner.CreateDirPath("\\Images");
    EXPECT_EQ(Burner.InsertFile("\\Images", Scratch.Path() + "/missing.jpg", false), -1);
    EXPECT_EQ(FileCount, 1);

    EXPECT_EQ(Burner.InsertFile("\\images\\", photo, false), 1);
    const TFEntry* entry = Burner.FindDir("\\Images")->FirstChild;
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->LongName, "photo.jpg");
    EXPECT_EQ(entry->ShortName, "PHOTO.JPG");
    EXPECT_EQ(entry->SourcePath, photo);
    EXPECT_EQ(entry->Size, 10);
    EXPECT_EQ(entry->JolietSize, 10);
    EXPECT_EQ(entry->Attr, 0);
}

TEST_F(DiscTreeTest, FileNamesFollowTheShortNameRules) {
    for (const char* name : {"autorun.inf", "Albums.dat", "NOTES", ".hidden", "2004061200001.jpg",
                             "2004061200002.jpg", "Strand und Meer.jpeg", "a+b.txt"})
        ASSERT_EQ(Burner.InsertFile("\\", Scratch.Write(name, "x"), false), 1) << name;
    const TDEntry* root = Burner.RootDir();
    EXPECT_EQ(EntryNames(root, false),
              (std::vector<std::string>{"AUTORUN.INF", "ALBUMS.DAT", "NOTES.", "HIDDEN~1.", "200406~1.JPG",
                                        "200406~2.JPG", "STRAND~1.JPE", "A_B~1.TXT"}));
    EXPECT_EQ(EntryNames(root, true),
              (std::vector<std::string>{"autorun.inf", "Albums.dat", "NOTES.", ".hidden", "2004061200001.jpg",
                                        "2004061200002.jpg", "Strand und Meer.jpeg", "a+b.txt"}));
    EXPECT_EQ(root->FirstChild->Next->Next->Next->Attr, faHidden);
}

TEST_F(DiscTreeTest, DuplicateInsertKeepsOneEntryAndReplaceFileUpdatesItInPlace) {
    const std::string first = Scratch.Write("one/photo.jpg", "first");
    const std::string second = Scratch.Write("two/PHOTO.JPG", "second version");
    const std::string other = Scratch.Write("other.jpg", "o");
    Burner.InsertFile("\\", first, false);
    Burner.InsertFile("\\", other, false);
    EXPECT_EQ(Burner.InsertFile("\\", second, false), 1);
    EXPECT_EQ(FileCount, 2);
    const TFEntry* entry = Burner.RootDir()->FirstChild;
    EXPECT_EQ(entry->SourcePath, first);

    Burner.ReplaceFile = true;
    EXPECT_EQ(Burner.InsertFile("\\", second, false), 1);
    EXPECT_EQ(FileCount, 2);
    EXPECT_EQ(Burner.RootDir()->FirstChild, entry);  // same record, same place in the list
    EXPECT_EQ(entry->SourcePath, second);
    EXPECT_EQ(entry->LongName, "PHOTO.JPG");
    EXPECT_EQ(entry->ShortName, "PHOTO.JPG");
    EXPECT_EQ(entry->Size, 14);
    EXPECT_EQ(entry->Next->SourcePath, other);
}

TEST_F(DiscTreeTest, ReplaceFileNeverTurnsASubdirectoryIntoAFile) {
    Burner.ReplaceFile = true;
    Burner.CreateDirPath("\\Images.");
    EXPECT_EQ(Burner.InsertFile("\\", Scratch.Write("Images", "a file"), false), 1);
    const TFEntry* entry = Burner.RootDir()->FirstChild;
    EXPECT_TRUE(entry->IsDirectory());
    EXPECT_EQ(entry->Next, nullptr);
}

TEST_F(DiscTreeTest, SavePathRecreatesTheLocalFolder) {
    const std::string photo = Scratch.Write("album/photo.jpg", "x");
    EXPECT_EQ(Burner.InsertFile("\\ignored", photo, true), 1);
    std::string discFolder = Scratch.Path() + "/album";
    for (char& c : discFolder)
        if (c == '/') c = '\\';
    const TDEntry* dir = Burner.FindDir(discFolder);
    ASSERT_NE(dir, nullptr);
    ASSERT_NE(dir->FirstChild, nullptr);
    EXPECT_EQ(dir->FirstChild->SourcePath, photo);
}

TEST_F(DiscTreeTest, OnAddFileMayRenameRedateAndSkip) {
    std::vector<std::string> offered;
    Burner.OnAddFile = [&](TMCDBurner* sender, const std::string& fullPath, std::string& longName,
                           std::string& shortName, TDateTime& dateTime, int32_t attr, int64_t size, bool& skip) {
        EXPECT_EQ(sender, &Burner);
        EXPECT_EQ(attr, 0);
        offered.push_back(longName + "|" + shortName + "|" + std::to_string(size) + "|" + (skip ? "skip" : "add"));
        if (longName == "rename.txt") {
            longName = "Renamed.txt";
            shortName = "renamed.txt";
            dateTime = 38000.5;
        }
        if (longName == "skip.txt") skip = true;
        (void)fullPath;
    };
    const std::string longName = std::string(128, 'n') + ".jpg";
    for (const std::string name : {"rename.txt", "skip.txt", longName.c_str()}) Burner.InsertFile("\\", Scratch.Write(name, "abc"), false);
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_EQ(offered[0], "rename.txt|RENAME.TXT|3|add");
    EXPECT_EQ(offered[2], longName + "|NNNNNN~1.JPG|3|skip");
    const TFEntry* entry = Burner.RootDir()->FirstChild;
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->LongName, "Renamed.txt");
    EXPECT_EQ(entry->ShortName, "RENAMED.TXT");
    EXPECT_EQ(entry->DateTime, 38000.5);
    EXPECT_EQ(entry->Next, nullptr);
}

// A directory record holds at most 110 Joliet units: names of 109 to 127 characters would not
// fit with ";1" and are skipped with a trace line.
TEST_F(DiscTreeTest, NamesTooLongForADirectoryRecordAreSkipped) {
    const std::string fits = Scratch.Write(std::string(104, 'a') + ".jpg", "x");     // 108 + ";1"
    const std::string tooLong = Scratch.Write(std::string(105, 'b') + ".jpg", "x");  // 109 + ";1"
    EXPECT_EQ(Burner.InsertFile("\\", fits, false), 1);
    EXPECT_EQ(Burner.InsertFile("\\", tooLong, false), 1);
    EXPECT_EQ(FileCount, 1);
    EXPECT_EQ(Messages, std::vector<std::string>{"3:FILE NAME TOO LONG FOR THE DISC, SKIPPED: \"" + tooLong + "\""});
}

TEST_F(DiscTreeTest, FilesOf4GiBOrMoreAreRefused) {
    const std::string big = Scratch.Write("big.bin", "");
    ASSERT_EQ(truncate(big.c_str(), 4294967296LL), 0);
    EXPECT_EQ(Burner.InsertFile("\\", big, false), 1);
    EXPECT_EQ(FileCount, 0);
    EXPECT_EQ(Messages, std::vector<std::string>{"3:FILE TOO LARGE FOR THE DISC: \"" + big + "\""});
}

// Every file the tree is given but cannot take is listed once with its reason; a photo that
// two albums share is on the disc once and not listed.
TEST_F(DiscTreeTest, LeftOutFilesAreListedWithTheirReasons) {
    Burner.CreateDirPath("\\Images");
    const std::string photo = Scratch.Write("photo.jpg", "p");
    const std::string caseTwin = Scratch.Write("other/Photo.JPG", "P");
    const std::string big = Scratch.Write("big.jpg", "");
    ASSERT_EQ(truncate(big.c_str(), 4294967296LL), 0);
    const std::string tooLong = Scratch.Write(std::string(105, 'b') + ".jpg", "x");
    const std::string farTooLong = Scratch.Write(std::string(130, 'c') + ".jpg", "x");
    const std::string missing = Scratch.Path() + "/missing.jpg";
    const std::string sun = Scratch.Write("sun😀.jpg", "s");
    const std::string moon = Scratch.Write("other/sun😁.jpg", "m");
    for (const std::string& file : {photo, caseTwin, big, tooLong, farTooLong, missing, photo, missing, sun, moon})
        Burner.InsertFile("\\Images", file, false);
    EXPECT_EQ(FileCount, 3);  // the Images entry, photo.jpg and sun😀.jpg

    const struct {
        std::string DiscPath, Source;
        TLeftOutReason Reason;
        std::string Text;
    } expected[] = {
        {"\\Images\\Photo.JPG", caseTwin, lrNameTaken, "name differs only in letter case from photo.jpg"},
        {"\\Images\\big.jpg", big, lrTooLarge, "4 GiB or larger"},
        {"\\Images\\" + std::string(105, 'b') + ".jpg", tooLong, lrNameTooLong, "name too long for the disc"},
        {"\\Images\\" + std::string(130, 'c') + ".jpg", farTooLong, lrNameTooLong, "name too long for the disc"},
        {"\\Images\\missing.jpg", missing, lrMissing, "missing"},
        {"\\Images\\sun😁.jpg", moon, lrNameTaken, "same name on the disc as sun😀.jpg"},  // both are sun_.jpg
    };
    const auto& leftOut = Burner.LeftOutFiles();
    ASSERT_EQ(leftOut.size(), std::size(expected));
    for (size_t i = 0; i < leftOut.size(); ++i) {
        EXPECT_EQ(leftOut[i].DiscPath, expected[i].DiscPath);
        EXPECT_EQ(leftOut[i].SourcePath, expected[i].Source);
        EXPECT_EQ(leftOut[i].Reason, expected[i].Reason) << expected[i].DiscPath;
        EXPECT_EQ(LeftOutReasonText(leftOut[i]), expected[i].Text);
    }
    EXPECT_TRUE(Burner.WasLeftOut("\\Images\\Photo.JPG"));
    EXPECT_FALSE(Burner.WasLeftOut("\\Images\\photo.jpg"));  // the one on the disc

    Burner.ClearTree();
    EXPECT_TRUE(Burner.LeftOutFiles().empty());
}

// A file that cannot be opened would end the job half-way: it is left out at once. Root reads
// every file, so the check runs in a child process as an ordinary user.
TEST_F(DiscTreeTest, UnreadableFilesAreLeftOut) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        char folder[] = "/tmp/fotolark-unreadable-XXXXXX";
        if (!mkdtemp(folder)) _exit(3);
        const std::string file = std::string(folder) + "/locked.jpg";
        const int fd = open(file.c_str(), O_WRONLY | O_CREAT, 0000);
        if (fd < 0 || write(fd, "x", 1) != 1) _exit(4);
        close(fd);
        TMCDBurner burner;
        const bool leftOut = burner.InsertFile("\\", file, false) == 1 && FileCount == 0 &&
                             burner.LeftOutFiles().size() == 1 && burner.LeftOutFiles()[0].Reason == lrUnreadable &&
                             burner.WasLeftOut("\\locked.jpg");
        unlink(file.c_str());
        rmdir(folder);
        _exit(leftOut ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(DiscTreeTest, InsertFileAsNamesTheFileOnTheDisc) {
    const std::string viewer = Scratch.Write("viewer-1.2.exe", "MZ");
    EXPECT_EQ(Burner.InsertFileAs("\\", viewer, "Diorama.exe"), 1);
    const TFEntry* entry = Burner.RootDir()->FirstChild;
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->LongName, "Diorama.exe");
    EXPECT_EQ(entry->ShortName, "DIORAMA.EXE");
    EXPECT_EQ(entry->SourcePath, viewer);
}

TEST_F(DiscTreeTest, DirectoryLimitWithItsMessage) {
    for (int i = 1; i < 8191; ++i) ASSERT_NE(Burner.CreateDirPath("\\D" + std::to_string(i)), nullptr) << i;
    EXPECT_EQ(Burner.CreateDirPath("\\One too many"), nullptr);
    EXPECT_EQ(DirCount, 8191);
    EXPECT_EQ(Messages, std::vector<std::string>{"3:MAXIMUM DIRECTORIES CAN BE 8191"});
}

TEST_F(DiscTreeTest, FileLimitWithItsMessage) {
    Burner.ResetTree(2, 8191);
    Burner.InsertFile("\\", Scratch.Write("a.jpg", "a"), false);
    EXPECT_NE(Burner.CreateDirPath("\\Images"), nullptr);
    Burner.InsertFile("\\", Scratch.Write("b.jpg", "b"), false);
    // The directory would need an entry too: neither record is made.
    EXPECT_EQ(Burner.CreateDirPath("\\Thumbs"), nullptr);
    EXPECT_EQ(FileCount, 2);
    EXPECT_EQ(DirCount, 2);
    EXPECT_EQ(Messages, (std::vector<std::string>{"3:MAXIMUM FILES CAN BE 2", "3:MAXIMUM FILES CAN BE 2"}));
}

TEST_F(DiscTreeTest, CacheSizeSetter) {
    EXPECT_EQ(Burner.CacheSize(), 4194304);
    const struct {
        int32_t Given, Kept;
    } cases[] = {{1000000, 2097152}, {5000000, 4999168}, {2097152, 2097152}, {-5, 2097152}};
    for (const auto& c : cases) {
        Burner.SetCacheSize(c.Given);
        EXPECT_EQ(Burner.CacheSize(), c.Kept) << c.Given;
    }
}

TEST(GmtOffsetTest, QuarterHoursOfStandardTime) {
    const struct {
        const char* Zone;
        int8_t Offset;
    } cases[] = {{"UTC0", 0}, {"CET-1CEST", 4}, {"EST5EDT", -20}, {"IST-5:30", 22}, {"NST3:30NDT", -14}};
    for (const auto& c : cases) {
        setenv("TZ", c.Zone, 1);
        TMCDBurner burner;  // the constructor resets the tree, which reads the time zone
        EXPECT_EQ(GmtOffset, c.Offset) << c.Zone;
    }
    unsetenv("TZ");
}

TEST(DateTimeTest, EncodesAndDecodesLocalDates) {
    EXPECT_EQ(EncodeDateTime(TDateParts{}), 0.0);
    TDateParts parts{2004, 6, 12, 13, 45, 30, 250};
    const TDateParts back = DecodeDateTime(EncodeDateTime(parts));
    EXPECT_EQ(back.Year, 2004);
    EXPECT_EQ(back.Month, 6);
    EXPECT_EQ(back.Day, 12);
    EXPECT_EQ(back.Hour, 13);
    EXPECT_EQ(back.Minute, 45);
    EXPECT_EQ(back.Second, 30);
    EXPECT_EQ(back.Millisecond, 250);
    EXPECT_EQ(EncodeDateTime({2004, 6, 12, 12, 0, 0, 0}), 38150.5);
}

} // namespace
