#include "child_process.h"
#include "exif.h"
#include "image_error.h"
#include "jpeg_io.h"
#include "picture_file.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <filesystem>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

namespace {

// A picture of large flat blocks, so JPEG keeps every block's colour closely.
TBitmap32 BlockPicture(int columns, int rows, int block)
{
    TBitmap32 bitmap(columns * block, rows * block);
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const int cell = (y / block) * columns + x / block;
            bitmap.SetPixel(x, y, Color32(40 + cell * 37 % 200, 250 - cell * 53 % 200, cell * 91 % 256));
        }
    return bitmap;
}

// Compares colours away from block edges, where chroma subsampling blends
// neighbouring blocks; block 1 compares every pixel.
void ExpectClose(const TBitmap32& actual, const TBitmap32& expected, int tolerance, int block = 1)
{
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    const int margin = block / 4;
    const auto inner = [&](int v) { return v % block >= margin && v % block < block - margin; };
    int worst = 0;
    for (int y = 0; y < actual.Height(); ++y)
        for (int x = 0; x < actual.Width(); ++x) {
            if (!inner(x) || !inner(y))
                continue;
            const TColor32 a = actual.Pixel(x, y), e = expected.Pixel(x, y);
            ASSERT_EQ(AlphaOf(a), 255u);
            for (int shift = 0; shift < 24; shift += 8)
                worst = std::max(worst, std::abs(int((a >> shift) & 255) - int((e >> shift) & 255)));
        }
    EXPECT_LE(worst, tolerance);
}

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EImageError& e) {
        return e.what();
    }
    return "no error";
}

std::string JpegError(int code) { return "JPEG error #" + std::to_string(code); }

TEST(Jpeg, Quality100RoundTrip)
{
    TScratchFolder folder;
    const TBitmap32 picture = BlockPicture(5, 3, 16);
    WriteJpegFile(picture, folder.File("photo.jpg"), 100);
    ExpectClose(ReadJpegFile(folder.File("photo.jpg")), picture, 4, 16);
    // Odd sizes come back at their size too.
    const TBitmap32 odd = NoisePicture(33, 17, 15);
    EXPECT_EQ(DecodeJpeg(EncodeJpeg(odd, 100).data(), EncodeJpeg(odd, 100).size()).Width(), 33);
}

TEST(Jpeg, WritesBaselineAndReplacesTheFile)
{
    const std::vector<std::uint8_t> data = EncodeJpeg(BlockPicture(2, 2, 8), 75);
    bool baseline = false, progressive = false;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        baseline |= data[i] == 0xFF && data[i + 1] == 0xC0;
        progressive |= data[i] == 0xFF && data[i + 1] == 0xC2;
    }
    EXPECT_TRUE(baseline);
    EXPECT_FALSE(progressive);

    TScratchFolder folder;
    WriteBytes(folder.File("p.jpg"), std::vector<std::uint8_t>(100000, 7));
    const std::uint64_t size = WriteJpegFile(BlockPicture(2, 2, 8), folder.File("p.jpg"), 75);
    EXPECT_EQ(std::filesystem::file_size(folder.File("p.jpg")), size);
    EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"p.jpg"});  // no temporary left behind
}

TEST(Jpeg, FailedWriteKeepsTheOldFile)
{
    TScratchFolder folder;
    const std::vector<std::uint8_t> old(5000, 9);
    WriteBytes(folder.File("p.jpg"), old);
    EXPECT_EQ(ErrorOf([&] { WriteJpegFile(TBitmap32(), folder.File("p.jpg"), 90); }), JpegError(JERR_EMPTY_IMAGE));
    EXPECT_EQ(std::filesystem::file_size(folder.File("p.jpg")), old.size());
    EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"p.jpg"});

    const std::string missingFolder = folder.File("no/such/folder.jpg");
    EXPECT_EQ(ErrorOf([&] { WriteJpegFile(BlockPicture(1, 1, 8), missingFolder, 90); }).rfind("Cannot create file", 0),
              0u);
}

TEST(Jpeg, DecodingErrorsCarryLibjpegCodes)
{
    const std::vector<std::uint8_t> good = EncodeJpeg(BlockPicture(4, 4, 8), 90);
    const std::vector<std::uint8_t> cutInHeader(good.begin(), good.begin() + 40);
    const std::string text = "not a picture at all";
    const struct {
        std::vector<std::uint8_t> bytes;
        int code;
    } cases[] = {
        {cutInHeader, JERR_NO_IMAGE},
        {{}, JERR_INPUT_EMPTY},
        {{text.begin(), text.end()}, JERR_NO_SOI},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf([&] { DecodeJpeg(c.bytes.data(), c.bytes.size()); }), JpegError(c.code));
}

