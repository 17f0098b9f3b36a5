#include "ClientLook.h"

#include "ClientResourceIds.h"
#include "ClientResources.h"
#include "WideText.h"

namespace tidewatch {

namespace {

HICON MakeIcon(const std::optional<ByteReader>& image, int size) {
  if (!image || !IsCompleteIconImage(*image)) return nullptr;
  // The system only reads the bytes; its signature lacks the const.
  auto* bytes = const_cast<BYTE*>(image->Data());
  return CreateIconFromResourceEx(bytes, static_cast<DWORD>(image->Size()), TRUE, 0x00030000, size, size,
                                  LR_DEFAULTCOLOR);
}

}  // namespace

Picture::Picture(const std::optional<ByteReader>& bytes) {
  if (!bytes) return;
  layout_ = ReadDrawableDib(*bytes);
  data_ = bytes->Data();
}

bool Picture::DrawCovering(HDC dc, const RECT& slot) const {
  if (!layout_) return false;
  const int slotWidth = slot.right - slot.left;
  const int slotHeight = slot.bottom - slot.top;
  if (slotWidth <= 0 || slotHeight <= 0) return false;
  const LONGLONG width = layout_->header.width;
  const LONGLONG height = layout_->header.height;
  // Crop the picture to the slot's proportions, then scale.
  LONGLONG srcWidth = width, srcHeight = height;
  if (width * slotHeight > height * slotWidth) {
    srcWidth = height * slotWidth / slotHeight;
  } else {
    srcHeight = width * slotHeight / slotWidth;
  }
  if (srcWidth < 1) srcWidth = 1;
  if (srcHeight < 1) srcHeight = 1;
  const int oldMode = SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  const int lines = StretchDIBits(dc, slot.left, slot.top, slotWidth, slotHeight,
                                  static_cast<int>((width - srcWidth) / 2), static_cast<int>((height - srcHeight) / 2),
                                  static_cast<int>(srcWidth), static_cast<int>(srcHeight),
                                  data_ + layout_->bitsOffset, reinterpret_cast<const BITMAPINFO*>(data_),
                                  DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(dc, oldMode);
  return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}

ClientLook::ClientLook()
    : top_(FindOwnResource(MAKEINTRESOURCEW(2), TIDEWATCH_BITMAP_TOP)),
      main_(FindOwnResource(MAKEINTRESOURCEW(2), TIDEWATCH_BITMAP_MAIN)) {
  largeIcon_ = MakeIcon(FindOwnResource(MAKEINTRESOURCEW(3), TIDEWATCH_ICON_LARGE), 32);
  smallIcon_ = MakeIcon(FindOwnResource(MAKEINTRESOURCEW(3), TIDEWATCH_ICON_SMALL), 16);
}

ClientLook::~ClientLook() {
  if (largeIcon_) DestroyIcon(largeIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

ClientFonts::ClientFonts() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    normal_ = CreateFontIndirectW(&metrics.lfMessageFont);
    LOGFONTW bold = metrics.lfMessageFont;
    bold.lfWeight = FW_BOLD;
    bold.lfHeight = bold.lfHeight * 6 / 5;
    bold_ = CreateFontIndirectW(&bold);
  }
  if (!normal_) normal_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (!bold_) bold_ = normal_;
}

ClientFonts::~ClientFonts() {
  const HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
  if (bold_ && bold_ != normal_ && bold_ != stock) DeleteObject(bold_);
  if (normal_ && normal_ != stock) DeleteObject(normal_);
}

void PaintPlaceholder(HDC dc, const RECT& slot, COLORREF from, COLORREF to) {
  const int h = slot.bottom - slot.top;
  for (int y = 0; y < h; ++y) {
    const int r = GetRValue(from) + (GetRValue(to) - GetRValue(from)) * y / (h > 1 ? h - 1 : 1);
    const int g = GetGValue(from) + (GetGValue(to) - GetGValue(from)) * y / (h > 1 ? h - 1 : 1);
    const int b = GetBValue(from) + (GetBValue(to) - GetBValue(from)) * y / (h > 1 ? h - 1 : 1);
    HBRUSH brush = CreateSolidBrush(RGB(r, g, b));
    const RECT line{slot.left, slot.top + y, slot.right, slot.top + y + 1};
    FillRect(dc, &line, brush);
    DeleteObject(brush);
  }
}

void PaintTopPicture(HDC dc, const ClientLook& look, const RECT& slot) {
  if (!look.Top().DrawCovering(dc, slot)) PaintPlaceholder(dc, slot, RGB(40, 97, 168), RGB(158, 204, 240));
}

void PaintMainPicture(HDC dc, const ClientLook& look, const RECT& slot) {
  if (!look.Main().DrawCovering(dc, slot)) PaintPlaceholder(dc, slot, RGB(158, 204, 240), RGB(5, 41, 84));
}

HWND AddChildControl(HWND parent, const wchar_t* cls, const std::u16string& text, DWORD style, const RECT& r, int id,
                     HFONT font) {
  HWND control = CreateWindowExW(0, cls, ToWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                 nullptr);
  if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return control;
}

double ScreenScale() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi / 96.0 : 1.0;
}

}  // namespace tidewatch
