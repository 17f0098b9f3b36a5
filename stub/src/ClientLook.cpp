#include "ClientLook.h"

#include "ClientResourceIds.h"
#include "ClientResources.h"

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

}  // namespace tidewatch
