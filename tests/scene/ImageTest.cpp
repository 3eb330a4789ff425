// Pictures from files: sizes no texture can use are refused from the header, before any
// pixel memory is asked for, and every failure names the file.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "scene/Image.h"

using namespace vlm::scene;

namespace {

// A w x h baseline JPEG of a flat colour, encoded in memory.
std::vector<std::uint8_t> EncodeJpeg(int w, int h, std::array<unsigned char, 3> rgb = {200, 200, 200}) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(w) * 3);
    for (size_t i = 0; i < row.size(); ++i) row[i] = rgb[i % 3];
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<std::uint8_t> out(buf, buf + size);
    jpeg_destroy_compress(&c);
    std::free(buf);
    return out;
}

size_t FindMarker(const std::vector<std::uint8_t>& j, std::uint8_t marker) {
    for (size_t i = 2; i + 1 < j.size(); ++i)
        if (j[i] == 0xFF && j[i + 1] == marker) return i;
    return std::string::npos;
}

// The same picture with its frame header declaring w x h.
std::vector<std::uint8_t> JpegDeclaring(unsigned w, unsigned h) {
    std::vector<std::uint8_t> j = EncodeJpeg(8, 8);
    const size_t sof = FindMarker(j, 0xC0);
    EXPECT_NE(sof, std::string::npos);
    j[sof + 5] = static_cast<std::uint8_t>(h >> 8);
    j[sof + 6] = static_cast<std::uint8_t>(h);
    j[sof + 7] = static_cast<std::uint8_t>(w >> 8);
    j[sof + 8] = static_cast<std::uint8_t>(w);
    return j;
}

void Put32(std::vector<std::uint8_t>& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 24-bit BMP with a 40-byte header declaring w x h and holding `pixelBytes` bytes of pixels.
std::vector<std::uint8_t> Bmp(std::int32_t w, std::int32_t h, size_t pixelBytes) {
    std::vector<std::uint8_t> b(54 + pixelBytes, 0x80);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<std::uint32_t>(b.size()));
    Put32(b, 6, 0);
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<std::uint32_t>(w));
    Put32(b, 22, static_cast<std::uint32_t>(h));
    b[26] = 1;
    b[27] = 0;
    b[28] = 24;
    b[29] = 0;
    Put32(b, 30, 0);
    Put32(b, 34, static_cast<std::uint32_t>(pixelBytes));
    for (size_t at = 38; at < 54; ++at) b[at] = 0;
    return b;
}

// The old OS/2 BMP header: 16-bit sizes.
std::vector<std::uint8_t> Os2Bmp(std::uint16_t w, std::uint16_t h) {
    std::vector<std::uint8_t> b(26 + 64, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<std::uint32_t>(b.size()));
    Put32(b, 10, 26);
    Put32(b, 14, 12);
    b[18] = static_cast<std::uint8_t>(w);
    b[19] = static_cast<std::uint8_t>(w >> 8);
    b[20] = static_cast<std::uint8_t>(h);
    b[21] = static_cast<std::uint8_t>(h >> 8);
    b[22] = 1;
    b[24] = 24;
    return b;
}

}  // namespace

