#include "plate/plate_report.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "cad/numbers.h"
#include "cad/text.h"
#include "enclosure/enclosure_catalogue.h"
#include "inspect/summary.h"

namespace qarn::plate {

namespace {
constexpr double kEps = 1e-6;

std::string mm(double v) {
  return cad::writeNumber(std::round(v * 10) / 10);
}
}  // namespace

std::vector<LengthLine> lengthLines(const PlateLayout& layout) {
  LengthLine rail{"DINレール", kRailWidth, 0, 0, {}};
  std::map<double, LengthLine> ducts;
  for (const Rect& r : layout.rails) {
    ++rail.pieces;
    rail.totalLength += r.width();
    rail.cuts.push_back(r.width());
  }
  for (const Rect& d : layout.ducts) {
    bool horizontal = d.width() >= d.height();
    double size = horizontal ? d.height() : d.width(), length = horizontal ? d.width() : d.height();
    LengthLine& l = ducts[size];
    l.kind = "配線ダクト";
    l.size = size;
    ++l.pieces;
    l.totalLength += length;
    l.cuts.push_back(length);
  }
  std::vector<LengthLine> out;
  if (rail.pieces > 0) out.push_back(rail);
  for (const auto& [size, l] : ducts)
    out.push_back(l);
  if (!layout.endStops.empty())
    out.push_back({"エンドストップ", layout.endStops.front().width(),
                   static_cast<int>(layout.endStops.size()), 0, {}});
  return out;
}

CutPlan cutPlan(const std::vector<double>& cuts, double stock) {
  CutPlan plan;
  plan.stock = stock;
  if (!(stock > 0)) return plan;
  std::vector<double> pieces;
  for (double c : cuts) {
    if (!(c > 0)) continue;
    // Whole sticks for what a stick cannot hold, joined on the plate; the rest is cut as usual.
    while (c > stock + kEps) {
      plan.sticks.push_back({{stock}, 0});
      c -= stock;
    }
    pieces.push_back(c);
  }
  std::stable_sort(pieces.begin(), pieces.end(), std::greater<>());
  std::vector<Stick> cut;
  for (double p : pieces) {
    auto s = std::find_if(cut.begin(), cut.end(), [&](const Stick& s) { return s.waste >= p - kEps; });
    if (s == cut.end()) s = cut.insert(cut.end(), Stick{{}, stock});
    s->cuts.push_back(p);
    s->waste = std::max(0.0, s->waste - p);
  }
  plan.sticks.insert(plan.sticks.end(), cut.begin(), cut.end());
  return plan;
}

std::vector<CutPlan> cutPlans(const PlateLayout& layout, const StockLengths& stock) {
  std::vector<CutPlan> out;
  for (const LengthLine& l : lengthLines(layout)) {
    if (l.cuts.empty()) continue;
    CutPlan p = cutPlan(l.cuts, l.kind == "DINレール" ? stock.rail : stock.duct);
    p.kind = l.kind;
    p.size = l.size;
    out.push_back(p);
  }
  return out;
}

std::vector<EnclosureSize> enclosureSizes(const std::vector<std::vector<std::string>>& rows) {
  std::vector<EnclosureSize> out;
  for (const auto& row : rows) {
    enclosure::ChosenEnclosure c = enclosure::copyEnclosureRow(row);
    EnclosureSize e{c.model,           plateSize(c.width),      plateSize(c.height),
                    plateSize(c.depth), plateSize(c.plateWidth), plateSize(c.plateHeight)};
    if (e.plateWidth > 0 && e.plateHeight > 0) out.push_back(e);
  }
  return out;
}

std::optional<std::string> enclosureThatFits(const LayoutInput& in,
                                             const std::vector<LayoutDevice>& devices,
                                             const std::vector<EnclosureSize>& family) {
  std::vector<EnclosureSize> bySize = family;
  std::stable_sort(bySize.begin(), bySize.end(), [](const EnclosureSize& a, const EnclosureSize& b) {
    double areaA = a.plateWidth * a.plateHeight, areaB = b.plateWidth * b.plateHeight;
    return areaA != areaB ? areaA < areaB : a.plateHeight < b.plateHeight;
  });
  for (const EnclosureSize& e : bySize) {
    LayoutInput other = in;
    other.plateWidth = e.plateWidth;
    other.plateHeight = e.plateHeight;
    if (other.plateWidth <= 2 * (in.duct + in.margin) ||
        other.plateHeight <= 2 * (in.duct + in.margin))
      continue;
    if (layOutPlate(other, devices).complete()) return e.model;
  }
  return std::nullopt;
}

std::string fitMessage(const std::string& model, const std::optional<std::string>& suggestion,
                       const std::string& family) {
  std::string out = model + " には入りません。";
  if (suggestion) return out + *suggestion + " なら全て配置できます。";
  return out + "全て配置できる " + family + " の盤はありません。";
}

std::vector<LayoutDevice> withMeasuredTexts(const std::vector<LayoutDevice>& list,
                                            const std::vector<LayoutDevice>& measured) {
  std::vector<LayoutDevice> out = list;
  for (LayoutDevice& d : out)
    for (const LayoutDevice& m : measured) {
      if (m.item.line != d.item.line || m.item.number != d.item.number || m.extent.empty())
        continue;
      Rect e = m.extent;
      if (!d.extent.empty())
        e = {std::min(e.x0, d.extent.x0), std::min(e.y0, d.extent.y0),
             std::max(e.x1, d.extent.x1), std::max(e.y1, d.extent.y1)};
      d.extent = e;
    }
  return out;
}

Heat estimateHeat(const EnclosureSize& box, double loss, Mount mount, double maxRise) {
  double W = box.width / 1000, H = box.height / 1000, D = box.depth / 1000;
  Heat h;
  h.loss = loss;
  h.area = mount == Mount::Free ? 1.8 * H * (W + D) + 1.4 * W * D
                                : 1.4 * W * (H + D) + 1.8 * D * H;
  h.rise = h.area > 0 ? loss / (kHeatTransfer * h.area) : 0;
  h.tooWarm = h.rise > maxRise;
  return h;
}

double totalLoss(const std::vector<LayoutDevice>& list) {
  double p = 0;
  for (const LayoutDevice& d : list)
    if (d.part <= 1) p += d.item.loss;  // a split strip's loss once
  return p;
}

std::vector<std::string> reportLines(const PlateReport& r) {
  std::vector<std::string> out;
  for (const LengthLine& l : r.lengths)
    out.push_back(l.kind + " " + cad::writeNumber(l.size) + ": " + std::to_string(l.pieces) +
                  (l.totalLength > 0 ? " 本 計 " + mm(l.totalLength) + " mm" : " 個"));
  for (const CutPlan& p : r.plans) {
    out.push_back("切断計画 " + p.kind + " " + cad::writeNumber(p.size) + " (定尺 " +
                  cad::writeNumber(p.stock) + " mm): " + std::to_string(p.sticks.size()) + " 本");
    for (std::size_t i = 0; i < p.sticks.size(); ++i) {
      std::string cuts;
      for (double c : p.sticks[i].cuts)
        cuts += (cuts.empty() ? "" : " + ") + mm(c);
      out.push_back("  " + std::to_string(i + 1) + ": " + cuts + " 残り " +
                    mm(p.sticks[i].waste));
    }
  }
  if (!r.fit.empty()) out.push_back(r.fit);
  if (r.heat) {
    char rise[32];
    std::snprintf(rise, sizeof rise, "%.1f", r.heat->rise);
    char area[32];
    std::snprintf(area, sizeof area, "%.2f", r.heat->area);
    out.push_back("発熱 " + mm(r.heat->loss) + " W 放熱面積 " + area + " m² 盤内温度上昇 " +
                  rise + " K");
    if (r.heat->tooWarm)
      out.push_back("警告: 盤内温度上昇が " + cad::writeNumber(r.maxRise) +
                    " K を超えます。換気や冷却を検討してください。");
  }
  return out;
}

inspect::GridTable frameSummary(const PlateLayout& layout) {
  // The devices are counted in list order, as if picked one by one from the first; the parts of
  // a strip that all found a rail count as the one strip they were cut from.
  std::map<int, int> partsPlaced;
  for (const PlacedDevice& p : layout.placed)
    if (p.device.parts > 1) ++partsPlaced[p.device.item.line];
  struct Entry {
    const LayoutDevice* device;
    std::string type;
  };
  std::vector<Entry> rows;
  for (const PlacedDevice& p : layout.placed) {
    const LayoutDevice& d = p.device;
    if (d.parts < 2 || partsPlaced[d.item.line] < d.parts) {
      rows.push_back({&d, d.type});  // a whole device, or a part of a strip left unfinished
    } else if (d.part == 1) {
      rows.push_back({&d, frames::modelText(d.row.model, true, std::to_string(d.item.poles)) +
                              " (" + std::to_string(d.parts) + "分割)"});
    }
  }
  std::stable_sort(rows.begin(), rows.end(), [](const Entry& a, const Entry& b) {
    return std::make_pair(a.device->item.line, a.device->part) <
           std::make_pair(b.device->item.line, b.device->part);
  });
  inspect::GridTable t = inspect::newSummaryTable();
  t.setRowCount(static_cast<int>(rows.size()) + 1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    int row = static_cast<int>(i) + 1;
    t.setCell(inspect::kSumNo, row, std::to_string(row));
    t.setCell(inspect::kSumType, row, rows[i].type);
    // The texts as the frames carry them, symbols written the CAD's way.
    t.setCell(inspect::kSumSpec, row, cad::ToCadSymbols(rows[i].device->row.rating));
    t.setCell(inspect::kSumAux1, row, cad::ToCadSymbols(rows[i].device->row.auxiliary));
    t.setCell(inspect::kSumCount, row, "1");
  }
  if (!rows.empty()) inspect::GroupSummaryRows(t);
  return t;
}

namespace {

std::string csvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s)
    out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string lengthText(const LengthLine& l) {
  return l.totalLength > 0 ? mm(l.totalLength) : "";
}

}  // namespace

std::string bomText(const PlateLayout& layout, const PlateReport& report) {
  std::string out = inspect::summaryText(frameSummary(layout));
  out.insert(out.find('\n'), "\t長さ(mm)");
  for (const LengthLine& l : lengthLines(layout))
    out += "\t" + l.kind + "\t" + cad::writeNumber(l.size) + "\t\t" + std::to_string(l.pieces) +
           "\t" + lengthText(l) + "\n";
  out += "\n";
  for (const std::string& line : reportLines(report))
    out += line + "\n";
  return out;
}

std::string bomCsv(const PlateLayout& layout, const PlateReport& report) {
  std::string out = inspect::summaryCsv(frameSummary(layout));
  out.insert(out.find("\r\n"), ",長さ(mm)");
  for (const LengthLine& l : lengthLines(layout))
    out += "," + l.kind + "," + cad::writeNumber(l.size) + ",," + std::to_string(l.pieces) + "," +
           lengthText(l) + "\r\n";
  out += "\r\n";
  for (const std::string& line : reportLines(report))
    out += csvField(line) + "\r\n";
  return out;
}

}  // namespace qarn::plate
