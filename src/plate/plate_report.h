#pragma once
// What a laid-out plate asks of the panel builder: the rails, ducts and end stops to buy and how
// to cut the stock lengths, the frames as the bill of materials counts them, the enclosure that
// would take a list that does not fit, and how warm the enclosure's air gets.
#include <optional>
#include <string>
#include <vector>

#include "inspect/grid_table.h"
#include "plate/plate_layout.h"

namespace qarn::plate {

// One line of the rails, ducts and end stops in the bill of materials.
struct LengthLine {
  std::string kind;  // "DINレール", "配線ダクト" or "エンドストップ"
  double size = 0;   // rail 35, duct Dw, end stop width
  int pieces = 0;
  double totalLength = 0;  // mm; 0 for end stops
  std::vector<double> cuts;  // each piece's length
};
// Rails along their length (between the side ducts); horizontal ducts by width, vertical ones by
// height; then the end stops.
std::vector<LengthLine> lengthLines(const PlateLayout& layout);

// Cuts taken from sticks of a stock length, first-fit decreasing: the longest cut first, each into
// the first stick with room left, else a new stick. A cut longer than a stick is made of whole
// sticks and the rest.
struct Stick {
  std::vector<double> cuts;
  double waste = 0;
};
struct CutPlan {
  std::string kind;
  double size = 0, stock = 0;
  std::vector<Stick> sticks;
};
CutPlan cutPlan(const std::vector<double>& cuts, double stock);

struct StockLengths {
  double rail = 2000, duct = 2000;
};
// The plans for the rails and for each size of duct.
std::vector<CutPlan> cutPlans(const PlateLayout& layout, const StockLengths& stock);

// An enclosure of a family catalogue by its outer and plate sizes, in mm.
struct EnclosureSize {
  std::string model;
  double width = 0, height = 0, depth = 0, plateWidth = 0, plateHeight = 0;
};
// The enclosures of a family catalogue's rows (as loaded, field 0 the line number); rows without
// a plate are left out.
std::vector<EnclosureSize> enclosureSizes(const std::vector<std::vector<std::string>>& rows);

// The smallest enclosure (by plate area, then plate height) on whose plate the whole list lays
// out, with the same ducts, gaps and clearances; nothing when none does. `devices` as measured.
std::optional<std::string> enclosureThatFits(const LayoutInput& in,
                                             const std::vector<LayoutDevice>& devices,
                                             const std::vector<EnclosureSize>& family);
// "RA12-6080 には入りません。RA14-8010 なら全て配置できます。"
std::string fitMessage(const std::string& model, const std::optional<std::string>& suggestion,
                       const std::string& family);

// The measured texts of split frames carried back to the whole devices of the list, so that the
// list can be laid out on another plate.
std::vector<LayoutDevice> withMeasuredTexts(const std::vector<LayoutDevice>& list,
                                            const std::vector<LayoutDevice>& measured);

enum class Mount { Wall, Free };
inline constexpr double kHeatTransfer = 5.5;  // W/(m²·K), painted sheet steel
struct Heat {
  double loss = 0;   // W
  double area = 0;   // m², the effective cooling surface
  double rise = 0;   // K
  bool tooWarm = false;
};
// ΔT = P / (k · A), A from W, H, D in metres: free-standing 1.8·H·(W+D) + 1.4·W·D, wall-mounted
// 1.4·W·(H+D) + 1.8·D·H.
Heat estimateHeat(const EnclosureSize& box, double loss, Mount mount, double maxRise);
double totalLoss(const std::vector<LayoutDevice>& list);

// Everything the page, the command-line tool and the bill of materials tell of a layout.
struct PlateReport {
  std::vector<LengthLine> lengths;
  std::vector<CutPlan> plans;
  std::string fit;  // the enclosure message when some did not fit, else empty
  std::optional<Heat> heat;
  double maxRise = 15;
};
// Lines of text, one fact each, in Japanese as the page shows them.
std::vector<std::string> reportLines(const PlateReport& r);

// The bill of materials: the frames as the summary page counts them (picked in list order, a
// split strip once), then the rail, duct and end-stop lines, then the report's lines. Text:
// tab-separated with a sixth column for lengths; CSV: as the summary's CSV with that column.
inspect::GridTable frameSummary(const PlateLayout& layout);
std::string bomText(const PlateLayout& layout, const PlateReport& report);
std::string bomCsv(const PlateLayout& layout, const PlateReport& report);

}  // namespace qarn::plate