TEST(DecodeImage, PicturesUpToTheLargestTextureSideDecode) {
    const TRGBAImage wide = DecodeImage(JpegDeclaring(4096, 8), "wide.jpg");
    EXPECT_EQ(wide.Width, 4096);
    EXPECT_EQ(wide.Height, 8);
    const TRGBAImage tall = DecodeImage(Bmp(1, 4096, 4 * 4096), "tall.bmp");
    EXPECT_EQ(tall.Width, 1);
    EXPECT_EQ(tall.Height, 4096);
    const TRGBAImage topDown = DecodeImage(Bmp(4096, -2, 4096 * 3 * 2), "topdown.bmp");
    EXPECT_EQ(topDown.Width, 4096);
    EXPECT_EQ(topDown.Height, 2);
    EXPECT_EQ(topDown.Pixel(4095, 1)[0], 0x80);
    EXPECT_EQ(topDown.Pixel(4095, 1)[3], 255);

    // A JPEG's colours in their order, opaque, in every row down to the last pixel.
    const TRGBAImage colour = DecodeImage(EncodeJpeg(37, 21, {200, 40, 90}), "colour.jpg");
    ASSERT_EQ(colour.Width, 37);
    ASSERT_EQ(colour.Height, 21);
    ASSERT_EQ(colour.Pixels.size(), 37u * 21u * 4u);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{36, 0}, std::pair{18, 10}, std::pair{36, 20}}) {
        const std::uint8_t* p = colour.Pixel(x, y);
        EXPECT_NEAR(p[0], 200, 4) << x << "," << y;
        EXPECT_NEAR(p[1], 40, 4) << x << "," << y;
        EXPECT_NEAR(p[2], 90, 4) << x << "," << y;
        EXPECT_EQ(p[3], 255) << x << "," << y;
    }
}

TEST(DecodeImage, HostilePicturesAreRefusedNamingTheFile) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* reason;  // part of the message
    };
    std::vector<std::uint8_t> trailingScan = EncodeJpeg(16, 16);
    {
        // A second scan after the only one a baseline picture has: libjpeg gives up in its
        // last step, after the pixel and row buffers are in use (the leak checker watches them).
        const size_t sos = FindMarker(trailingScan, 0xDA);
        const size_t len = static_cast<size_t>(trailingScan[sos + 2] << 8 | trailingScan[sos + 3]);
        std::vector<std::uint8_t> header(trailingScan.begin() + static_cast<long>(sos),
                                         trailingScan.begin() + static_cast<long>(sos + 2 + len));
        trailingScan.insert(trailingScan.end() - 2, header.begin(), header.end());
    }
    std::vector<std::uint8_t> cutJpeg = EncodeJpeg(8, 8);
    cutJpeg.resize(FindMarker(cutJpeg, 0xC0) + 4);

    const std::vector<Case> cases = {
        {"huge.jpg", JpegDeclaring(16384, 16384), "16384 x 16384 pixels; textures may be at most 4096"},
        {"wide.jpg", JpegDeclaring(4097, 1), "4097 x 1"},
        {"tall.jpg", JpegDeclaring(1, 60000), "1 x 60000"},
        {"none.jpg", JpegDeclaring(0, 8), "broken JPEG data"},
        {"cut.jpg", cutJpeg, "broken JPEG data"},
        {"second-scan.jpg", trailingScan, "more than one scan"},
        {"huge.bmp", Bmp(100000, 30000, 499), "100000 x 30000 pixels; textures may be at most 4096"},
        {"wide.bmp", Bmp(4097, 1, 4097 * 3 + 1), "4097 x 1"},
        {"topdown.bmp", Bmp(1, -4097, 4 * 4097), "1 x 4097"},
        {"intmin.bmp", Bmp(1, INT32_MIN, 4), "1 x 2147483648"},
        {"negative.bmp", Bmp(-5, 5, 80), "-5 x 5"},
        {"empty-rows.bmp", Bmp(5, 0, 0), "5 x 0"},
        {"os2.bmp", Os2Bmp(65535, 65535), "65535 x 65535"},
        {"short.bmp", Bmp(64, 64, 100), "fewer pixels than its 64 x 64 header"},
        {"cut.bmp", std::vector<std::uint8_t>{'B', 'M', 0, 0, 0, 0}, "header is cut off"},
        {"odd-header.bmp", [] { auto b = Bmp(2, 2, 16); Put32(b, 14, 20); return b; }(), "header size 20"},
        {"empty.jpg", {}, "empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            DecodeImage(c.bytes, c.name);
            ADD_FAILURE() << "decoded";
        } catch (const EImageLoadError& e) {
            EXPECT_EQ(e.FileName(), c.name);
            EXPECT_NE(std::string(e.what()).find(c.name), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}
