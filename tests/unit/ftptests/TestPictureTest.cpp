// The drawing of test.jpg and the JPEG written from it, decoded again with
// libjpeg-turbo (with WIC in the Windows build).
#include "support/files/TempDir.h"

#include "ftptests/TestFiles.h"
#include "ftptests/TestPicture.h"
#include "support/wine/UnderWine.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#include <wincodec.h>
#else
#include <turbojpeg.h>
#endif

#include <vector>

namespace fs = std::filesystem;
using namespace pordane::ftptests;
using pordane::testsupport::readAll;
using pordane::testsupport::TempDir;

namespace {

TEST(TestPictureDrawing, WhiteBeyondTheRectanglesOfTheEllipses)
{
    const MonoBitmap b = drawTestPicture();
    ASSERT_EQ(b.width(), 1024);
    ASSERT_EQ(b.height(), 768);
    // The largest rectangle is [1, 999) x [1, 699): row 0, column 0 and
    // everything from column 999 or row 699 on stay white.
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            if (x == 0 || y == 0 || x >= 999 || y >= 699) {
                ASSERT_EQ(b.pixel(x, y), MonoBitmap::White) << x << "," << y;
            }
        }
}

TEST(TestPictureDrawing, ABandOfOneHundredOutlinesAroundAWhiteCentre)
{
    const MonoBitmap b = drawTestPicture();
    // Ellipse i reaches column i and 999 - i on the middle rows (349, 350)
    // and row i and 699 - i on the middle columns (499, 500).
    for (int mid : {349, 350}) {
        for (int x = 0; x < 1024; ++x) {
            const bool inBand = (x >= 1 && x <= 100) || (x >= 899 && x <= 998);
            EXPECT_EQ(b.pixel(x, mid) == MonoBitmap::Black, inBand) << x << "," << mid;
        }
    }
    for (int mid : {499, 500}) {
        for (int y = 0; y < 768; ++y) {
            const bool inBand = (y >= 1 && y <= 100) || (y >= 599 && y <= 698);
            EXPECT_EQ(b.pixel(mid, y) == MonoBitmap::Black, inBand) << mid << "," << y;
        }
    }
    // The innermost ellipse's interior is white.
    EXPECT_EQ(b.pixel(500, 350), MonoBitmap::White);
    EXPECT_EQ(b.pixel(200, 350), MonoBitmap::White);
}

struct Decoded {
    int width = 0;
    int height = 0;
    int subsampling = -1;
    int colorspace = -1;
    std::vector<unsigned char> rgb;
    int grey(int x, int y) const
    {
        const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
        return (p[0] + p[1] + p[2]) / 3;
    }
};

#ifdef _WIN32
Decoded decode(const std::string& jpeg)
{
    Decoded d;
    EXPECT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    UINT width = 0, height = 0;
    const bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)))
        && SUCCEEDED(factory->CreateStream(&stream))
        && SUCCEEDED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(jpeg.data())),
                                                  static_cast<DWORD>(jpeg.size())))
        && SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder))
        && SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height))
        && SUCCEEDED(factory->CreateFormatConverter(&converter))
        && SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat24bppRGB, WICBitmapDitherTypeNone, nullptr, 0.0,
                                           WICBitmapPaletteTypeCustom));
    EXPECT_TRUE(ok);
    if (ok) {
        d.width = static_cast<int>(width);
        d.height = static_cast<int>(height);
        d.rgb.resize(static_cast<std::size_t>(width) * height * 3);
        EXPECT_TRUE(SUCCEEDED(converter->CopyPixels(nullptr, width * 3, static_cast<UINT>(d.rgb.size()), d.rgb.data())));
    }
    for (IUnknown* object : std::initializer_list<IUnknown*>{converter, frame, decoder, stream, factory})
        if (object)
            object->Release();
    CoUninitialize();
    return d;
}
#else
Decoded decode(const std::string& jpeg)
{
    Decoded d;
    tjhandle h = tjInitDecompress();
    auto* data = reinterpret_cast<const unsigned char*>(jpeg.data());
    EXPECT_EQ(tjDecompressHeader3(h, data, jpeg.size(), &d.width, &d.height, &d.subsampling, &d.colorspace), 0);
    d.rgb.resize(static_cast<std::size_t>(d.width) * static_cast<std::size_t>(d.height) * 3);
    EXPECT_EQ(tjDecompress2(h, data, jpeg.size(), d.rgb.data(), d.width, d.width * 3, d.height, TJPF_RGB, 0), 0);
    tjDestroy(h);
    return d;
}
#endif

