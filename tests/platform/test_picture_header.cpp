// The picture header reader against real pictures (the examples' and ones gdk-pixbuf writes),
// against bombs that are small on disk, and against every truncation of them.
#include "platform/FileSystem.h"
#include "platform/PictureHeader.h"
#include "platform/Raster.h"
#include "tests/PictureBombs.h"
#include "tests/TestSupport.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace pennoria {
namespace {

using platform::PictureFormat;
using platform::ReadPictureHeader;

// What gdk-pixbuf, which the program decodes with, says of the file's size (without decoding).
std::pair<int, int> DecoderSize(const std::string& path) {
    int width = 0, height = 0;
    gdk_pixbuf_get_file_info(path.c_str(), &width, &height);
    return {width, height};
}

// The size gdk-pixbuf decodes the file to, turned upright as the program draws it.
std::pair<int, int> UprightDecodedSize(const std::string& path) {
    GdkPixbuf* loaded = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    if (!loaded)
        return {0, 0};
    GdkPixbuf* upright = gdk_pixbuf_apply_embedded_orientation(loaded);
    const std::pair<int, int> size{gdk_pixbuf_get_width(upright), gdk_pixbuf_get_height(upright)};
    g_object_unref(upright);
    g_object_unref(loaded);
    return size;
}

// A JPEG with an EXIF segment (big-endian TIFF, IFD0 with an orientation entry) after its SOI.
std::string WithOrientation(const std::string& jpeg, int orientation) {
    std::string tiff("MM\x00\x2A\x00\x00\x00\x08\x00\x01", 10);
    tiff += std::string("\x01\x12\x00\x03\x00\x00\x00\x01", 8);
    tiff += static_cast<char>(0);
    tiff += static_cast<char>(orientation);
    tiff += std::string(2, '\0');
    tiff += std::string(4, '\0'); // no next IFD
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const std::size_t length = payload.size() + 2;
    std::string segment("\xFF\xE1", 2);
    segment += static_cast<char>(length >> 8);
    segment += static_cast<char>(length & 0xFF);
    return jpeg.substr(0, 2) + segment + payload + jpeg.substr(2);
}

TEST(PictureHeader, AgreesWithTheDecoderOnRealPictures) {
    std::vector<std::string> files;
    for (const char* folder : {"examples", "data"})
        for (const auto& entry : std::filesystem::recursive_directory_iterator(
                 std::string(PENNORIA_TEST_DATA_DIR) + "/../.." + "/" + folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".png" || extension == ".jpg" || extension == ".gif")
                files.push_back(entry.path().string());
        }
    // Shapes the examples lack, written by gdk-pixbuf, and a small GIF.
    testing::ScratchFolder scratch;
    for (auto [width, height, type] : {std::tuple{37, 23, "jpeg"}, std::tuple{1, 300, "png"},
                                       std::tuple{300, 1, "jpeg"}, std::tuple{640, 480, "png"}}) {
        GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
        gdk_pixbuf_fill(pixbuf, 0x336699FFu);
        const std::string path =
            scratch / (std::to_string(width) + "x" + std::to_string(height) + "." + type);
        ASSERT_TRUE(gdk_pixbuf_save(pixbuf, path.c_str(), type, nullptr, nullptr));
        g_object_unref(pixbuf);
        files.push_back(path);
    }
    ASSERT_TRUE(platform::WriteFileAtomically(scratch / "small.gif", testing::GifOfSize(5, 7)));
    files.push_back(scratch / "small.gif");
    // Turned a quarter by its EXIF orientation: drawn 23 x 37.
    auto plain = platform::ReadWholeFile(scratch / "37x23.jpeg");
    ASSERT_TRUE(plain);
    for (int orientation : {3, 6, 8}) {
        const std::string path = scratch / ("turned" + std::to_string(orientation) + ".jpg");
        ASSERT_TRUE(platform::WriteFileAtomically(path, WithOrientation(*plain, orientation)));
        files.push_back(path);
    }
    ASSERT_GE(files.size(), 10u);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        auto bytes = platform::ReadWholeFile(file);
        ASSERT_TRUE(bytes);
        auto header = ReadPictureHeader(*bytes);
        ASSERT_TRUE(header);
        const auto [width, height] = DecoderSize(file);
        EXPECT_EQ(header->width, static_cast<std::uint32_t>(width));
        EXPECT_EQ(header->height, static_cast<std::uint32_t>(height));
        const auto [uprightWidth, uprightHeight] = UprightDecodedSize(file);
        EXPECT_EQ(platform::UprightWidth(*header), static_cast<std::uint32_t>(uprightWidth));
        EXPECT_EQ(platform::UprightHeight(*header), static_cast<std::uint32_t>(uprightHeight));
    }
}

