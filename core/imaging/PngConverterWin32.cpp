#include "core/imaging/PngConverter.h"

#include <cstring>
#include <objbase.h>
#include <utility>
#include <wincodec.h>
#include <windows.h>

namespace orlo {

namespace {

// Owns one COM interface reference.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (pointer_ != nullptr) {
            pointer_->Release();
        }
    }
    Interface* operator->() const { return pointer_; }
    Interface* Get() const { return pointer_; }
    Interface** Out() { return &pointer_; }
    void** OutVoid() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

// COM for the calling thread for the length of one call; a thread that already has it keeps it.
class ComApartment {
public:
    ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }
    // RPC_E_CHANGED_MODE: the thread is in another apartment already, which serves as well.
    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

bool CreateFactory(ComRef<IWICImagingFactory>& factory) {
    return SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IWICImagingFactory, factory.OutVoid()));
}

bool IsGreyFormat(const WICPixelFormatGUID& format) {
    return format == GUID_WICPixelFormatBlackWhite || format == GUID_WICPixelFormat2bppGray ||
           format == GUID_WICPixelFormat4bppGray || format == GUID_WICPixelFormat8bppGray ||
           format == GUID_WICPixelFormat16bppGray;
}

bool IsIndexedFormat(const WICPixelFormatGUID& format) {
    return format == GUID_WICPixelFormat1bppIndexed || format == GUID_WICPixelFormat2bppIndexed ||
           format == GUID_WICPixelFormat4bppIndexed || format == GUID_WICPixelFormat8bppIndexed;
}

bool HasAlpha(IWICImagingFactory& factory, IWICBitmapFrameDecode& frame, const WICPixelFormatGUID& format) {
    if (IsIndexedFormat(format)) {
        // A palette with transparency entries.
        ComRef<IWICPalette> palette;
        BOOL alpha = FALSE;
        return SUCCEEDED(factory.CreatePalette(palette.Out())) &&
               SUCCEEDED(frame.CopyPalette(palette.Get())) && SUCCEEDED(palette->HasAlpha(&alpha)) && alpha;
    }
    ComRef<IWICComponentInfo> info;
    ComRef<IWICPixelFormatInfo2> formatInfo;
    BOOL alpha = FALSE;
    return SUCCEEDED(factory.CreateComponentInfo(format, info.Out())) &&
           SUCCEEDED(info->QueryInterface(IID_IWICPixelFormatInfo2, formatInfo.OutVoid())) &&
           SUCCEEDED(formatInfo->SupportsTransparency(&alpha)) && alpha;
}

} // namespace

ImageStatus CPngConverter::Decode(std::span<const std::uint8_t> file, CImageData& destination) {
    if (file.empty() || file.size() > 0xFFFFFFFFu) {
        return ImageStatus::BadData;
    }
    const ComApartment apartment;
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    if (!apartment.Usable() || !CreateFactory(factory) || FAILED(factory->CreateStream(stream.Out())) ||
        FAILED(
            stream->InitializeFromMemory(const_cast<BYTE*>(file.data()), static_cast<DWORD>(file.size()))) ||
        FAILED(factory->CreateDecoder(GUID_ContainerFormatPng, nullptr, decoder.Out())) ||
        FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)) ||
        FAILED(decoder->GetFrame(0, frame.Out()))) {
        return ImageStatus::BadData;
    }
    UINT width = 0;
    UINT height = 0;
    WICPixelFormatGUID sourceFormat{};
    if (FAILED(frame->GetSize(&width, &height)) || FAILED(frame->GetPixelFormat(&sourceFormat)) ||
        width == 0 || height == 0) {
        return ImageStatus::BadData;
    }
    if (width > static_cast<UINT>(MAX_IMAGE_SIDE) || height > static_cast<UINT>(MAX_IMAGE_SIDE)) {
        return ImageStatus::TooLarge;
    }

    ImageFormat format = ImageFormat::Bgr24;
    WICPixelFormatGUID targetFormat = GUID_WICPixelFormat24bppBGR;
    if (HasAlpha(*factory.Get(), *frame.Get(), sourceFormat)) {
        format = ImageFormat::Bgra32;
        targetFormat = GUID_WICPixelFormat32bppBGRA; // straight alpha
    } else if (IsGreyFormat(sourceFormat)) {
        format = ImageFormat::Grey8;
        targetFormat = GUID_WICPixelFormat8bppGray;
    }

    CImageData decoded;
    const ImageStatus status =
        decoded.ImageData(static_cast<int>(width), static_cast<int>(height), format, true);
    if (status != ImageStatus::Ok) {
        return status;
    }
    ComRef<IWICBitmapSource> converted;
    const UINT stride = static_cast<UINT>(decoded.BytesPerRow());
    // Decoding happens here: a truncated or corrupt image stream fails the copy.
    if (FAILED(::WICConvertBitmapSource(targetFormat, frame.Get(), converted.Out())) ||
        FAILED(converted->CopyPixels(nullptr, stride, stride * height, decoded.Pixels()))) {
        return ImageStatus::BadData;
    }
    destination = std::move(decoded);
    return ImageStatus::Ok;
}

ImageStatus CPngConverter::Encode(const CImageData& source, std::vector<std::uint8_t>& file) {
    if (!source.HasPixels() ||
        (source.Format() != ImageFormat::Grey8 && source.Format() != ImageFormat::Bgr24)) {
        return ImageStatus::Unsupported;
    }
    const ComApartment apartment;
    ComRef<IWICImagingFactory> factory;
    ComRef<IStream> memory;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> options;
    if (!apartment.Usable() || !CreateFactory(factory) ||
        FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, memory.Out())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())) ||
        FAILED(encoder->Initialize(memory.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.Out(), options.Out())) ||
        FAILED(frame->Initialize(options.Get()))) {
        return ImageStatus::BadData;
    }
    const WICPixelFormatGUID wanted =
        source.Format() == ImageFormat::Grey8 ? GUID_WICPixelFormat8bppGray : GUID_WICPixelFormat24bppBGR;
    WICPixelFormatGUID format = wanted;
    const UINT width = static_cast<UINT>(source.Width());
    const UINT height = static_cast<UINT>(source.Height());
    const UINT stride = static_cast<UINT>(source.BytesPerRow());
    if (FAILED(frame->SetSize(width, height)) || FAILED(frame->SetPixelFormat(&format)) || format != wanted) {
        return ImageStatus::BadData;
    }
    // Rows go out top first: a bottom-up (display) picture is walked from its last row.
    for (UINT row = 0; row < height; ++row) {
        const UINT stored = source.IsRaw() ? row : height - 1 - row;
        BYTE* pixels = const_cast<BYTE*>(source.Pixels()) + static_cast<std::size_t>(stored) * stride;
        if (FAILED(frame->WritePixels(1, stride, stride, pixels))) {
            return ImageStatus::BadData;
        }
    }
    STATSTG stat{};
    if (FAILED(frame->Commit()) || FAILED(encoder->Commit()) ||
        FAILED(memory->Stat(&stat, STATFLAG_NONAME))) {
        return ImageStatus::BadData;
    }
    std::vector<std::uint8_t> encoded(static_cast<std::size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER start{};
    ULONG read = 0;
    if (FAILED(memory->Seek(start, STREAM_SEEK_SET, nullptr)) ||
        FAILED(memory->Read(encoded.data(), static_cast<ULONG>(encoded.size()), &read)) ||
        read != encoded.size()) {
        return ImageStatus::BadData;
    }
    file = std::move(encoded);
    return ImageStatus::Ok;
}

} // namespace orlo
