#include "plate/plate_layout.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "cad/automation_error.h"
#include "cad/drawing_routines.h"
#include "cad/numbers.h"
#include "cad/text.h"
#include "cad/text_file.h"
#include "frames/device_layers.h"
#include "frames/frame_block.h"
#include "frames/front_placement.h"
#include "frames/picked_frame.h"
#include "inspect/summary.h"

namespace qarn::plate {

std::vector<ListedDevice> parseDeviceList(const std::vector<std::string>& lines) {
  std::vector<ListedDevice> out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    int line = static_cast<int>(i) + 1;
    std::string_view text = cad::trimView(lines[i]);
    if (text.empty() || text.substr(0, 2) == "//") continue;
    std::vector<std::string> f = cad::SplitTabs(lines[i]);
    ListedDevice d;
    d.line = line;
    d.number = f.size() > 0 ? cad::trim(f[0]) : "";
    d.model = f.size() > 1 ? cad::trim(f[1]) : "";
    if (d.number.empty()) throw ListError(line, "no device number");
    if (d.model.empty()) throw ListError(line, "no model for " + d.number);
    if (f.size() > 2 && !cad::trim(f[2]).empty()) {
      auto poles = cad::tryReadWholeNumber(f[2]);
      if (!poles || *poles < 1 || *poles > 1000)
        throw ListError(line, "the pole count \"" + cad::trim(f[2]) + "\" is not a whole number");
      d.poles = *poles;
    }
    out.push_back(d);
  }
  return out;
}

std::vector<ListedDevice> readDeviceList(const std::string& path) {
  std::optional<cad::TextFile> f = cad::readTextFile(path);
  if (!f) throw std::runtime_error("no device list " + path);
  return parseDeviceList(f->lines);
}

std::vector<LayoutDevice> resolveDevices(const std::vector<ListedDevice>& list,
                                         const catalogue::Snapshot& catalogue) {
  std::map<std::string, const catalogue::Record*> byModel;
  for (const catalogue::Record& r : catalogue.records)
    byModel.emplace(r.field(1), &r);  // the first row of a model, as a click finds it
  std::vector<LayoutDevice> out;
  for (const ListedDevice& item : list) {
    auto it = byModel.find(item.model);
    if (it == byModel.end())
      throw ListError(item.line, "model \"" + item.model + "\" is not in the catalogue");
    LayoutDevice d;
    d.item = item;
    d.row = frames::chooseFrameRow(it->second->fields());
    d.terminal = d.row.terminalBlock;
    double w = cad::readNumber(d.row.width), h = cad::readNumber(d.row.height);
    if (d.terminal) {
      int poles = item.poles > 0 ? item.poles : 1;
      w = poles * w + 2 * cad::readNumber(d.row.endWidth);
      d.type = frames::modelText(d.row.model, true, std::to_string(poles));
    } else {
      d.type = d.row.model;
    }
    if (!(w > 0) || !(h > 0))
      throw ListError(item.line, "model \"" + item.model + "\" has no width or height");
    d.width = w;
    d.height = h;
    out.push_back(d);
  }
  return out;
}

double plateSize(const std::string& text) {
  std::string t = cad::trim(text);
  std::size_t end = 0;
  while (end < t.size() && (std::isdigit(static_cast<unsigned char>(t[end])) || t[end] == '.'))
    ++end;
  return cad::readNumber(t.substr(0, end), 0.0);
}

namespace {

struct Row {
  std::vector<std::size_t> devices;  // indices into the device list
  double height = 0;
};

// Left to right in list order; a device too wide for any row is left out.
std::vector<Row> fillRows(const std::vector<LayoutDevice>& devices, bool terminals, double usable,
                          double gap, std::vector<std::size_t>& tooWide) {
  std::vector<Row> rows;
  double used = 0;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    const LayoutDevice& d = devices[i];
    if (d.terminal != terminals) continue;
    if (d.width > usable) {
      tooWide.push_back(i);
      continue;
    }
    if (rows.empty() || used + gap + d.width > usable) {
      rows.push_back({});
      used = -gap;
    }
    rows.back().devices.push_back(i);
    rows.back().height = std::max(rows.back().height, d.height);
    used += gap + d.width;
  }
  return rows;
}

}  // namespace

