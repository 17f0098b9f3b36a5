#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ByteReader.h"
#include "ImageHeaders.h"

namespace tidewatch {

// One of the client's pictures, drawn straight from its resource bytes
// after they have been checked, so a damaged bitmap draws nothing instead
// of being handed to the system.
class Picture {
 public:
  explicit Picture(const std::optional<ByteReader>& bytes);
  bool Drawable() const { return layout_.has_value(); }
  // Fills `slot` with the picture scaled to cover it, centred and cropped;
  // false when there is nothing to draw.
  bool DrawCovering(HDC dc, const RECT& slot) const;

 private:
  const uint8_t* data_ = nullptr;
  std::optional<DibLayout> layout_;
};

// The client's pictures and icons, read from its own resources.
class ClientLook {
 public:
  ClientLook();
  ~ClientLook();
  ClientLook(const ClientLook&) = delete;
  ClientLook& operator=(const ClientLook&) = delete;

  const Picture& Top() const { return top_; }
  const Picture& Main() const { return main_; }
  HICON LargeIcon() const { return largeIcon_; }  // nullptr when the image is unusable
  HICON SmallIcon() const { return smallIcon_; }

 private:
  Picture top_;
  Picture main_;
  HICON largeIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
};

// The message font of the system and a larger bold one for headings.
class ClientFonts {
 public:
  ClientFonts();
  ~ClientFonts();
  ClientFonts(const ClientFonts&) = delete;
  ClientFonts& operator=(const ClientFonts&) = delete;
  HFONT Normal() const { return normal_; }
  HFONT Bold() const { return bold_; }

 private:
  HFONT normal_ = nullptr;
  HFONT bold_ = nullptr;
};

// A quiet vertical gradient where a picture is missing or damaged.
void PaintPlaceholder(HDC dc, const RECT& slot, COLORREF from, COLORREF to);
// Where the top and main pictures are, with their placeholder colours.
void PaintTopPicture(HDC dc, const ClientLook& look, const RECT& slot);
void PaintMainPicture(HDC dc, const ClientLook& look, const RECT& slot);

// A child control of `parent` with the given font, visible.
HWND AddChildControl(HWND parent, const wchar_t* cls, const std::u16string& text, DWORD style, const RECT& r, int id,
                     HFONT font);

// The screen's dots per inch over 96.
double ScreenScale();

}  // namespace tidewatch
