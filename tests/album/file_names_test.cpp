// Names stored in albums: only their file-name part is used, and a damaged one names no file.
#include "file_names.h"

#include <gtest/gtest.h>

TEST(FileNames, StoredNamesKeepOnlyTheirFileNamePart) {
    const struct { std::string stored, name; } cases[] = {
        {"beach.jpg", "beach.jpg"},
        {"../../x.jpg", "x.jpg"},
        {"/etc/passwd", "passwd"},
        {"..jpg", "..jpg"},
        {"back\\slash.jpg", "back\\slash.jpg"},  // an ordinary character here
        {"", ""},
        {".", ""},
        {"..", ""},
        {"sub/..", ""},
        {"Images/", ""},
        {std::string("a\0b.jpg", 7), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StoredFileName(c.stored), c.name) << c.stored;
        EXPECT_EQ(StoredFilePath("/base/Images", c.stored), c.name.empty() ? "" : "/base/Images/" + c.name) << c.stored;
    }
}
