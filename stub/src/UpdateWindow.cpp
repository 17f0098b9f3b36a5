#include "UpdateWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "WideText.h"

namespace tidewatch {

namespace {

constexpr wchar_t kWindowClass[] = L"TidewatchUpdateWindow";
constexpr UINT kPosted = WM_APP + 1;
constexpr UINT kCall = WM_APP + 2;
constexpr int kHeading = 100, kBody = 101, kLine = 102, kDetail = 104;

// Sizes at 96 dots per inch; the pictures' slots are those of the preview:
// the top picture 500 x 60, the main picture 164 x 314.
constexpr int kWidth = 500, kTop = 60, kBodyHeight = 314, kBarHeight = 44, kMainWidth = 164, kMargin = 16;
constexpr int kButtonWidth = 88, kButtonHeight = 26, kGap = 8, kAcceptHeight = 24;

}  // namespace

UpdateWindow::UpdateWindow(std::u16string title, PageEvents& events) : title_(std::move(title)), events_(events) {
  white_ = CreateSolidBrush(RGB(255, 255, 255));
  scale_ = ScreenScale();
}

UpdateWindow::~UpdateWindow() {
  if (window_) DestroyWindow(window_);
  DeleteObject(white_);
}

bool UpdateWindow::Create() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = Proc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  cls.lpszClassName = kWindowClass;
  cls.hIcon = look_.LargeIcon();
  cls.hIconSm = look_.SmallIcon();
  RegisterClassExW(&cls);

  auto px = [this](int v) { return static_cast<int>(v * scale_ + 0.5); };
  width_ = px(kWidth);
  height_ = px(kTop) + px(kBodyHeight) + px(kBarHeight);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, width_, height_};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
  RECT work{0, 0, 800, 600};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, ToWide(title_).c_str(), style,
                            work.left + ((work.right - work.left) - w) / 2,
                            work.top + ((work.bottom - work.top) - h) / 2, w, h, nullptr, nullptr, instance, this);
  return window_ != nullptr;
}

void UpdateWindow::CreateControls() {
  const RECT none{0, 0, 0, 0};
  const HFONT font = fonts_.Normal();
  // Creation order is tab order, and a screen reader names a control by the
  // label before it: the heading names the text box, the line the bar.
  AddChildControl(window_, L"STATIC", {}, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, none, kHeading, fonts_.Bold());
  AddChildControl(window_, L"EDIT", {}, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, none,
                  kBody, font);
  SendMessageW(GetDlgItem(window_, kBody), EM_SETLIMITTEXT, 0, 0);
  AddChildControl(window_, L"BUTTON", u"I &accept the terms and conditions", BS_AUTOCHECKBOX | WS_TABSTOP, none,
                  kAccept, font);
  AddChildControl(window_, L"STATIC", {}, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, none, kLine, font);
  AddChildControl(window_, PROGRESS_CLASSW, {}, PBS_SMOOTH, none, kBar, font);
  SendMessageW(GetDlgItem(window_, kBar), PBM_SETRANGE32, 0, 1000);
  AddChildControl(window_, L"STATIC", {}, SS_LEFT | SS_NOPREFIX, none, kDetail, font);
  AddChildControl(window_, L"BUTTON", u"< &Back", BS_PUSHBUTTON | WS_TABSTOP, none, kBack, font);
  AddChildControl(window_, L"BUTTON", u"&Next >", BS_DEFPUSHBUTTON | WS_TABSTOP, none, kNext, font);
  AddChildControl(window_, L"BUTTON", u"Cancel", BS_PUSHBUTTON | WS_TABSTOP, none, kCancel, font);
}

void UpdateWindow::Place() {
  auto px = [this](int v) { return static_cast<int>(v * scale_ + 0.5); };
  const int top = px(kTop), bottom = top + px(kBodyHeight), left = px(kMainWidth) + px(kMargin);
  const int right = width_ - px(kMargin);
  auto place = [this](int id, int x0, int y0, int x1, int y1, bool shown) {
    HWND control = GetDlgItem(window_, id);
    MoveWindow(control, x0, y0, x1 - x0, y1 - y0, FALSE);
    ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
  };
  const bool progress = page_.kind == PageView::Progress, terms = page_.kind == PageView::Terms;
  place(kHeading, left, top + px(14), right, top + px(38), true);
  const int textBottom = bottom - px(12) - (terms ? px(kAcceptHeight) + px(6) : 0);
  place(kBody, left, top + px(44), right, textBottom, !progress);
  place(kAccept, left, textBottom + px(6), right, textBottom + px(6) + px(kAcceptHeight), terms);
  place(kLine, left, top + px(60), right, top + px(80), progress);
  place(kBar, left, top + px(86), right, top + px(104), progress);
  place(kDetail, left, top + px(112), right, top + px(150), progress);
  // Buttons from the right: Cancel, Next, Back; a hidden one leaves no gap.
  int x = width_ - px(kMargin);
  const int y = bottom + (px(kBarHeight) - px(kButtonHeight)) / 2;
  for (const auto& [id, caption] : {std::pair{kCancel, &page_.cancel}, {kNext, &page_.next}, {kBack, &page_.back}}) {
    const bool shown = !caption->empty();
    if (shown) {
      SetWindowTextW(GetDlgItem(window_, id), ToWide(*caption).c_str());
      place(id, x - px(kButtonWidth), y, x, y + px(kButtonHeight), true);
      x -= px(kButtonWidth) + px(kGap);
    } else {
      ShowWindow(GetDlgItem(window_, id), SW_HIDE);
    }
  }
  InvalidateRect(window_, nullptr, TRUE);
}