// Wine's WIC encoder ignores the ImageQuality option and always encodes at
// libjpeg's default quality 75, which leaves more ringing than 90.
bool encoderIgnoresQuality()
{
    return pordane::testsupport::runningUnderWine();
}

// The number of colour components of the frame header (SOF0 or SOF2).
int frameComponents(const std::string& jpeg)
{
    for (std::size_t i = 2; i + 9 < jpeg.size();) {
        if (static_cast<unsigned char>(jpeg[i]) != 0xFF)
            break;
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        if (marker == 0xC0 || marker == 0xC2)
            return static_cast<unsigned char>(jpeg[i + 9]);
        const std::size_t length = static_cast<std::size_t>(static_cast<unsigned char>(jpeg[i + 2])) << 8
            | static_cast<unsigned char>(jpeg[i + 3]);
        i += 2 + length;
    }
    return 0;
}

// True when the JPEG has a baseline frame header (SOF0) and no progressive one (SOF2).
bool isBaseline(const std::string& jpeg)
{
    bool sof0 = false, sof2 = false;
    for (std::size_t i = 2; i + 3 < jpeg.size();) {
        if (static_cast<unsigned char>(jpeg[i]) != 0xFF)
            break;
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        if (marker == 0xDA) // start of scan: headers end here
            break;
        sof0 = sof0 || marker == 0xC0;
        sof2 = sof2 || marker == 0xC2;
        const std::size_t length = static_cast<std::size_t>(static_cast<unsigned char>(jpeg[i + 2])) << 8
            | static_cast<unsigned char>(jpeg[i + 3]);
        i += 2 + length;
    }
    return sof0 && !sof2;
}

TEST(TestPictureJpeg, DecodesToTheDrawingInColour)
{
    TempDir dir;
    CrearArchivoJPG(dir.path());
    const std::string jpeg = readAll(dir / "test.jpg");
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_TRUE(isBaseline(jpeg));
    EXPECT_EQ(frameComponents(jpeg), 3) << "a colour JPEG";
    const Decoded d = decode(jpeg);
    ASSERT_EQ(d.width, 1024);
    ASSERT_EQ(d.height, 768);
#ifndef _WIN32
    EXPECT_EQ(d.colorspace, TJCS_YCbCr);
    EXPECT_NE(d.subsampling, TJSAMP_GRAY);
#endif

    for (auto [x, y] : {std::pair{0, 0}, std::pair{1023, 0}, std::pair{0, 767}, std::pair{1023, 767}})
        EXPECT_GE(d.grey(x, y), 250) << "corner " << x << "," << y;

    // Outermost ellipse's top point (its rectangle is 1..998 wide, so the
    // point falls between columns 499 and 500) and the band below it.
    EXPECT_LT(d.grey(499, 1), 96);
    EXPECT_LT(d.grey(500, 1), 96);
    EXPECT_LT(d.grey(500, 50), 96);
    EXPECT_GE(d.grey(500, 350), 250); // white centre

    // White from column 1000 and row 700 on. Columns >= 1000 and rows >= 704
    // lie in 8 x 8 blocks that the drawing never touches; rows 700..703 share
    // blocks with the band's bottom (rows up to 698), where the lossy
    // encoding may leave a faint trace.
    int minFar = 255, minShared = 255;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) {
            if (x >= 1000 || y >= 704)
                minFar = std::min(minFar, d.grey(x, y));
            else if (y >= 700)
                minShared = std::min(minShared, d.grey(x, y));
        }
    EXPECT_GE(minFar, 250);
    EXPECT_GE(minShared, encoderIgnoresQuality() ? 200 : 240);
}

} // namespace
