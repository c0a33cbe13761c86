#include "ui/text_measure.h"

SIZE drawn_text_size(HFONT font, const char *text, int length) {
  SIZE size{0, 0};
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old_font = SelectObject(dc, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  RECT measured{0, 0, 0, 0};
  if (length > 0) DrawTextA(dc, text, length, &measured, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  size.cx = measured.right;
  size.cy = measured.bottom > metrics.tmHeight ? measured.bottom : metrics.tmHeight;

  if (length > 0) {
    // Draw it with room to spare and find the last column with ink.
    int width = measured.right + metrics.tmMaxCharWidth + 4;
    int height = size.cy + 2;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
      HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
      RECT all{0, 0, width, height};
      FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(0, 0, 0));
      DrawTextA(dc, text, length, &all, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS);
      GdiFlush();
      const auto *pixels = static_cast<const DWORD *>(bits);
      int ink = 0;
      for (int x = width - 1; x >= 0 && !ink; --x)
        for (int y = 0; y < height; ++y)
          if ((pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF) {
            ink = x + 1;
            break;
          }
      if (ink > size.cx) size.cx = ink;
      SelectObject(dc, old_bitmap);
    }
    if (bitmap) DeleteObject(bitmap);
  }
  SelectObject(dc, old_font);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return size;
}
