#ifndef INSTALLER_UI_GDI_HANDLES_H_
#define INSTALLER_UI_GDI_HANDLES_H_

#include <windows.h>

#include "base/win/scoped_handle.h"

// Owning types for the GDI and window handles of the installer's toolkit. Every lasting GDI
// object is created through the functions below, which count what they make, so that a test
// can prove a steady-state paint allocates nothing (Wine has no GetGuiResources).

// Pens, brushes, fonts and bitmaps: released with DeleteObject. Delete only what is no longer
// selected into a device context; ScopedSelectObject restores selections before that.
using UniqueFont = UniqueAny<HFONT, ::DeleteObject>;
using UniqueBrush = UniqueAny<HBRUSH, ::DeleteObject>;
using UniquePen = UniqueAny<HPEN, ::DeleteObject>;
using UniqueBitmap = UniqueAny<HBITMAP, ::DeleteObject>;

// Memory device contexts from CreateCompatibleDC, released with DeleteDC (and counted).
void DeleteMemoryDc(HDC dc);
using UniqueMemoryDc = UniqueAny<HDC, DeleteMemoryDc>;

// Child windows the toolkit creates itself (the edit box's native control).
using UniqueWindow = UniqueAny<HWND, ::DestroyWindow>;

// Selects |object| into |target| and puts the previous object back on scope exit. A null |target|
// or |object| selects nothing.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC target, HGDIOBJ object);
  ~ScopedSelectObject();
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC dc;
  HGDIOBJ previous;
};

// BeginPaint in the constructor, EndPaint in the destructor; the only release of a paint DC.
class PaintDc {
 public:
  explicit PaintDc(HWND painted);
  ~PaintDc();
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;

  HDC get() const { return dc; }

 private:
  HWND window;
  PAINTSTRUCT paint = {};
  HDC dc;
};

// Counted creations. Each returns an empty owner when the platform call fails.
UniqueBrush CreateSolidBrushObject(COLORREF color);
// A solid pen for borders: Rectangle and RoundRect draw it, at any width, inside their
// rectangle (a 1-pixel pen draws as a solid one does).
UniquePen CreateBorderPenObject(COLORREF color, int width);
UniqueBitmap CreateCompatibleBitmapObject(HDC dc, int width, int height);
UniqueMemoryDc CreateMemoryDc(HDC compatibleWith);

// Adds one to the count of lasting GDI objects made; for creations outside this file.
void CountGdiObjectCreated();

// Pens, brushes, fonts and bitmaps created through the functions above since the process
// started. Any thread may read it.
long GdiObjectsCreated();

// Memory device contexts currently alive among those CreateMemoryDc made.
long MemoryDcsAlive();

#endif  // INSTALLER_UI_GDI_HANDLES_H_
