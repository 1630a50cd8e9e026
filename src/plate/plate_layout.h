#pragma once
// A whole mounting plate laid out from a device list: the plate of the chosen enclosure with
// wiring ducts along its edges and between the device rows, a DIN rail along the centre of each
// row, and every listed device placed on its rail as a device frame, in list order; terminal
// blocks in rows of their own at the bottom. The rails and ducts join the bill of materials.
#include <stdexcept>
#include <string>
#include <vector>

#include "cad/command.h"
#include "catalogue/device_catalogue.h"
#include "frames/frame_row.h"
#include "inspect/grid_table.h"

namespace qarn::plate {

inline const char* const kPlateLayer = "TOVEK_PLATE";
inline const char* const kDuctLayer = "TOVEK_DUCT";
inline const char* const kRailLayer = "TOVEK_RAIL";
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
  int poles = 0;  // terminal blocks: the pole count, 0 when not given
};

// The list's lines: device number, model and an optional pole count, tab-separated; "//" lines
// and blank lines are skipped. Read in the encoding its byte-order mark names, else Shift-JIS.
// std::runtime_error when the file cannot be read, ListError for a line that is no device.
std::vector<ListedDevice> readDeviceList(const std::string& path);
std::vector<ListedDevice> parseDeviceList(const std::vector<std::string>& lines);

// A listed device with what its catalogue row says of it.
struct LayoutDevice {
  ListedDevice item;
  frames::FrameRow row;
  std::string type;  // the TYPE text: the model, with " x NP" for a terminal block
  double width = 0, height = 0;
  bool terminal = false;
};

// Each device looked up in the catalogue by its model, as a click on its first row does; a model
// the catalogue does not hold refuses the whole list at its line, as does a device without size.
std::vector<LayoutDevice> resolveDevices(const std::vector<ListedDevice>& list,
                                         const catalogue::Snapshot& catalogue);

struct Rect {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  double width() const { return x1 - x0; }
  double height() const { return y1 - y0; }
};

struct PlacedDevice {
  LayoutDevice device;
  cad::Point3 centre;
  int row = 0;  // from 0, top row first
};

// A plate width or height of the enclosure catalogue: the number, any mark after it left out
// ("740◇" is 740); 0 when there is no number.
double plateSize(const std::string& text);

struct LayoutInput {
  double plateWidth = 0, plateHeight = 0;  // PW, PH of the enclosure
  cad::Point3 base;                        // the plate's lower-left corner
  double duct = 40;                        // Dw
  double gap = 5;                          // g
};

struct PlateLayout {
  Rect plate;
  std::vector<Rect> ducts;  // top, bottom, left, right, then those between rows
  std::vector<Rect> rails;  // one a row, top row first
  std::vector<PlacedDevice> placed;
  std::vector<LayoutDevice> notPlaced;  // in list order
  int rows = 0;
};

// The layout worked out without the CAD. Rows are filled left to right in list order, g apart
// and g from the side ducts; a device that does not fit starts the next row. Rows stack from the
// top duct down, one duct between two rows, terminal-block rows last; rows that do not fit in
// the plate's height are left out from the last ordinary row on, then from the last terminal row.
PlateLayout layOutPlate(const LayoutInput& in, const std::vector<LayoutDevice>& devices);

// One line of the rails and ducts in the bill of materials.
struct LengthLine {
  std::string kind;  // "DINレール" or "配線ダクト"
  double size = 0;   // rail 35, duct Dw
  int pieces = 0;
  double totalLength = 0;  // mm
};
// Rails along their length (the plate's usable width); horizontal ducts by width, vertical ones
// by height.
std::vector<LengthLine> lengthLines(const PlateLayout& layout);

// The bill of materials: the frames as the summary page counts them (picked in list order), then
// the rail and duct lines. Text: tab-separated with a sixth column for lengths; CSV: as the
// summary's CSV with that column.
inspect::GridTable frameSummary(const PlateLayout& layout);
std::string bomText(const PlateLayout& layout);
std::string bomCsv(const PlateLayout& layout);

struct DrawResult {
  enum class Status { NotRunning, Cancelled, Drawn };
  Status status = Status::NotRunning;
  std::string refusal;  // a device layer that is off, frozen or locked
};

// Draws the layout through the automation boundary in one undo group: the plate on
// "TOVEK_PLATE", ducts on "TOVEK_DUCT" and rails on "TOVEK_RAIL" as closed polylines, each device
// a frame of the frame block on "TOVEK_FRONT" inserted at its place with its six attributes.
DrawResult drawPlate(cad::Session& session, const PlateLayout& layout);

// The "配置" button: the base point asked in the CAD, then the layout worked out there and drawn.
struct PlaceResult {
  DrawResult drawn;
  PlateLayout layout;
};
PlaceResult placePlate(cad::Session& session, LayoutInput in,
                       const std::vector<LayoutDevice>& devices);

}  // namespace qarn::plate