TEST(Jpeg, CutInsideTheImageDataStillShowsWhatArrived)
{
    // libjpeg pads a file that ends early; the picture keeps its size.
    const std::vector<std::uint8_t> good = EncodeJpeg(NoisePicture(64, 64, 16), 90);
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2));
    const TBitmap32 partial = DecodeJpeg(cut.data(), cut.size());
    EXPECT_EQ(partial.Width(), 64);
    EXPECT_EQ(partial.Height(), 64);
}

// A few hundred bytes that declare a huge picture are refused from the header alone, before
// any memory is taken for pixels: the child has far less memory than such a picture needs.
TEST(Jpeg, AbsurdDeclaredSizeIsRefused)
{
    const std::vector<std::uint8_t> small = EncodeJpeg(BlockPicture(1, 1, 8), 90);
    ASSERT_LT(small.size(), 1000u);
    for (const auto& [width, height] : {std::pair{60000, 60000}, {23000, 23000}, {16001, 16000}}) {
        std::vector<std::uint8_t> data = small;
        for (std::size_t i = 0; i + 8 < data.size(); ++i)
            if (data[i] == 0xFF && data[i + 1] == 0xC0) {  // the frame header
                data[i + 5] = std::uint8_t(height >> 8), data[i + 6] = std::uint8_t(height);
                data[i + 7] = std::uint8_t(width >> 8), data[i + 8] = std::uint8_t(width);
                break;
            }
        const std::string expected = "The picture is too large (" + std::to_string(width) + " x " +
                                     std::to_string(height) + " pixels)";
        EXPECT_TRUE(RunInLimitedChild(RLIMIT_AS, AddressSpaceInUse() + (rlim_t(256) << 20), [&] {
            const std::string error = ErrorOf([&] { DecodeJpeg(data.data(), data.size()); });
            if (error != expected)
                std::fprintf(stderr, "%s\n", error.c_str());
            return error == expected;
        })) << expected;
    }
}

TEST(Jpeg, AReplacedPhotoKeepsItsPermissions)
{
    TScratchFolder folder;
    WriteBytes(folder.File("private.jpg"), std::vector<std::uint8_t>(100, 1));
    std::filesystem::permissions(folder.File("private.jpg"), std::filesystem::perms::owner_read |
                                                                 std::filesystem::perms::owner_write);
    WriteJpegFile(BlockPicture(1, 1, 8), folder.File("private.jpg"), 90);
    EXPECT_EQ(std::filesystem::status(folder.File("private.jpg")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"private.jpg"});
}

// Encodes with libjpeg directly, for colour spaces our encoder never writes.
std::vector<std::uint8_t> EncodeRaw(int width, int height, int components, J_COLOR_SPACE input,
                                    J_COLOR_SPACE stored, bool adobeMarker, const std::vector<std::uint8_t>& samples)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, stored);
    info.write_Adobe_marker = adobeMarker;
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < height; ++y) {
        JSAMPROW row = const_cast<JSAMPLE*>(samples.data() + std::size_t(y * width * components));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> data(buffer, buffer + size);
    std::free(buffer);
    return data;
}

TEST(Jpeg, GreyAndCmykBecomeRgb)
{
    const std::vector<std::uint8_t> grey(16 * 16, 90);
    ExpectClose(DecodeJpeg(EncodeRaw(16, 16, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, false, grey).data(),
                           EncodeRaw(16, 16, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, false, grey).size()),
                FilledPicture(16, 16, Color32(90, 90, 90)), 1);

    // Orange: no cyan, half magenta, full yellow, a little black.
    const std::uint8_t ink[4] = {0, 128, 255, 20};
    const TColor32 orange = Color32(235, 117, 0);
    const struct {
        J_COLOR_SPACE stored;
        bool adobe;  // Adobe's writers store inverted values
    } cases[] = {{JCS_CMYK, false}, {JCS_CMYK, true}, {JCS_YCCK, true}};
    for (const auto& c : cases) {
        std::vector<std::uint8_t> samples;
        for (int i = 0; i < 16 * 16; ++i)
            for (const std::uint8_t v : ink)
                samples.push_back(c.adobe ? std::uint8_t(255 - v) : v);
        const std::vector<std::uint8_t> data = EncodeRaw(16, 16, 4, JCS_CMYK, c.stored, c.adobe, samples);
        ExpectClose(DecodeJpeg(data.data(), data.size()), FilledPicture(16, 16, orange), 3);
    }
}

