#include "ClientWindow.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "ClientLook.h"
#include "WideText.h"

namespace tidewatch {

namespace {

constexpr wchar_t kWindowClass[] = L"TidewatchClientWindow";
constexpr int kBodyId = 100;
constexpr int kHeadingId = 101;

// Sizes at 96 dots per inch. The default pictures are drawn for these slots:
// the top picture 500 x 60, the main picture 164 x 314.
constexpr int kTopHeight = 60;
constexpr int kMainWidth = 164;
constexpr int kBarHeight = 44;
constexpr int kMargin = 16;

struct Layout {
  int width = 0;
  int height = 0;
  RECT top{};
  RECT main{};    // empty unless preview
  RECT body{};    // the white area below the top picture
  POINT icon{};   // status window only
  RECT heading{};
  RECT text{};
  RECT close{};
};

// The width of the text area of the status window (no main picture), at
// the given scale: what the body text is measured against.
int StatusTextWidth(double scale) {
  auto px = [scale](int v) { return static_cast<int>(v * scale + 0.5); };
  return px(420) - px(kMargin) - (px(kMargin) + px(32) + px(12));
}

// `textHeight` is the height the status window's text needs; its body grows
// to show all of it (the preview scrolls its text instead).
Layout MakeLayout(bool preview, double scale, int textHeight) {
  auto px = [scale](int v) { return static_cast<int>(v * scale + 0.5); };
  Layout l;
  l.width = px(preview ? 500 : 420);
  const int top = px(kTopHeight);
  int bodyHeight = px(preview ? 314 : 110);
  if (!preview) bodyHeight = std::max(bodyHeight, px(44) + textHeight + px(12));
  const int margin = px(kMargin);
  l.height = top + bodyHeight + px(kBarHeight);
  l.top = {0, 0, l.width, top};
  l.body = {0, top, l.width, top + bodyHeight};
  const int left = preview ? px(kMainWidth) + margin : margin + px(32) + px(12);
  if (preview) l.main = {0, top, px(kMainWidth), top + bodyHeight};
  l.icon = {margin, top + margin};
  l.heading = {left, top + px(14), l.width - margin, top + px(38)};
  l.text = {left, top + px(44), l.width - margin, top + bodyHeight - px(12)};
  const int buttonWidth = px(88), buttonHeight = px(26);
  const int buttonTop = top + bodyHeight + (px(kBarHeight) - buttonHeight) / 2;
  l.close = {l.width - margin - buttonWidth, buttonTop, l.width - margin, buttonTop + buttonHeight};
  return l;
}

struct WindowState {
  const ClientWindowContent* content = nullptr;
  ClientLook look;
  Layout layout;
  ClientFonts fonts;
  HBRUSH white = nullptr;
};

void Paint(HWND window, const WindowState& state) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  const Layout& l = state.layout;
  FillRect(dc, &l.body, state.white);
  PaintTopPicture(dc, state.look, l.top);
  if (state.content->preview) PaintMainPicture(dc, state.look, l.main);
  if (!state.content->preview && state.look.LargeIcon())
    DrawIconEx(dc, l.icon.x, l.icon.y, state.look.LargeIcon(), 0, 0, 0, nullptr, DI_NORMAL);
  RECT bar{0, l.body.bottom, l.width, l.height};
  FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &bar, EDGE_ETCHED, BF_TOP);
  EndPaint(window, &ps);
}

void CreateControls(HWND window, const WindowState& state) {
  const Layout& l = state.layout;
  const ClientWindowContent& c = *state.content;
  AddChildControl(window, L"STATIC", c.heading, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, l.heading, kHeadingId,
             state.fonts.Bold());
  if (c.preview) {
    HWND box = AddChildControl(window, L"EDIT", {},
                          ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, l.text, kBodyId,
                          state.fonts.Normal());
    if (box) {
      SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
      SetWindowTextW(box, ToWide(c.body).c_str());
    }
  } else {
    // Like an edit control, the text breaks inside words too long for a line
    // (a server address usually is one).
    AddChildControl(window, L"STATIC", c.body, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, l.text, kBodyId,
               state.fonts.Normal());
  }
  AddChildControl(window, L"BUTTON", u"Close", BS_DEFPUSHBUTTON | WS_TABSTOP, l.close, IDCANCEL, state.fonts.Normal());
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_CREATE:
      CreateControls(window, *state);
      return 0;
    case WM_PAINT:
      Paint(window, *state);
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(state->white);
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The height `text` takes in `font` when broken into lines of `width`
// pixels, the way the status window's text control breaks it; at most two
// thirds of the work area, so that a very long address cannot push the
// window off the screen.
int MeasureTextHeight(const std::u16string& text, HFONT font, int width) {
  HDC dc = GetDC(nullptr);
  if (!dc) return 0;
  const HGDIOBJ previous = SelectObject(dc, font);
  RECT r{0, 0, width, 0};
  const std::wstring wide = ToWide(text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  RECT work{0, 0, 800, 600};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return std::min<int>(r.bottom - r.top, (work.bottom - work.top) * 2 / 3);
}

}  // namespace

int RunClientWindow(const ClientWindowContent& content) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WindowState state;
  state.content = &content;
  const double scale = ScreenScale();
  const int textHeight = content.preview ? 0 : MeasureTextHeight(content.body, state.fonts.Normal(), StatusTextWidth(scale));
  state.layout = MakeLayout(content.preview, scale, textHeight);
  state.white = CreateSolidBrush(RGB(255, 255, 255));

  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = WindowProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  cls.hbrBackground = nullptr;
  cls.lpszClassName = kWindowClass;
  cls.hIcon = state.look.LargeIcon();
  cls.hIconSm = state.look.SmallIcon();
  RegisterClassExW(&cls);

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, state.layout.width, state.layout.height};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  RECT work{0, 0, 800, 600};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  const int x = work.left + ((work.right - work.left) - w) / 2;
  const int y = work.top + ((work.bottom - work.top) - h) / 2;

  HWND window = CreateWindowExW(0, kWindowClass, ToWide(content.title).c_str(), style, x, y, w, h, nullptr,
                                nullptr, instance, &state);
  int result = 1;
  if (window) {
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    if (HWND close = GetDlgItem(window, IDCANCEL)) SetFocus(close);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (IsDialogMessageW(window, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    result = 0;
  }
  DeleteObject(state.white);
  return result;
}

}  // namespace tidewatch
