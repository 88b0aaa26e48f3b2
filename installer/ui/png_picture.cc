#include "installer/ui/png_picture.h"

#include <objbase.h>
#include <wincodec.h>

#include "base/win/debug_output.h"
#include "base/win/scoped_com.h"

namespace {

// Defined here rather than taken from a static library: the imaging component is reached
// through COM alone. {CACAF262-9370-4615-A13B-9F5539DA4C0A}
const CLSID kImagingFactoryClass = {0xcacaf262,
                                    0x9370,
                                    0x4615,
                                    {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
// IWICImagingFactory, {EC5EC8A9-C395-4314-9C77-54D7A935FF70}.
const IID kImagingFactoryInterface = {0xec5ec8a9,
                                      0xc395,
                                      0x4314,
                                      {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
// GUID_WICPixelFormat24bppBGR, the byte order of a 24-bit DIB.
const GUID kPixelFormat24bppBgr = {0x6fddc324,
                                   0x4e03,
                                   0x4bfe,
                                   {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

struct ResourceBytes {
  const BYTE* data = nullptr;
  DWORD size = 0;
};

ResourceBytes FindPng(HINSTANCE instance, int id, const wchar_t* type) {
  const HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(id), type);
  if (!found)
    return {};
  // Resources are mapped with the module: nothing to free.
  const HGLOBAL loaded = ::LoadResource(instance, found);
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  if (!data)
    return {};
  return {static_cast<const BYTE*>(data), ::SizeofResource(instance, found)};
}

// The picture as 24-bit BGR pixels, ready to copy out; null on any failure.
ComPointer<IWICFormatConverter> OpenBgr(const ResourceBytes& png, UINT* width, UINT* height) {
  ComPointer<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(kImagingFactoryClass, nullptr, CLSCTX_INPROC_SERVER,
                                kImagingFactoryInterface,
                                reinterpret_cast<void**>(factory.Receive())))) {
    return {};
  }
  ComPointer<IWICStream> stream;
  if (FAILED(factory.get()->CreateStream(stream.Receive())) ||
      FAILED(stream.get()->InitializeFromMemory(const_cast<BYTE*>(png.data), png.size))) {
    return {};
  }
  ComPointer<IWICBitmapDecoder> decoder;
  ComPointer<IWICBitmapFrameDecode> frame;
  ComPointer<IWICFormatConverter> converter;
  if (FAILED(factory.get()->CreateDecoderFromStream(
          stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Receive())) ||
      FAILED(decoder.get()->GetFrame(0, frame.Receive())) ||
      FAILED(factory.get()->CreateFormatConverter(converter.Receive())) ||
      FAILED(converter.get()->Initialize(frame.get(), kPixelFormat24bppBgr, WICBitmapDitherTypeNone,
                                         nullptr, 0.0, WICBitmapPaletteTypeCustom)) ||
      FAILED(converter.get()->GetSize(width, height)) || *width == 0 || *height == 0) {
    return {};
  }
  return converter;
}

}  // namespace

bool HasPngResource(HINSTANCE instance, int id, const wchar_t* type) {
  return ::FindResourceW(instance, MAKEINTRESOURCEW(id), type) != nullptr;
}

UniqueBitmap DecodePngResource(HINSTANCE instance, int id, const wchar_t* type) {
  const ResourceBytes png = FindPng(instance, id, type);
  if (!png.data)
    return UniqueBitmap();
  const ScopedComApartment com;
  UINT width = 0;
  UINT height = 0;
  const ComPointer<IWICFormatConverter> converter = OpenBgr(png, &width, &height);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  // Top-down, the order the decoder gives rows in, so they are copied straight into the DIB.
  info.bmiHeader.biHeight = -static_cast<LONG>(height);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap;
  if (converter)
    bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  // A DIB's rows are padded to four bytes.
  const UINT stride = (width * 3 + 3) / 4 * 4;
  if (!bitmap || !bits ||
      FAILED(converter.get()->CopyPixels(nullptr, stride, stride * height,
                                         static_cast<BYTE*>(bits)))) {
    WriteDebugLineF("Fail decode picture %d.\n", id);
    return UniqueBitmap();
  }
  CountGdiObjectCreated();
  return bitmap;
}
