#include "app/platform_desktop.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include "cad/com/win32_desktop.h"
#endif

namespace qarn::app {

namespace {
class PlainDesktop : public cad::Desktop {
 public:
  bool isIconic(cad::WindowHandle) override { return false; }
  void openIcon(cad::WindowHandle) override {}
  void setForegroundWindow(cad::WindowHandle w) override { foreground_ = w; }
  cad::WindowHandle foregroundWindow() override { return foreground_; }
  void pressEscape() override {}
  void sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  bool windowSize(cad::WindowHandle, int&, int&) override { return false; }
  void drawViewMarker(cad::WindowHandle, const cad::ViewMarker&) override {}
  std::optional<int> monitorScale() override { return std::nullopt; }

 private:
  cad::WindowHandle foreground_ = 0;
};
}  // namespace

std::unique_ptr<cad::Desktop> makePlatformDesktop() {
  return std::make_unique<PlainDesktop>();
}

}  // namespace qarn::app
