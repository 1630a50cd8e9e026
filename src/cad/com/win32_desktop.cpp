#include "cad/com/win32_desktop.h"

#include <windows.h>

namespace qarn::cad::com {

namespace {

HWND handle(WindowHandle w) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(w));
}

class Win32Desktop : public Desktop {
 public:
  bool isIconic(WindowHandle w) override { return IsIconic(handle(w)) != FALSE; }
  void openIcon(WindowHandle w) override { OpenIcon(handle(w)); }
  void setForegroundWindow(WindowHandle w) override { SetForegroundWindow(handle(w)); }
  WindowHandle foregroundWindow() override {
    return static_cast<WindowHandle>(reinterpret_cast<intptr_t>(GetForegroundWindow()));
  }
  void pressEscape() override {
    INPUT keys[2] = {};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_ESCAPE;
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
  }
  void sleep(int ms) override { Sleep(static_cast<DWORD>(ms)); }
  bool windowSize(WindowHandle w, int& width, int& height) override {
    RECT r;
    if (!GetWindowRect(handle(w), &r)) return false;
    width = r.right - r.left;
    height = r.bottom - r.top;
    return true;
  }
  void drawViewMarker(WindowHandle w, const ViewMarker& m) override {
    HDC dc = GetDC(handle(w));
    if (!dc) return;
    HPEN pen = CreatePen(PS_SOLID, m.penWidth, RGB(m.red, m.green, m.blue));
    HGDIOBJ old = SelectObject(dc, pen);
    int oldRop = m.xorMode ? SetROP2(dc, R2_XORPEN) : 0;
    for (const auto& l : m.lines) {
      MoveToEx(dc, l.x0, l.y0, nullptr);
      LineTo(dc, l.x1, l.y1);
    }
    if (m.xorMode) SetROP2(dc, oldRop);
    SelectObject(dc, old);
    DeleteObject(pen);
    ReleaseDC(handle(w), dc);
  }
  std::optional<int> monitorScale() override {
    // The shell-scaling library exists from Windows 8.1 on: look it up at run time.
    HMODULE shcore = LoadLibraryW(L"shcore.dll");
    if (!shcore) return std::nullopt;
    using Fn = HRESULT(WINAPI*)(HMONITOR, int*);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(shcore, "GetScaleFactorForMonitor")));
    std::optional<int> scale;
    HMONITOR first = nullptr;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR m, HDC, LPRECT, LPARAM data) -> BOOL {
          *reinterpret_cast<HMONITOR*>(data) = m;
          return FALSE;  // the first monitor of the list
        },
        reinterpret_cast<LPARAM>(&first));
    int value = 0;
    if (fn && first && SUCCEEDED(fn(first, &value))) scale = value;
    FreeLibrary(shcore);
    return scale;
  }
};

}  // namespace

std::unique_ptr<Desktop> makeWin32Desktop() {
  return std::make_unique<Win32Desktop>();
}

}  // namespace qarn::cad::com