TEST(PictureHeader, BombsAreMeasuredFromTheirFirstBytes) {
    const std::string png = testing::PngOfSize(20000, 20000);
    EXPECT_LT(png.size(), 100000u); // a few dozen kilobytes on disk
    const std::string jpeg = testing::JpegOfSize(65500, 65500);
    const std::string gif = testing::GifOfSize(65535, 65535);
    const std::string gifFrame = testing::GifOfSize(10, 10, 30000, 20000);
    const struct {
        const std::string& bytes;
        PictureFormat format;
        std::uint32_t width, height;
    } cases[] = {{png, PictureFormat::Png, 20000, 20000},
                 {jpeg, PictureFormat::Jpeg, 65500, 65500},
                 {gif, PictureFormat::Gif, 65535, 65535},
                 {gifFrame, PictureFormat::Gif, 30000, 20000}};
    testing::ScratchFolder scratch;
    for (const auto& bomb : cases) {
        auto header = ReadPictureHeader(bomb.bytes);
        ASSERT_TRUE(header);
        EXPECT_EQ(header->format, bomb.format);
        EXPECT_EQ(header->width, bomb.width);
        EXPECT_EQ(header->height, bomb.height);
        EXPECT_FALSE(platform::WithinPictureBudget(header->width, header->height));
        // The decoder reads the same size from the file: the bombs are what they claim.
        const std::string path = scratch / "bomb";
        ASSERT_TRUE(platform::WriteFileAtomically(path, bomb.bytes));
        if (bomb.format != PictureFormat::Gif || bomb.width == 65535) {
            const auto [width, height] = DecoderSize(path);
            EXPECT_EQ(static_cast<std::uint32_t>(width), bomb.width);
            EXPECT_EQ(static_cast<std::uint32_t>(height), bomb.height);
        }
    }
    // Within the budget: the largest allowed square and the sides' limits.
    EXPECT_TRUE(platform::WithinPictureBudget(4096, 4096));
    EXPECT_FALSE(platform::WithinPictureBudget(4097, 4096));
    EXPECT_TRUE(platform::WithinPictureBudget(16384, 1024));
    EXPECT_FALSE(platform::WithinPictureBudget(16385, 1));
    EXPECT_FALSE(platform::WithinPictureBudget(0, 10));
}

TEST(PictureHeader, TruncatedAndForgedHeadersGiveNoSize) {
    // Every prefix of a picture either gives the true size or none; never a wrong one.
    for (const std::string& whole : {testing::PngOfSize(300, 200), testing::JpegOfSize(300, 200),
                                     testing::GifOfSize(300, 200)}) {
        for (std::size_t cut = 0; cut < whole.size(); ++cut) {
            auto header = ReadPictureHeader(std::string_view(whole).substr(0, cut));
            if (header) {
                EXPECT_EQ(header->width, 300u);
                EXPECT_EQ(header->height, 200u);
            }
        }
    }
    std::string png = testing::PngOfSize(10, 10);
    png[12] = 'X'; // the first chunk is not IHDR
    EXPECT_FALSE(ReadPictureHeader(png));
    std::string zeroWide = testing::PngOfSize(10, 10);
    zeroWide.replace(16, 4, std::string(4, '\0'));
    EXPECT_FALSE(ReadPictureHeader(zeroWide));
    std::string negative = testing::PngOfSize(10, 10);
    negative[16] = '\x80';
    EXPECT_FALSE(ReadPictureHeader(negative));
    // A JPEG whose scan comes before any frame header, and one whose height waits for a DNL.
    EXPECT_FALSE(ReadPictureHeader(std::string("\xFF\xD8\xFF\xDA\x00\x02", 6)));
    EXPECT_FALSE(ReadPictureHeader(testing::JpegOfSize(100, 0)));
    // A segment length shorter than itself.
    EXPECT_FALSE(ReadPictureHeader(std::string("\xFF\xD8\xFF\xE0\x00\x01", 6)));
    EXPECT_FALSE(ReadPictureHeader(std::string("GIF89a\x00\x00\x05\x00\x00\x00\x00", 13)));
    EXPECT_FALSE(ReadPictureHeader("BM not a picture we take"));
}

