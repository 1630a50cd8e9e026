#include "cad/platform_desktop.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include "cad/com/win32_desktop.h"
#endif

namespace qarn::cad {

#ifndef _WIN32
namespace {
class PlainDesktop : public Desktop {
 public:
  bool isIconic(WindowHandle) override { return false; }
  void openIcon(WindowHandle) override {}
  void setForegroundWindow(WindowHandle w) override { foreground_ = w; }
  WindowHandle foregroundWindow() override { return foreground_; }
  void pressEscape() override {}
  void sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  bool windowSize(WindowHandle, int&, int&) override { return false; }
  void drawViewMarker(WindowHandle, const ViewMarker&) override {}
  std::optional<int> monitorScale() override { return std::nullopt; }

 private:
  WindowHandle foreground_ = 0;
};
}  // namespace
#endif

std::unique_ptr<Desktop> makePlatformDesktop() {
#ifdef _WIN32
  return com::makeWin32Desktop();
#else
  return std::make_unique<PlainDesktop>();
#endif
}

}  // namespace qarn::cad
