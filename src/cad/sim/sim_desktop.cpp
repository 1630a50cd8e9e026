#include "cad/sim/sim_desktop.h"

namespace qarn::cad::sim {

bool SimDesktop::isIconic(WindowHandle w) {
  auto it = windows_.find(w);
  return it != windows_.end() && it->second.iconic;
}

void SimDesktop::openIcon(WindowHandle w) {
  events_.push_back("openIcon " + std::to_string(w));
  auto it = windows_.find(w);
  if (it != windows_.end()) it->second.iconic = false;
}

void SimDesktop::setForegroundWindow(WindowHandle w) {
  events_.push_back("foreground " + std::to_string(w));
  if (!refuseForeground_ && windows_.count(w)) foreground_ = w;
}

void SimDesktop::pressEscape() {
  events_.push_back("escape");
}

void SimDesktop::sleep(int milliseconds) {
  events_.push_back("sleep " + std::to_string(milliseconds));
  slept_ += milliseconds;
}

bool SimDesktop::windowSize(WindowHandle w, int& width, int& height) {
  auto it = windows_.find(w);
  if (it == windows_.end()) return false;
  width = it->second.width;
  height = it->second.height;
  return true;
}

void SimDesktop::drawViewMarker(WindowHandle w, const ViewMarker& marker) {
  events_.push_back("marker " + std::to_string(w));
  markers_.push_back(marker);
}

}  // namespace qarn::cad::sim
