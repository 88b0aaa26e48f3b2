#include "installer/ui/back_buffer.h"

#include "base/win/debug_output.h"
#include "installer/ui/gdi_handles.h"

namespace {

struct BackBuffer {
  UniqueMemoryDc dc;
  UniqueBitmap bitmap;
  int width = 0;
  int height = 0;
};

BackBuffer& TheBackBuffer() {
  static BackBuffer buffer;
  return buffer;
}

}  // namespace

HDC AcquireBackBuffer(HWND window, HDC paintDc) {
  BackBuffer& buffer = TheBackBuffer();
  RECT client = {};
  ::GetClientRect(window, &client);
  const int width = client.right - client.left;
  const int height = client.bottom;
  if (width != buffer.width || height != buffer.height) {
    WriteDebugLine("Realloc double buffer on size changed.\n");
    ReleaseBackBuffer();
    buffer.dc = CreateMemoryDc(paintDc);
    buffer.bitmap = CreateCompatibleBitmapObject(paintDc, width, height);
    if (buffer.dc && buffer.bitmap)
      ::SelectObject(buffer.dc.get(), buffer.bitmap.get());
    buffer.width = width;
    buffer.height = height;
  }
  return buffer.dc.get();
}

void PresentBackBuffer(HDC paintDc) {
  const BackBuffer& buffer = TheBackBuffer();
  if (!buffer.dc)
    return;
  ::BitBlt(paintDc, 0, 0, buffer.width, buffer.height, buffer.dc.get(), 0, 0, SRCCOPY);
}

void ReleaseBackBuffer() {
  BackBuffer& buffer = TheBackBuffer();
  // The device context goes first: a bitmap still selected into one cannot be deleted, and
  // deleting the context does not free the bitmap, which goes next.
  buffer.dc.reset();
  buffer.bitmap.reset();
  buffer.width = 0;
  buffer.height = 0;
}

SIZE GetBackBufferSize() {
  const BackBuffer& buffer = TheBackBuffer();
  return SIZE{buffer.width, buffer.height};
}
