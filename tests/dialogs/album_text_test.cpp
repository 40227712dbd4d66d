#include "album_nodes.h"
#include "album_text.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct TNotesCase {
    const char* Text;
    Lines Expected;
};

class TextToNotesTest : public ::testing::TestWithParam<TNotesCase> {};

TEST_P(TextToNotesTest, CountsLinesAsAMemoDoes) {
    EXPECT_EQ(TextToNotes(QString::fromUtf8(GetParam().Text), {}), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, TextToNotesTest,
                         ::testing::Values(TNotesCase{"", {}}, TNotesCase{"one", {"one"}},
                                           TNotesCase{"one\n", {"one"}}, TNotesCase{"one\n\n", {"one", ""}},
                                           TNotesCase{"one\ntwo", {"one", "two"}},
                                           TNotesCase{"\n", {""}}));

TEST(AlbumTextTest, UnchangedTextsKeepTheirBytes) {
    const std::string latin = "Caf\xe9 au lait";  // Windows-1252, not UTF-8
    EXPECT_EQ(EditedText(ToDisplay(latin), latin), latin);
    EXPECT_EQ(EditedText(QString::fromUtf8("Café"), latin), "Caf\xc3\xa9");

    const Lines notes = {"Stra\xdf" "e", "second"};
    EXPECT_EQ(TextToNotes(NotesToText(notes), notes), notes);
    EXPECT_EQ(TextToNotes(NotesToText(notes) + "\nthird", notes), (Lines{"Stra\xdf" "e", "second", "third"}));
}

TEST(AlbumTextTest, PhotoFilesStayInTheirFolder) {
    EXPECT_EQ(PhotoFilePath("/base/Images", "beach.jpg"), "/base/Images/beach.jpg");
    EXPECT_EQ(PhotoFilePath("/base/Images/", "../../etc/beach.jpg"), "/base/Images/beach.jpg");
    EXPECT_EQ(PhotoFilePath("/base/Images/", ".."), "") << "a damaged name names no file";
}

} // namespace
