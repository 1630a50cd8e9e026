#pragma once
// The drawing window's "印刷 (PDF)…" dialog: it gathers the paper, orientation, area, scale,
// colour and file, and runs the simulated CAD's PLOT command with them, so that the window prints
// exactly as the command line and qarn-cli do.
#include <QString>
#include <functional>
#include <optional>

#include "cad/geometry.h"

class QWidget;

namespace qarn::cad::sim {
class SimCad;
}

namespace qarn::simview {

class SimCadWindow;

struct PlotChoice {
  bool a3 = false;
  bool landscape = false;
  // The window's corners; nothing prints the drawing's extents. With `pickWindow` the corners are
  // picked on the drawing when the dialog closes.
  std::optional<std::pair<cad::Point3, cad::Point3>> window;
  bool pickWindow = false;
  double scale = 0;  // N of 1:N; 0 fits
  bool colour = false;
  QString file;
};

// The typed line that prints as chosen (corners left to be picked when `pickWindow`).
QString plotCommandLine(const PlotChoice& c);

// Asks with the dialog (or `askPlotChoice`, in the tests) and prints; the transcript tells what
// was written or why not.
void printDrawing(SimCadWindow& window, cad::sim::SimCad& cad);

// The modal dialog, replaced by the tests: the choice made from `defaults`, or nothing when
// cancelled.
extern std::function<std::optional<PlotChoice>(QWidget* parent, const PlotChoice& defaults)>
    askPlotChoice;

}  // namespace qarn::simview