// A BMP (a format the header reader does not know) whose header asks for width x height.
std::string BmpOfSize(std::int32_t width, std::int32_t height) {
    auto little = [](std::uint32_t value) {
        std::string bytes;
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        return bytes;
    };
    std::string bmp = "BM" + little(54 + 12) + little(0) + little(54);
    bmp += little(40) + little(static_cast<std::uint32_t>(width)) +
           little(static_cast<std::uint32_t>(height));
    bmp += std::string("\x01\x00\x18\x00", 4) + little(0) + little(12) + little(2835) +
           little(2835) + little(0) + little(0);
    return bmp + std::string(12, '\x7F');
}

TEST(DecodedPicture, RefusesBombsBeforeDecodingAndScalesDownByAveraging) {
    testing::ScratchFolder scratch;
    // By the header reader, and by the decoder's own size check for a format it does not know.
    for (const auto& [name, bytes] :
         {std::pair<std::string, std::string>{"bomb.png", testing::PngOfSize(20000, 20000)},
          {"bomb.jpg", testing::JpegOfSize(60000, 60000)},
          {"bomb.bmp", BmpOfSize(30000, 30000)}}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(platform::WriteFileAtomically(scratch / name, bytes));
        std::string error;
        EXPECT_FALSE(platform::DecodedPicture::Load(scratch / name, &error));
        EXPECT_NE(error.find(scratch / name), std::string::npos) << error;
        EXPECT_NE(error.find("budget"), std::string::npos) << error;
        EXPECT_FALSE(platform::EncodeJpeg(scratch / name, 80));
    }
    ASSERT_TRUE(platform::WriteFileAtomically(scratch / "small.bmp", BmpOfSize(2, 2)));
    EXPECT_TRUE(platform::DecodedPicture::Load(scratch / "small.bmp"));

    // A 400 x 200 picture of one-pixel black and white stripes scaled to 100 x 50: grey, as the
    // average of the pixels under each output pixel, never one stripe's colour.
    GdkPixbuf* stripes = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 400, 200);
    guchar* pixels = gdk_pixbuf_get_pixels(stripes);
    const int stride = gdk_pixbuf_get_rowstride(stripes);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x)
            for (int c = 0; c < 3; ++c)
                pixels[y * stride + x * 3 + c] = x % 2 ? 255 : 0;
    ASSERT_TRUE(
        gdk_pixbuf_save(stripes, (scratch / "stripes.png").c_str(), "png", nullptr, nullptr));
    g_object_unref(stripes);
    auto picture = platform::DecodedPicture::Load(scratch / "stripes.png");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Size().width, 400);
    auto scaled = picture->Scaled(100, 50);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->Size().width, 100);
    EXPECT_EQ(scaled->Size().height, 50);
    EXPECT_EQ(picture->Scaled(800, 400)->Size().width, 400); // never up
    auto png = scaled->Png();
    ASSERT_TRUE(png);
    ASSERT_TRUE(platform::WriteFileAtomically(scratch / "scaled.png", *png));
    GdkPixbuf* back = gdk_pixbuf_new_from_file((scratch / "scaled.png").c_str(), nullptr);
    ASSERT_TRUE(back);
    const guchar* grey = gdk_pixbuf_get_pixels(back);
    for (int x : {0, 37, 99})
        EXPECT_NEAR(grey[25 * gdk_pixbuf_get_rowstride(back) + x * gdk_pixbuf_get_n_channels(back)],
                    128, 8);
    g_object_unref(back);
}

} // namespace
} // namespace pennoria
