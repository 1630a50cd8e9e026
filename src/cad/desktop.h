#pragma once
// The window operations the commands need from the platform: the CAD's window brought forward,
// the Escape key, waiting, the view marker, the monitor scale.
#include <optional>
#include <vector>

#include "cad/facade.h"

namespace qarn::cad {

// Lines drawn over the CAD's window in client pixels, as the attribute editor marks a point.
struct ViewMarker {
  struct Line {
    int x0, y0, x1, y1;
  };
  std::vector<Line> lines;
  int penWidth = 1;
  unsigned red = 255, green = 100, blue = 100;
  bool xorMode = false;
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  virtual bool isIconic(WindowHandle w) = 0;
  virtual void openIcon(WindowHandle w) = 0;
  virtual void setForegroundWindow(WindowHandle w) = 0;
  virtual WindowHandle foregroundWindow() = 0;
  virtual void pressEscape() = 0;  // one press and its release
  virtual void sleep(int milliseconds) = 0;
  // The window's outer size in pixels; false when the window is unknown.
  virtual bool windowSize(WindowHandle w, int& width, int& height) = 0;
  virtual void drawViewMarker(WindowHandle w, const ViewMarker& marker) = 0;
  // The first monitor's scale in percent; nothing when the platform has no such service.
  virtual std::optional<int> monitorScale() = 0;
};

// The main window as the commands see it: put away while the user picks in the CAD, brought back
// for messages and at the end.
class MainWindow {
 public:
  virtual ~MainWindow() = default;
  virtual void minimize() = 0;
  virtual void restore() = 0;       // normal state
  virtual void bringToFront() = 0;  // before a message is shown over it
};

}  // namespace qarn::cad