// An APP1 block holding only the orientation tag, spliced in after SOI.
std::vector<std::uint8_t> WithOrientation(const std::vector<std::uint8_t>& jpeg, int orientation, bool bigEndian)
{
    std::vector<std::uint8_t> app1;
    app1.reserve(64);
    for (const char c : {'E', 'x', 'i', 'f', '\0', '\0'})
        app1.push_back(std::uint8_t(c));
    const auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
            app1.push_back(std::uint8_t(value >> shift));
        }
    };
    app1.push_back(bigEndian ? 'M' : 'I');
    app1.push_back(bigEndian ? 'M' : 'I');
    put(42, 2);
    put(8, 4);  // the first directory follows the header
    put(1, 2);  // one entry: orientation, SHORT, count 1, value
    put(0x0112, 2);
    put(3, 2);
    put(1, 4);
    put(std::uint32_t(orientation), 2);
    put(0, 2);  // rest of the value field
    put(0, 4);  // no next directory

    const std::size_t length = app1.size() + 2;
    std::vector<std::uint8_t> out(jpeg.size() + app1.size() + 4);
    const std::uint8_t marker[] = {jpeg[0], jpeg[1], 0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length)};
    auto end = std::copy(std::begin(marker), std::end(marker), out.begin());
    end = std::copy(app1.begin(), app1.end(), end);
    std::copy(jpeg.begin() + 2, jpeg.end(), end);
    return out;
}

TEST(Jpeg, ExifOrientationStandsThePictureUpright)
{
    // The picture as the camera meant it: 3 x 2 blocks, every block different.
    const int block = 16;
    const TBitmap32 meant = BlockPicture(3, 2, block);
    const int vw = meant.Width(), vh = meant.Height();
    for (int orientation = 1; orientation <= 8; ++orientation) {
        // Store it the way the tag describes: where stored row 0 and column 0 belong.
        const bool sideways = orientation >= 5;
        TBitmap32 stored(sideways ? vh : vw, sideways ? vw : vh);
        for (int sy = 0; sy < stored.Height(); ++sy)
            for (int sx = 0; sx < stored.Width(); ++sx) {
                int x = sx, y = sy;
                switch (orientation) {
                case 2: x = vw - 1 - sx; break;
                case 3: x = vw - 1 - sx, y = vh - 1 - sy; break;
                case 4: y = vh - 1 - sy; break;
                case 5: x = sy, y = sx; break;
                case 6: x = vw - 1 - sy, y = sx; break;
                case 7: x = vw - 1 - sy, y = vh - 1 - sx; break;
                case 8: x = sy, y = vh - 1 - sx; break;
                }
                stored.SetPixel(sx, sy, meant.Pixel(x, y));
            }
        const std::vector<std::uint8_t> file =
            WithOrientation(EncodeJpeg(stored, 100), orientation, orientation % 2 == 0);
        SCOPED_TRACE("orientation " + std::to_string(orientation));
        ExpectClose(DecodeJpeg(file.data(), file.size()), meant, 4, block);
    }
}

TEST(Exif, DamagedOrForeignBlocksMeanUpright)
{
    const std::vector<std::uint8_t> jpeg = EncodeJpeg(BlockPicture(1, 1, 8), 90);
    const std::vector<std::uint8_t> tagged = WithOrientation(jpeg, 6, false);
    const std::uint8_t* app1 = tagged.data() + 6;
    const std::size_t size = tagged.size() - 6;
    EXPECT_EQ(ExifOrientation(app1, size), 6);
    EXPECT_EQ(ExifOrientation(app1, 20), 1);  // cut inside the directory
    EXPECT_EQ(ExifOrientation(WithOrientation(jpeg, 9, false).data() + 6, size), 1);  // out of range
    const std::uint8_t xmp[] = "http://ns.adobe.com/xap/1.0/";
    EXPECT_EQ(ExifOrientation(xmp, sizeof xmp), 1);
    EXPECT_EQ(ExifOrientation(nullptr, 0), 1);
}

TEST(PictureFile, ChoosesTheDecoderByExtension)
{
    TScratchFolder folder;
    const TBitmap32 picture = BlockPicture(2, 1, 8);
    for (const std::string name : {"a.jpg", "b.JPEG", "c.JpG"}) {
        WriteJpegFile(picture, folder.File(name), 100);
        EXPECT_EQ(LoadPictureFile(folder.File(name)).Width(), 16) << name;
    }
    EXPECT_EQ(ErrorOf([&] { LoadPictureFile(folder.File("d.png")); }), "Unknown picture file extension (.png)");
    EXPECT_EQ(ErrorOf([&] { LoadPictureFile(folder.File("v1.5/e")); }), "Unknown picture file extension (.)");
    EXPECT_EQ(ErrorOf([&] { LoadPictureFile(folder.File("missing.jpg")); }).rfind("Cannot open file", 0), 0u);

    RegisterPictureLoader("BMP", [](const std::string&) { return FilledPicture(3, 2, Color32(1, 2, 3, 0)); });
    const TBitmap32 loaded = LoadPictureFile("anything.bmp");
    EXPECT_EQ(loaded.Pixel(2, 1), Color32(1, 2, 3, 255));  // made opaque
}

}  // namespace
