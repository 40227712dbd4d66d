#include "jpeg_io.h"

#include "exif.h"
#include "file_io.h"
#include "image_error.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
#include <jerror.h>
#include <algorithm>
#include <cstring>

// libjpeg reports errors through error_exit, which must not return. Ours jumps
// back to the call that started the libjpeg work, which then throws; so
// libjpeg never exits the program, and it never prints either.
//
// Between setjmp and the jump only libjpeg's C frames lie, and the functions
// below create no C++ object with a destructor after their setjmp.

namespace {

struct TJpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void JumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TJpegErrorManager*>(info->err)->jump, 1);
}

void Silent(j_common_ptr) {}

jpeg_error_mgr* InstallErrorManager(TJpegErrorManager& manager)
{
    jpeg_error_mgr* err = jpeg_std_error(&manager.pub);
    err->error_exit = JumpBack;
    err->output_message = Silent;
    return err;
}

// Owns a decompression object so that it is destroyed on every way out.
struct TDecompressor {
    jpeg_decompress_struct info{};
    TJpegErrorManager errors{};
    TDecompressor() { info.err = InstallErrorManager(errors); }
    ~TDecompressor() { jpeg_destroy_decompress(&info); }
};

struct TCompressor {
    jpeg_compress_struct info{};
    TJpegErrorManager errors{};
    TCompressor() { info.err = InstallErrorManager(errors); }
    ~TCompressor() { jpeg_destroy_compress(&info); }
};

int FindOrientation(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr m = info.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 1) {
            const int orientation = ExifOrientation(m->data, m->data_length);
            if (orientation != 1)
                return orientation;
        }
    }
    return 1;
}

unsigned Product255(unsigned a, unsigned b) { return (a * b + 127) / 255; }

// One decoded row (1, 3 or 4 components) into opaque pixels. Four components
// are CMYK; Adobe's writers store them inverted, which their marker tells.
void ConvertRow(const JSAMPLE* in, int components, bool invertedCmyk, TColor32* out, int width)
{
    switch (components) {
    case 1:
        for (int x = 0; x < width; ++x)
            out[x] = Color32(in[x], in[x], in[x]);
        break;
    case 3:
        for (int x = 0; x < width; ++x, in += 3)
            out[x] = Color32(in[0], in[1], in[2]);
        break;
    default:
        for (int x = 0; x < width; ++x, in += 4) {
            const unsigned inkFree = invertedCmyk ? 0 : 255;  // value meaning "no ink"
            const unsigned c = in[0] ^ inkFree, m = in[1] ^ inkFree, y = in[2] ^ inkFree, k = in[3] ^ inkFree;
            out[x] = Color32(Product255(c, k), Product255(m, k), Product255(y, k));
        }
        break;
    }
}

// Destination manager appending to a vector. Growth failure becomes a
// libjpeg error instead of a C++ exception crossing libjpeg's C frames.
struct TVectorDestination {
    jpeg_destination_mgr pub;
    std::vector<std::uint8_t>* out;

    static void Init(j_compress_ptr info) { Grow(info, 0); }
    static boolean Empty(j_compress_ptr info)
    {
        Grow(info, Self(info)->out->size());
        return TRUE;
    }
    static void Term(j_compress_ptr info)
    {
        TVectorDestination* self = Self(info);
        self->out->resize(self->out->size() - self->pub.free_in_buffer);
    }

private:
    static TVectorDestination* Self(j_compress_ptr info) { return reinterpret_cast<TVectorDestination*>(info->dest); }
    static void Grow(j_compress_ptr info, std::size_t used)
    {
        TVectorDestination* self = Self(info);
        bool grown = true;
        try {
            self->out->resize(std::max<std::size_t>(used * 2, 1 << 16));
        } catch (...) {
            grown = false;
        }
        if (!grown)
            ERREXIT(info, JERR_OUT_OF_MEMORY);
        self->pub.next_output_byte = self->out->data() + used;
        self->pub.free_in_buffer = self->out->size() - used;
    }
};

}  // namespace

