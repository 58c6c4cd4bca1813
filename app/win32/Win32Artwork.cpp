#include "app/win32/Win32Artwork.h"

// Windows first: the imaging headers build on its types.
#include <wincodec.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "form/Form1Layout.h"
#include "plenwick/Art.h"
#include "shell/win32/WideText.h"

namespace plenwick::win32app {
namespace {

// Holds one COM interface pointer and releases it.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p_ != nullptr) p_->Release();
  }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** out() { return &p_; }

 private:
  T* p_ = nullptr;
};

Error Failure(std::string_view name, const char* step, HRESULT result) {
  char code[16];
  wsprintfA(code, "0x%08lX", static_cast<unsigned long>(result));
  return Error{errc::kGeneric, "The picture " + std::string(name) + " could not be read (" + step +
                                   ", " + code + ")."};
}

// The raw 32-bit BGRA pixels of a picture resource, top row first.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgra;
};

Result<Pixels> DecodePicture(HINSTANCE instance, std::string_view name, const GUID& pixelFormat) {
  const std::wstring resourceName = shell::Utf16(name);
  HRSRC resource = FindResourceW(instance, resourceName.c_str(), MAKEINTRESOURCEW(10));
  HGLOBAL loaded = resource != nullptr ? LoadResource(instance, resource) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) {
    return Error{errc::kNotFound,
                 "The picture " + std::string(name) + " is missing from the program file."};
  }
  const DWORD size = SizeofResource(instance, resource);

  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out()));
  if (FAILED(hr)) return Failure(name, "imaging component", hr);
  ComPtr<IWICStream> stream;
  hr = factory->CreateStream(stream.out());
  if (SUCCEEDED(hr)) {
    // The resource stays mapped for the life of the program; the stream only reads it.
    hr = stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)), size);
  }
  if (FAILED(hr)) return Failure(name, "stream", hr);
  ComPtr<IWICBitmapDecoder> decoder;
  hr = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                        decoder.out());
  if (FAILED(hr)) return Failure(name, "decoder", hr);
  ComPtr<IWICBitmapFrameDecode> frame;
  hr = decoder->GetFrame(0, frame.out());
  if (FAILED(hr)) return Failure(name, "frame", hr);
  ComPtr<IWICFormatConverter> converter;
  hr = factory->CreateFormatConverter(converter.out());
  if (SUCCEEDED(hr)) {
    hr = converter->Initialize(frame.get(), pixelFormat, WICBitmapDitherTypeNone, nullptr, 0.0,
                               WICBitmapPaletteTypeCustom);
  }
  if (FAILED(hr)) return Failure(name, "conversion", hr);
  UINT width = 0;
  UINT height = 0;
  hr = converter->GetSize(&width, &height);
  if (FAILED(hr) || width == 0 || height == 0 || width > 4096 || height > 4096) {
    return Failure(name, "size", hr);
  }
  Pixels pixels;
  pixels.width = static_cast<int>(width);
  pixels.height = static_cast<int>(height);
  pixels.bgra.resize(std::size_t{width} * height * 4);
  hr = converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.bgra.size()),
                             pixels.bgra.data());
  if (FAILED(hr)) return Failure(name, "pixels", hr);
  return pixels;
}

// A top-down 32-bit DIB section holding `pixels`.
HBITMAP MakeBitmap(const Pixels& pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = pixels.width;
  info.bmiHeader.biHeight = -pixels.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) return nullptr;
  CopyMemory(bits, pixels.bgra.data(), pixels.bgra.size());
  GdiFlush();
  return bitmap;
}

}  // namespace

PictureBitmap& PictureBitmap::operator=(PictureBitmap&& other) noexcept {
  if (this != &other) {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    bitmap_ = std::exchange(other.bitmap_, nullptr);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
  }
  return *this;
}

PictureBitmap::~PictureBitmap() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

Result<PictureBitmap> LoadPicture(HINSTANCE instance, std::string_view name) {
  auto pixels = DecodePicture(instance, name, GUID_WICPixelFormat32bppPBGRA);
  if (!pixels) return pixels.error();
  HBITMAP bitmap = MakeBitmap(*pixels);
  if (bitmap == nullptr) {
    return Error{errc::kGeneric, "No bitmap could be made for the picture " + std::string(name)};
  }
  return PictureBitmap(bitmap, pixels->width, pixels->height);
}

HCURSOR CreateHandCursor(HINSTANCE instance) {
  // Cursors take straight (not premultiplied) alpha.
  auto pixels = DecodePicture(instance, form::kHandPicture, GUID_WICPixelFormat32bppBGRA);
  if (pixels) {
    HBITMAP colour = MakeBitmap(*pixels);
    // With an alpha channel the mask is not used for drawing, but a cursor must have one.
    HBITMAP mask = CreateBitmap(pixels->width, pixels->height, 1, 1, nullptr);
    HCURSOR cursor = nullptr;
    if (colour != nullptr && mask != nullptr) {
      ICONINFO info{};
      info.fIcon = FALSE;
      info.xHotspot = art::kHandHotSpotX;
      info.yHotspot = art::kHandHotSpotY;
      info.hbmMask = mask;
      info.hbmColor = colour;
      cursor = CreateIconIndirect(&info);
    }
    if (colour != nullptr) DeleteObject(colour);
    if (mask != nullptr) DeleteObject(mask);
    if (cursor != nullptr) return cursor;
  }
  return CopyCursor(LoadCursorW(nullptr, IDC_HAND));
}

HICON LoadProgramIcon(HINSTANCE instance, int metric) {
  const int size = GetSystemMetrics(metric);
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
}

}  // namespace plenwick::win32app
