#include "installer/ui/gdi_handles.h"

#include <atomic>

namespace {

std::atomic<long> g_objectsCreated{0};
std::atomic<long> g_memoryDcsAlive{0};

}  // namespace

void DeleteMemoryDc(HDC dc) {
  if (::DeleteDC(dc))
    --g_memoryDcsAlive;
}

ScopedSelectObject::ScopedSelectObject(HDC target, HGDIOBJ object)
    : dc(target && object ? target : nullptr), previous(nullptr) {
  if (dc)
    previous = ::SelectObject(dc, object);
}

ScopedSelectObject::~ScopedSelectObject() {
  if (dc && previous && previous != HGDI_ERROR)
    ::SelectObject(dc, previous);
}

PaintDc::PaintDc(HWND painted) : window(painted), dc(::BeginPaint(painted, &paint)) {}

PaintDc::~PaintDc() {
  ::EndPaint(window, &paint);
}

void CountGdiObjectCreated() {
  ++g_objectsCreated;
}

long GdiObjectsCreated() {
  return g_objectsCreated.load();
}

long MemoryDcsAlive() {
  return g_memoryDcsAlive.load();
}

UniqueBrush CreateSolidBrushObject(COLORREF color) {
  UniqueBrush brush(::CreateSolidBrush(color));
  if (brush)
    CountGdiObjectCreated();
  return brush;
}

UniquePen CreateBorderPenObject(COLORREF color, int width) {
  UniquePen pen(::CreatePen(PS_INSIDEFRAME, width, color));
  if (pen)
    CountGdiObjectCreated();
  return pen;
}

UniqueBitmap CreateCompatibleBitmapObject(HDC dc, int width, int height) {
  UniqueBitmap bitmap(::CreateCompatibleBitmap(dc, width, height));
  if (bitmap)
    CountGdiObjectCreated();
  return bitmap;
}

UniqueMemoryDc CreateMemoryDc(HDC compatibleWith) {
  UniqueMemoryDc dc(::CreateCompatibleDC(compatibleWith));
  if (dc)
    ++g_memoryDcsAlive;
  return dc;
}
