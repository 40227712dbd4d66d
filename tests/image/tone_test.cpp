#include "test_pictures.h"
#include "tone.h"

#include <gtest/gtest.h>

namespace {

TEST(ToneTable, TellingValuesAtTheSliderSettings)
{
    const int probes[] = {0, 1, 64, 126, 127, 128, 192, 254, 255};
    const struct {
        int brightness, contrast, gamma;
        std::array<int, 9> expected;
    } cases[] = {
        {0, 0, 0, {0, 1, 64, 126, 128, 128, 192, 254, 255}},
        {50, 0, 0, {128, 129, 192, 254, 255, 255, 255, 255, 255}},
        {0, 50, 0, {0, 0, 33, 126, 128, 129, 225, 255, 255}},
        {0, -100, 0, {128, 128, 128, 128, 128, 128, 128, 128, 128}},
        {0, 0, 100, {0, 0, 3, 28, 28, 29, 104, 252, 255}},
        {0, 0, -100, {0, 44, 165, 204, 205, 205, 233, 255, 255}},
        {100, 0, 0, {255, 255, 255, 255, 255, 255, 255, 255, 255}},
        {-100, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        TToneTable table;
        BuildToneTable(c.brightness, c.contrast, c.gamma, table);
        for (int k = 0; k < 9; ++k)
            EXPECT_EQ(table[std::size_t(probes[k])], c.expected[std::size_t(k)])
                << "brightness " << c.brightness << " contrast " << c.contrast << " gamma " << c.gamma
                << " entry " << probes[k];
    }
}

TEST(ToneTable, FullRangeWithoutAMiddleLevelDoesNotBreak)
{
    // Degenerate levels (middle equal to the top) still give a table.
    TToneTable table;
    BuildToneTable(0, 0, 0, 255, 0, 200, 200, 0, table);
    EXPECT_EQ(table[200], 255);
    EXPECT_EQ(table[255], 255);
    EXPECT_EQ(table[0], 0);
}

TEST(ApplyToneTable, MapsEachChannelAndMakesOpaque)
{
    TToneTable table;
    for (int i = 0; i < 256; ++i)
        table[std::size_t(i)] = std::uint8_t(255 - i);
    const TBitmap32 source = NoisePicture(1013, 777, 8, true);  // large enough for both cores
    TBitmap32 dest;
    ApplyToneTable(dest, source, table);
    ASSERT_EQ(dest.Width(), source.Width());
    ASSERT_EQ(dest.Height(), source.Height());
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x) {
            const TColor32 p = source.Pixel(x, y);
            ASSERT_EQ(dest.Pixel(x, y), Color32(255 - RedOf(p), 255 - GreenOf(p), 255 - BlueOf(p), 255));
        }
}

TEST(ApplyToneTable, NeutralSettingsOnlyMove127)
{
    TToneTable table;
    BuildToneTable(0, 0, 0, table);
    TBitmap32 source(1, 1);
    source.SetPixel(0, 0, Color32(127, 126, 128, 40));
    ApplyToneTable(source, source, table);  // in place
    EXPECT_EQ(source.Pixel(0, 0), Color32(128, 126, 128, 255));
}

}  // namespace