PlateLayout layOutPlate(const LayoutInput& in, const std::vector<LayoutDevice>& devices) {
  PlateLayout out;
  double x0 = in.base.x, y0 = in.base.y, W = in.plateWidth, H = in.plateHeight, D = in.duct,
         g = in.gap;
  out.plate = {x0, y0, x0 + W, y0 + H};
  out.ducts = {{x0, y0 + H - D, x0 + W, y0 + H},
               {x0, y0, x0 + W, y0 + D},
               {x0, y0 + D, x0 + D, y0 + H - D},
               {x0 + W - D, y0 + D, x0 + W, y0 + H - D}};
  // Between the side ducts, g from each: the width a row of devices may take.
  double usable = W - 2 * D - 2 * g;
  double available = H - 2 * D;
  std::vector<std::size_t> left;
  std::vector<Row> ordinary = fillRows(devices, false, usable, g, left);
  std::vector<Row> terminals = fillRows(devices, true, usable, g, left);
  auto stackHeight = [&] {
    double h = 0;
    int n = 0;
    for (const auto* group : {&ordinary, &terminals})
      for (const Row& r : *group) {
        h += r.height;
        ++n;
      }
    return n == 0 ? 0.0 : h + (n - 1) * D;
  };
  auto dropLast = [&](std::vector<Row>& rows) {
    for (std::size_t i : rows.back().devices)
      left.push_back(i);
    rows.pop_back();
  };
  while (!ordinary.empty() && stackHeight() > available)
    dropLast(ordinary);
  while (!terminals.empty() && stackHeight() > available)
    dropLast(terminals);

  std::vector<Row> rows = ordinary;
  rows.insert(rows.end(), terminals.begin(), terminals.end());
  out.rows = static_cast<int>(rows.size());
  double spare = available - stackHeight();
  // A stack that ends less than a duct above the bottom duct moves down onto it; otherwise a duct
  // runs under its last row too, so that every row lies between two ducts.
  double top = y0 + H - D - (spare > 0 && spare < D ? spare : 0);
  double railLeft = x0 + D, railRight = x0 + W - D;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const Row& r = rows[k];
    double bottom = top - r.height, centre = top - r.height / 2;
    out.rails.push_back({railLeft, centre - kRailWidth / 2, railRight, centre + kRailWidth / 2});
    double x = x0 + D + g;
    for (std::size_t i : r.devices) {
      const LayoutDevice& d = devices[i];
      out.placed.push_back({d, {x + d.width / 2, centre, 0}, static_cast<int>(k)});
      x += d.width + g;
    }
    bool last = k + 1 == rows.size();
    if (!last || spare >= D) out.ducts.push_back({railLeft, bottom - D, railRight, bottom});
    top = bottom - D;
  }
  std::sort(left.begin(), left.end());
  for (std::size_t i : left)
    out.notPlaced.push_back(devices[i]);
  return out;
}

std::vector<LengthLine> lengthLines(const PlateLayout& layout) {
  LengthLine rail{"DINレール", kRailWidth, 0, 0};
  std::map<double, LengthLine> ducts;
  for (const Rect& r : layout.rails) {
    ++rail.pieces;
    rail.totalLength += r.width();
  }
  for (const Rect& d : layout.ducts) {
    bool horizontal = d.width() >= d.height();
    double size = horizontal ? d.height() : d.width();
    LengthLine& l = ducts[size];
    l.kind = "配線ダクト";
    l.size = size;
    ++l.pieces;
    l.totalLength += horizontal ? d.width() : d.height();
  }
  std::vector<LengthLine> out;
  if (rail.pieces > 0) out.push_back(rail);
  for (const auto& [size, l] : ducts)
    out.push_back(l);
  return out;
}

inspect::GridTable frameSummary(const PlateLayout& layout) {
  // The devices are counted in list order, as if picked one by one from the first.
  std::vector<const PlacedDevice*> order;
  for (const PlacedDevice& p : layout.placed)
    order.push_back(&p);
  std::sort(order.begin(), order.end(), [](const PlacedDevice* a, const PlacedDevice* b) {
    return a->device.item.line < b->device.item.line;
  });
  inspect::GridTable t = inspect::newSummaryTable();
  t.setRowCount(static_cast<int>(order.size()) + 1);
  for (std::size_t i = 0; i < order.size(); ++i) {
    int row = static_cast<int>(i) + 1;
    const LayoutDevice& d = order[i]->device;
    t.setCell(inspect::kSumNo, row, std::to_string(row));
    t.setCell(inspect::kSumType, row, d.type);
    // The texts as the frames carry them, symbols written the CAD's way.
    t.setCell(inspect::kSumSpec, row, cad::ToCadSymbols(d.row.rating));
    t.setCell(inspect::kSumAux1, row, cad::ToCadSymbols(d.row.auxiliary));
    t.setCell(inspect::kSumCount, row, "1");
  }
  if (!order.empty()) inspect::GroupSummaryRows(t);
  return t;
}