void UpdateWindow::Show(const PageView& page) {
  page_ = page;
  SetDlgItemTextW(window_, kHeading, ToWide(page.heading).c_str());
  SetDlgItemTextW(window_, kBody, ToWide(page.body).c_str());
  SendMessageW(GetDlgItem(window_, kAccept), BM_SETCHECK, BST_UNCHECKED, 0);
  SetProgress({}, {}, 0);
  for (int id : {kBack, kNext, kCancel}) EnableWindow(GetDlgItem(window_, id), TRUE);
  if (page.kind == PageView::Terms) EnableWindow(GetDlgItem(window_, kNext), FALSE);
  Place();
  if (!IsWindowVisible(window_)) {
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
  }
  // The focus on the button that moves on, or on what the user must do first.
  int focus = kCancel;
  if (page.kind == PageView::Terms) focus = kAccept;
  else if (!page.next.empty()) focus = kNext;
  SetFocus(GetDlgItem(window_, focus));
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void UpdateWindow::EnableNext(bool enabled) { EnableWindow(GetDlgItem(window_, kNext), enabled); }

void UpdateWindow::EnableCancel(bool enabled) {
  HWND cancel = GetDlgItem(window_, kCancel);
  if (!enabled && GetFocus() == cancel) SetFocus(window_);
  EnableWindow(cancel, enabled);
}

bool UpdateWindow::Accepted() const {
  return SendMessageW(GetDlgItem(window_, kAccept), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void UpdateWindow::SetProgress(const std::u16string& line, const std::u16string& detail, int permille) {
  SetDlgItemTextW(window_, kLine, ToWide(line).c_str());
  SetDlgItemTextW(window_, kDetail, ToWide(detail).c_str());
  SendMessageW(GetDlgItem(window_, kBar), PBM_SETPOS, std::clamp(permille, 0, 1000), 0);
}

void UpdateWindow::Run() {
  MSG msg;
  while (window_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // A multi-line text box keeps Enter and Escape to itself outside a
    // dialog; here they move on or cancel from it too.
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) &&
        msg.hwnd == GetDlgItem(window_, kBody)) {
      SendMessageW(window_, WM_COMMAND, msg.wParam == VK_RETURN ? kNext : kCancel, 0);
      continue;
    }
    if (IsDialogMessageW(window_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void UpdateWindow::Close() {
  if (window_) DestroyWindow(window_);
}

void UpdateWindow::StartTicks(UINT milliseconds) { SetTimer(window_, 1, milliseconds, nullptr); }

void UpdateWindow::Post(WPARAM what, LPARAM value) { PostMessageW(window_, kPosted, what, value); }

LRESULT UpdateWindow::CallFromWorker(WPARAM what) { return SendMessageW(window_, kCall, what, 0); }

HWND UpdateWindow::Control(int id) const { return GetDlgItem(window_, id); }

bool UpdateWindow::SaveSnapshot(const std::u16string& path) const {
  // The page as it stands now, without the frame (a window manager's).
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
  // The screen is read back below, and a display may show what was painted
  // only once the thread waits (wine hands a window's pixels to X then, at
  // most every 50 ms): wait a little, without taking any message.
  for (int i = 0; i < 3; ++i) MsgWaitForMultipleObjects(0, nullptr, FALSE, 40, 0);
  RECT r;
  if (!GetClientRect(window_, &r)) return false;
  MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&r), 2);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
  std::vector<BYTE> pixels(stride * static_cast<DWORD>(h));
  const int lines = GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (lines != h) return false;
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof info + pixels.size()), 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof info};
  HANDLE out = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(out, &file, sizeof file, &written, nullptr) && WriteFile(out, &info, sizeof info, &written, nullptr) &&
            WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
  CloseHandle(out);
  return ok;
}

void UpdateWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  auto px = [this](int v) { return static_cast<int>(v * scale_ + 0.5); };
  const int top = px(kTop), bottom = top + px(kBodyHeight);
  const RECT body{px(kMainWidth), top, width_, bottom};
  FillRect(dc, &body, white_);
  PaintTopPicture(dc, look_, RECT{0, 0, width_, top});
  PaintMainPicture(dc, look_, RECT{0, top, px(kMainWidth), bottom});
  RECT bar{0, bottom, width_, height_};
  FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &bar, EDGE_ETCHED, BF_TOP);
  EndPaint(window_, &ps);
}

LRESULT CALLBACK UpdateWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<UpdateWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<UpdateWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(window, message, wParam, lParam);
}

LRESULT UpdateWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_CTLCOLORSTATIC:
      // Read-only text boxes and labels sit on the white page.
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(white_);
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      HWND control = GetDlgItem(window_, id);
      // Enter and Escape arrive as commands of the default and the Cancel
      // button, also when that button is hidden or disabled: then Enter does
      // nothing and Escape asks to close, as the title bar's button does.
      if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control)) {
        if (id == kCancel) events_.OnCloseRequest();
        return 0;
      }
      if (id == kAccept) EnableNext(Accepted());
      else if (id == kBack) events_.OnBack();
      else if (id == kNext) events_.OnNext();
      else if (id == kCancel) events_.OnCancel();
      return 0;
    }
    case WM_CLOSE:
      events_.OnCloseRequest();
      return 0;
    case kPosted:
      events_.OnPosted(wParam, lParam);
      return 0;
    case kCall:
      return events_.OnCall(wParam);
    case WM_TIMER:
      events_.OnTick();
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tidewatch