TBitmap32 DecodeJpeg(const std::uint8_t* Data, std::size_t Size, const TDecodeLimits& Limits)
{
    TBitmap32 bitmap;
    TDecompressor d;
    if (setjmp(d.errors.jump))
        throw EJpegError(d.errors.pub.msg_code);

    jpeg_create_decompress(&d.info);
    d.info.mem->max_memory_to_use = long(std::min<std::uint64_t>(Limits.MaxCodecMemory, 1ull << 62));
    jpeg_mem_src(&d.info, Data, static_cast<unsigned long>(Size));
    jpeg_save_markers(&d.info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&d.info, TRUE);
    if (std::uint64_t(d.info.image_width) * d.info.image_height > Limits.MaxPixels)
        throw EImageError("The picture is too large (" + std::to_string(d.info.image_width) + " x " +
                          std::to_string(d.info.image_height) + " pixels)");

    jpeg_start_decompress(&d.info);
    const int width = int(d.info.output_width);
    const int components = d.info.out_color_components;
    if (components != 1 && components != 3 && components != 4)
        ERREXIT(&d.info, JERR_CONVERSION_NOTIMPL);  // an unnamed colour space we cannot show
    const bool invertedCmyk = d.info.saw_Adobe_marker;
    bitmap.SetSize(width, int(d.info.output_height));
    constexpr int kBatch = 16;
    const JSAMPARRAY rows =
        (*d.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d.info), JPOOL_IMAGE,
                                    JDIMENSION(width * components), kBatch);
    while (d.info.output_scanline < d.info.output_height) {
        const int y = int(d.info.output_scanline);
        const int got = int(jpeg_read_scanlines(&d.info, rows, kBatch));
        for (int i = 0; i < got; ++i)
            ConvertRow(rows[i], components, invertedCmyk, bitmap.ScanLine(y + i), width);
    }
    // No jpeg_finish_decompress: every pixel is in, and junk after the image
    // data is no reason to refuse the picture.
    ApplyExifOrientation(bitmap, FindOrientation(d.info));
    return bitmap;
}

TBitmap32 ReadJpegFile(const std::string& FileName, const TDecodeLimits& Limits)
{
    const std::vector<std::uint8_t> data = ReadWholeFile(FileName);
    return DecodeJpeg(data.data(), data.size(), Limits);
}

std::vector<std::uint8_t> EncodeJpeg(const TBitmap32& Bitmap, int Quality)
{
    std::vector<std::uint8_t> encoded;
    TCompressor c;
    TVectorDestination destination{};
    if (setjmp(c.errors.jump))
        throw EJpegError(c.errors.pub.msg_code);

    jpeg_create_compress(&c.info);
    destination.out = &encoded;
    destination.pub.init_destination = TVectorDestination::Init;
    destination.pub.empty_output_buffer = TVectorDestination::Empty;
    destination.pub.term_destination = TVectorDestination::Term;
    c.info.dest = &destination.pub;
    c.info.image_width = JDIMENSION(Bitmap.Width());
    c.info.image_height = JDIMENSION(Bitmap.Height());
    c.info.input_components = 3;
    c.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, Quality, TRUE);
    jpeg_start_compress(&c.info, TRUE);

    constexpr int kBatch = 16;
    const JSAMPARRAY rows = (*c.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&c.info), JPOOL_IMAGE,
                                                        JDIMENSION(Bitmap.Width() * 3), kBatch);
    while (c.info.next_scanline < c.info.image_height) {
        const int y = int(c.info.next_scanline);
        const int count = std::min(kBatch, Bitmap.Height() - y);
        for (int i = 0; i < count; ++i) {
            const TColor32* in = Bitmap.ScanLine(y + i);
            JSAMPLE* out = rows[i];
            for (int x = 0; x < Bitmap.Width(); ++x, out += 3) {
                out[0] = JSAMPLE(RedOf(in[x]));
                out[1] = JSAMPLE(GreenOf(in[x]));
                out[2] = JSAMPLE(BlueOf(in[x]));
            }
        }
        jpeg_write_scanlines(&c.info, rows, JDIMENSION(count));
    }
    jpeg_finish_compress(&c.info);
    return encoded;
}

std::uint64_t WriteJpegFile(const TBitmap32& Bitmap, const std::string& FileName, int Quality)
{
    const std::vector<std::uint8_t> encoded = EncodeJpeg(Bitmap, Quality);
    ReplaceFile(FileName, encoded.data(), encoded.size());
    return encoded.size();
}