namespace {
std::string lengthText(double mm) {
  return cad::writeNumber(std::round(mm * 10) / 10);
}
}  // namespace

std::string bomText(const PlateLayout& layout) {
  std::string out = inspect::summaryText(frameSummary(layout));
  out.insert(out.find('\n'), "\t長さ(mm)");
  for (const LengthLine& l : lengthLines(layout))
    out += "\t" + l.kind + "\t" + cad::writeNumber(l.size) + "\t\t" + std::to_string(l.pieces) +
           "\t" + lengthText(l.totalLength) + "\n";
  return out;
}

std::string bomCsv(const PlateLayout& layout) {
  std::string out = inspect::summaryCsv(frameSummary(layout));
  out.insert(out.find("\r\n"), ",長さ(mm)");
  for (const LengthLine& l : lengthLines(layout))
    out += "," + l.kind + "," + cad::writeNumber(l.size) + ",," + std::to_string(l.pieces) + "," +
           lengthText(l.totalLength) + "\r\n";
  return out;
}

namespace {

void outline(const cad::Block& ms, const Rect& r, const std::string& layer) {
  cad::Polyline p = ms.addLightWeightPolyline({r.x0, r.y0, r.x1, r.y0, r.x1, r.y1, r.x0, r.y1});
  p.setClosed(true);
  p.setLayer(layer);
}

}  // namespace

DrawResult drawPlate(cad::Session& session, const PlateLayout& layout) {
  cad::CadCommand c(session);
  DrawResult r;
  if (!c.running()) return r;
  {
    const cad::Document& doc = c.doc();
    c.openUndoGroup();
    cad::EnsureLayer(doc, kPlateLayer, 8, "", c.progId());
    cad::EnsureLayer(doc, kDuctLayer, 4, "", c.progId());
    cad::EnsureLayer(doc, kRailLayer, 5, "", c.progId());
    cad::EnsureLayer(doc, frames::kFrontLayer, 7, "", c.progId());
    if (auto why = frames::layerRefusal(doc, frames::kFrontLayer, "機器枠")) {
      r.refusal = *why;
      return r;
    }
    frames::EnsureFrameBlock(doc, frames::kFrameBlock, c.progId());
    cad::Block ms = doc.modelSpace();
    outline(ms, layout.plate, kPlateLayer);
    for (const Rect& d : layout.ducts)
      outline(ms, d, kDuctLayer);
    for (const Rect& rail : layout.rails)
      outline(ms, rail, kRailLayer);
    double dimscale = frames::textScale(doc);
    for (const PlacedDevice& p : layout.placed) {
      const LayoutDevice& d = p.device;
      cad::BlockReference ref =
          ms.insertBlock(p.centre, frames::kFrameBlock, d.width / 100, d.height / 100, 1, 0);
      ref.setLayer(frames::kFrontLayer);
      frames::FrameFields f;
      f.number = d.item.number;
      f.rating = d.row.rating;
      f.auxiliary = d.row.auxiliary;
      f.dimensions = d.row.dimensions;
      f.cut = d.row.cut;
      if (ref.hasAttributes())
        frames::fillFrameAttributes(ref, d.width, d.height, d.type, f, dimscale);
    }
    r.status = DrawResult::Status::Drawn;
  }
  return r;
}

PlaceResult placePlate(cad::Session& session, LayoutInput in,
                       const std::vector<LayoutDevice>& devices) {
  PlaceResult out;
  {
    cad::CadCommand c(session);
    if (!c.running()) return out;
    c.minimizeMainWindow();
    c.bringCadForward();
    std::optional<cad::Point3> base = c.pickPoint(kBasePointPrompt);
    if (!base) {
      out.drawn.status = DrawResult::Status::Cancelled;
      return out;
    }
    in.base = *base;
  }
  out.layout = layOutPlate(in, devices);
  out.drawn = drawPlate(session, out.layout);
  return out;
}

}  // namespace qarn::plate
