#pragma once
// The simulated CAD's desktop: it records what the program asked of the windows and sleeps on a
// virtual clock, so that a test sees every restore, foreground and Escape and never waits.
#include <map>
#include <string>
#include <vector>

#include "cad/desktop.h"

namespace qarn::cad::sim {

class SimDesktop : public Desktop {
 public:
  bool isIconic(WindowHandle w) override;
  void openIcon(WindowHandle w) override;
  void setForegroundWindow(WindowHandle w) override;
  WindowHandle foregroundWindow() override { return foreground_; }
  void pressEscape() override;
  void sleep(int milliseconds) override;
  bool windowSize(WindowHandle w, int& width, int& height) override;
  void drawViewMarker(WindowHandle w, const ViewMarker& marker) override;
  std::optional<int> monitorScale() override { return scale_; }

  // Set-up for tests.
  void addWindow(WindowHandle w, int width, int height) { windows_[w] = {width, height, false}; }
  void minimizeWindow(WindowHandle w) { windows_[w].iconic = true; }
  // A window that may not come to the front (another program holds the foreground).
  void refuseForeground(bool refuse) { refuseForeground_ = refuse; }
  void setMonitorScale(std::optional<int> percent) { scale_ = percent; }

  // What happened: "openIcon 4660", "foreground 4660", "escape", "sleep 100", "marker 4660".
  const std::vector<std::string>& events() const { return events_; }
  void clearEvents() { events_.clear(); }
  long long sleptMilliseconds() const { return slept_; }
  const std::vector<ViewMarker>& markers() const { return markers_; }

 private:
  struct Window {
    int width = 0, height = 0;
    bool iconic = false;
  };
  std::map<WindowHandle, Window> windows_;
  WindowHandle foreground_ = 0;
  bool refuseForeground_ = false;
  std::optional<int> scale_ = 100;
  std::vector<std::string> events_;
  std::vector<ViewMarker> markers_;
  long long slept_ = 0;
};

}  // namespace qarn::cad::sim
