// The first start chooses the first recorder that can write CD-R as the CD writer.
#include "ui_fixture.h"

#include "cd_writers.h"
#include "mcdburner.h"

#include <cstdlib>
#include <unistd.h>

TEST_F(MainFormTest, FirstStartChoosesTheFirstCdWriter) {
    ASSERT_EQ(::chdir(VIRTUAL_RECORDER_DIR), 0);  // the library transport loads ./libwnaspi32.so
    setenv("VREC_DRIVES", "letter=F,type=5,medium=cdr;letter=G,medium=none", 1);
    OpenSettings()->remove("Prefs/CD-R/RW");
    TMainForm& window = Open();
    EXPECT_EQ(TPrefs().CDWriter, "F:");
    EXPECT_EQ(window.Burner().DeviceList().size(), 2u);
    EXPECT_EQ(DeviceNodeOf(window.Burner().DeviceList()[0]), "") << "library drives have no device node";

    // A stored choice is kept.
    Window.reset();
    OpenSettings()->setValue("Prefs/CD-R/RW", "G:");
    Open();
    EXPECT_EQ(TPrefs().CDWriter, "G:");
}
