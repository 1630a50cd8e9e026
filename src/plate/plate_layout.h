#pragma once
// A whole mounting plate laid out from a device list as a panel builder would build it: the plate
// of the chosen enclosure with wiring ducts along its edges and between the device rows, a DIN
// rail along the centre of each row, every listed device placed on its rail as a device frame,
// clear of the ducts by a clearance (its texts included), each run of devices held by an end stop
// at both ends; ordinary rows from the top duct down, terminal rows from the bottom duct up.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cad/command.h"
#include "catalogue/device_catalogue.h"
#include "frames/frame_row.h"

namespace qarn::plate {

inline const char* const kPlateLayer = "TOVEK_PLATE";
inline const char* const kDuctLayer = "TOVEK_DUCT";
inline const char* const kRailLayer = "TOVEK_RAIL";  // rails and their end stops
inline const char* const kBasePointPrompt = "配置基点（左下）を指示 : ";
inline constexpr double kRailWidth = 35;  // the EN 60715 top-hat rail

// A device list or its catalogue lookup refused, at the line of the list that is wrong.
class ListError : public std::runtime_error {
 public:
  ListError(int line, const std::string& reason)
      : std::runtime_error("line " + std::to_string(line) + ": " + reason), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

struct ListedDevice {
  int line = 0;  // in the list file, from 1
  std::string number, model;
  int poles = 0;     // terminal blocks: the pole count, 0 when not given
  double loss = 0;   // power loss in W, 0 when not given
};

// The list's lines: device number, model, an optional pole count and an optional power loss in
// watts, tab-separated; "//" lines and blank lines are skipped. Read in the encoding its
// byte-order mark names, else Shift-JIS. std::runtime_error when the file cannot be read,
// ListError for a line that is no device.
std::vector<ListedDevice> readDeviceList(const std::string& path);
std::vector<ListedDevice> parseDeviceList(const std::vector<std::string>& lines);

struct Rect {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  double width() const { return x1 - x0; }
  double height() const { return y1 - y0; }
  bool empty() const { return !(x1 > x0) || !(y1 > y0); }
};

// A listed device with what its catalogue row says of it: one frame, or one part of a terminal
// strip split over several rails.
struct LayoutDevice {
  ListedDevice item;
  frames::FrameRow row;
  std::string type;  // the TYPE text: the model, with " x NP" for a terminal block
  double width = 0, height = 0;
  bool terminal = false;
  int poles = 0;                  // a terminal block's poles, each `pitch` wide,
  double pitch = 0, endWidth = 0;  // between two end pieces
  int part = 0, parts = 0;        // of a split strip, from 1; 0 and 0 for a whole device
  // What the frame and its visible texts cover around its centre, as the CAD measured it; empty
  // until measured, when the frame's outline stands for it.
  Rect extent;

  // The NAME text: the device number, "TB1 (1/2)" for the first of two parts.
  std::string name() const;
  // The outline and the measured texts together, around the centre.
  Rect footprint() const;
};

// Each device looked up in the catalogue by its model, as a click on its first row does; a model
// the catalogue does not hold refuses the whole list at its line, as does a device without size.
std::vector<LayoutDevice> resolveDevices(const std::vector<ListedDevice>& list,
                                         const catalogue::Snapshot& catalogue);

struct PlacedDevice {
  LayoutDevice device;
  cad::Point3 centre;
  int row = 0;        // ordinary rows from the top down first, then terminal rows from the bottom up
  std::size_t index = 0;  // in the list that was laid out, strips split
};

// A plate width or height of the enclosure catalogue: the number, any mark after it left out
// ("740◇" is 740); 0 when there is no number.
double plateSize(const std::string& text);

struct LayoutInput {
  double plateWidth = 0, plateHeight = 0;  // PW, PH of the enclosure
  cad::Point3 base;                        // the plate's lower-left corner
  double duct = 40;                        // Dw
  double gap = 5;                          // g, between devices
  double clearance = 25;  // c, between a device (its texts included) and any duct
  double margin = 0;      // between the plate's edges and the edge ducts
  double endStop = 10;    // an end stop's width
  bool pack = false;      // fill rows first-fit by decreasing height instead of in list order
};

struct PlateLayout {
  Rect plate;
  std::vector<Rect> ducts;  // top, bottom, left, right, then those between rows
  std::vector<Rect> rails;  // one a row, in the order of PlacedDevice::row
  std::vector<Rect> endStops;  // two a row
  std::vector<PlacedDevice> placed;
  std::vector<LayoutDevice> notPlaced;  // in list order
  int rows = 0;
  bool complete() const { return notPlaced.empty(); }
};

// Terminal strips wider than a row (between the side ducts, less the clearances and two end
// stops) cut into parts: as many poles as a row holds, the rest on the next rail. Each part keeps
// both end pieces and the device number. Other devices pass unchanged.
std::vector<LayoutDevice> splitStrips(const LayoutInput& in, const std::vector<LayoutDevice>& list);

// The layout worked out without the CAD, strips split first. Rows are filled left to right, g
// apart between footprints and an end stop at both ends; in list order a device that does not
// fit starts the next row, with `pack` it joins the first row it fits in (tallest first). A row's
// height is its footprints' reach above and below the rail, plus the clearance on either side.
// Ordinary rows stack from the top duct down and terminal rows from the bottom duct up, a duct
// between two rows; the spare height lies between the two stacks, with a duct of its own when it
// is at least a duct wide. Rows that do not fit in the plate's height are left out from the last
// ordinary row on, then from the last terminal row.
PlateLayout layOutPlate(const LayoutInput& in, const std::vector<LayoutDevice>& devices);

struct DrawResult {
  enum class Status { NotRunning, Cancelled, Drawn };
  Status status = Status::NotRunning;
  std::string refusal;  // a device layer that is off, frozen or locked
};

// The "配置" button: the base point asked in the CAD, then in one undo group every frame of the
// list inserted with its six attributes on "TOVEK_FRONT" and measured (GetBoundingBox), the
// layout worked out with what was measured, each frame moved to its place (those that do not fit
// erased), and the plate on "TOVEK_PLATE", ducts on "TOVEK_DUCT", rails and end stops on
// "TOVEK_RAIL" as closed polylines.
struct PlaceResult {
  DrawResult drawn;
  PlateLayout layout;
  std::vector<LayoutDevice> measured;  // the frames as laid out, strips split, texts measured
};
PlaceResult placePlate(cad::Session& session, LayoutInput in,
                       const std::vector<LayoutDevice>& devices);

}  // namespace qarn::plate
