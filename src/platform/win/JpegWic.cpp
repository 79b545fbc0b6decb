// JPEG through the Windows Imaging Component: no library of our own to ship,
// the encoder every Windows since 7 (and Wine) carries.
#ifdef _WIN32

#include "platform/JpegEncoder.h"

#include <windows.h>
#include <objidl.h>
#include <wincodec.h>

#include <stdexcept>
#include <string>

namespace pordane::platform {

namespace {

template <typename T>
class Com {
public:
    Com() = default;
    ~Com()
    {
        if (m_p)
            m_p->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T** out() { return &m_p; }
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }

private:
    T* m_p = nullptr;
};

void check(HRESULT hr, const char* what)
{
    if (FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(hr));
        throw std::runtime_error(std::string("JPEG: ") + what + " (0x" + code + ")");
    }
}

// COM for the calling thread for the length of one encoding; a thread that
// already has another apartment model keeps it.
class ComScope {
public:
    ComScope() : m_hr(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_hr;
};

void setOption(IPropertyBag2* options, const wchar_t* name, VARIANT value)
{
    PROPBAG2 option{};
    option.pstrName = const_cast<LPOLESTR>(name);
    // An option this encoder does not know keeps its default.
    options->Write(1, &option, &value);
}

} // namespace

std::vector<std::uint8_t> encodeRgbJpeg(const std::uint8_t* rgb, int width, int height, int quality)
{
    ComScope com;
    Com<IWICImagingFactory> factory;
    check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(factory.out())),
          "WIC");
    Com<IStream> stream;
    check(CreateStreamOnHGlobal(nullptr, TRUE, stream.out()), "stream");
    Com<IWICBitmapEncoder> encoder;
    check(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.out()), "encoder");
    check(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache), "encoder");
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> options;
    check(encoder->CreateNewFrame(frame.out(), options.out()), "frame");

    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = static_cast<float>(quality) / 100.0f;
    setOption(options.get(), L"ImageQuality", value);
    VariantInit(&value);
    value.vt = VT_UI1;
    value.bVal = WICJpegYCrCbSubsampling420;
    setOption(options.get(), L"JpegYCrCbSubsampling", value);
    check(frame->Initialize(options.get()), "frame");
    check(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)), "size");
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    check(frame->SetPixelFormat(&format), "pixel format");
    if (format != GUID_WICPixelFormat24bppBGR)
        throw std::runtime_error("JPEG: the encoder does not take 24-bit BGR");

    // WIC's 24-bit format is blue first.
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    std::vector<BYTE> bgr(stride * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < bgr.size(); i += 3) {
        bgr[i] = rgb[i + 2];
        bgr[i + 1] = rgb[i + 1];
        bgr[i + 2] = rgb[i];
    }
    check(frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(stride), static_cast<UINT>(bgr.size()),
                             bgr.data()),
          "pixels");
    check(frame->Commit(), "frame");
    check(encoder->Commit(), "encoder");

    // The memory block may be larger than what was written.
    STATSTG stat{};
    check(stream->Stat(&stat, STATFLAG_NONAME), "stream");
    HGLOBAL memory = nullptr;
    check(GetHGlobalFromStream(stream.get(), &memory), "stream");
    const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(memory));
    if (!bytes)
        throw std::runtime_error("JPEG: stream");
    std::vector<std::uint8_t> jpeg(bytes, bytes + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    return jpeg;
}

} // namespace pordane::platform

#endif
