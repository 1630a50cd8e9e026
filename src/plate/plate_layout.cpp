#include "plate/plate_layout.h"

#include <algorithm>
#include <cmath>

namespace qarn::plate {

namespace {

constexpr double kEps = 1e-9;

// The width between the side ducts that a row of devices may take, clearances left out.
double rowWidth(const LayoutInput& in) {
  return in.plateWidth - 2 * in.margin - 2 * in.duct - 2 * in.clearance;
}

// How far a device's texts stand out beyond its outline on the left and on the right.
double overhangLeft(const LayoutDevice& d) {
  return -d.width / 2 - d.footprint().x0;
}
double overhangRight(const LayoutDevice& d) {
  return d.footprint().x1 - d.width / 2;
}

// The width a run of devices takes on its rail: g between footprints, an end stop against the
// outline at either end (the texts may stand out over it).
double runWidth(const std::vector<LayoutDevice>& devices, const std::vector<std::size_t>& run,
                const LayoutInput& in) {
  double w = 0, lastRight = 0;
  for (std::size_t k = 0; k < run.size(); ++k) {
    const LayoutDevice& d = devices[run[k]];
    w += k == 0 ? std::max(in.endStop, overhangLeft(d)) : lastRight + in.gap + overhangLeft(d);
    w += d.width;
    lastRight = overhangRight(d);
  }
  return run.empty() ? 0 : w + std::max(in.endStop, lastRight);
}

struct Row {
  std::vector<std::size_t> devices;  // indices into the device list, in list order
  double above = 0, below = 0;       // the footprints' reach from the rail's centre line
  double band(double clearance) const { return above + below + 2 * clearance; }
};

void addTo(Row& r, std::size_t i, const LayoutDevice& d) {
  r.devices.insert(std::upper_bound(r.devices.begin(), r.devices.end(), i), i);
  r.above = std::max(r.above, d.footprint().y1);
  r.below = std::max(r.below, -d.footprint().y0);
}

bool fits(const std::vector<LayoutDevice>& devices, const Row& r, std::size_t i,
          const LayoutInput& in) {
  std::vector<std::size_t> run = r.devices;
  run.insert(std::upper_bound(run.begin(), run.end(), i), i);
  return runWidth(devices, run, in) <= rowWidth(in) + kEps;
}

// The rows of ordinary devices or of terminal blocks; a device too wide for any row is left out.
std::vector<Row> fillRows(const std::vector<LayoutDevice>& devices, bool terminals,
                          const LayoutInput& in, std::vector<std::size_t>& tooWide) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    if (devices[i].terminal != terminals) continue;
    if (runWidth(devices, {i}, in) > rowWidth(in) + kEps)
      tooWide.push_back(i);
    else
      order.push_back(i);
  }
  std::vector<Row> rows;
  if (in.pack) {
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return devices[a].footprint().height() > devices[b].footprint().height();
    });
    for (std::size_t i : order) {
      auto row = std::find_if(rows.begin(), rows.end(),
                              [&](const Row& r) { return fits(devices, r, i, in); });
      if (row == rows.end()) row = rows.insert(rows.end(), Row{});
      addTo(*row, i, devices[i]);
    }
    return rows;
  }
  for (std::size_t i : order) {
    if (rows.empty() || !fits(devices, rows.back(), i, in)) rows.push_back({});
    addTo(rows.back(), i, devices[i]);
  }
  return rows;
}

}  // namespace

std::vector<LayoutDevice> splitStrips(const LayoutInput& in,
                                      const std::vector<LayoutDevice>& list) {
  std::vector<LayoutDevice> out;
  double room = rowWidth(in) - 2 * in.endStop;
  for (const LayoutDevice& d : list) {
    int most = d.pitch > 0 ? static_cast<int>(std::floor((room - 2 * d.endWidth) / d.pitch + kEps))
                           : 0;
    if (!d.terminal || d.width <= room + kEps || most < 1 || d.parts > 0) {
      out.push_back(d);
      continue;
    }
    int parts = (d.poles + most - 1) / most;
    for (int k = 0; k < parts; ++k) {
      LayoutDevice p = d;
      p.poles = std::min(most, d.poles - k * most);
      p.width = p.poles * d.pitch + 2 * d.endWidth;
      p.type = frames::modelText(d.row.model, true, std::to_string(p.poles));
      p.part = k + 1;
      p.parts = parts;
      // The strip's texts are centred and narrower than a part: only their height carries over.
      if (!p.extent.empty()) p.extent = {-p.width / 2, d.extent.y0, p.width / 2, d.extent.y1};
      out.push_back(p);
    }
  }
  return out;
}

PlateLayout layOutPlate(const LayoutInput& in, const std::vector<LayoutDevice>& list) {
  PlateLayout out;
  std::vector<LayoutDevice> devices = splitStrips(in, list);
  double D = in.duct, c = in.clearance;
  double X0 = in.base.x + in.margin, X1 = in.base.x + in.plateWidth - in.margin;
  double Y0 = in.base.y + in.margin, Y1 = in.base.y + in.plateHeight - in.margin;
  out.plate = {in.base.x, in.base.y, in.base.x + in.plateWidth, in.base.y + in.plateHeight};
  out.ducts = {{X0, Y1 - D, X1, Y1},
               {X0, Y0, X1, Y0 + D},
               {X0, Y0 + D, X0 + D, Y1 - D},
               {X1 - D, Y0 + D, X1, Y1 - D}};
  double railLeft = X0 + D, railRight = X1 - D;
  double available = Y1 - Y0 - 2 * D;

  std::vector<std::size_t> left;
  std::vector<Row> ordinary = fillRows(devices, false, in, left);
  std::vector<Row> terminals = fillRows(devices, true, in, left);
  auto needed = [&] {
    double h = 0;
    for (const auto* group : {&ordinary, &terminals})
      for (const Row& r : *group)
        h += r.band(c);
    std::size_t n = ordinary.size() + terminals.size();
    return n == 0 ? 0.0 : h + static_cast<double>(n - 1) * D;
  };
  auto dropLast = [&](std::vector<Row>& rows) {
    for (std::size_t i : rows.back().devices)
      left.push_back(i);
    rows.pop_back();
  };
  while (!ordinary.empty() && needed() > available + kEps)
    dropLast(ordinary);
  while (!terminals.empty() && needed() > available + kEps)
    dropLast(terminals);
  double spare = available - needed();

  // One row: its rail, its devices along it from the left, an end stop at either end.
  auto place = [&](const Row& r, double centre) {
    int row = out.rows++;
    out.rails.push_back({railLeft, centre - kRailWidth / 2, railRight, centre + kRailWidth / 2});
    double x = railLeft + c, lastRight = 0, end = 0;
    for (std::size_t k = 0; k < r.devices.size(); ++k) {
      const LayoutDevice& d = devices[r.devices[k]];
      double x0 = x + (k == 0 ? std::max(in.endStop, overhangLeft(d))
                              : lastRight + in.gap + overhangLeft(d));
      if (k == 0 && in.endStop > 0)
        out.endStops.push_back({x0 - in.endStop, out.rails.back().y0, x0, out.rails.back().y1});
      out.placed.push_back({d, {x0 + d.width / 2, centre, 0}, row, r.devices[k]});
      x = end = x0 + d.width;
      lastRight = overhangRight(d);
    }
    if (in.endStop > 0)  // none asked for: nothing to draw or to buy
      out.endStops.push_back({end, out.rails.back().y0, end + in.endStop, out.rails.back().y1});
  };
  double top = Y1 - D;
  for (std::size_t k = 0; k < ordinary.size(); ++k) {
    const Row& r = ordinary[k];
    place(r, top - c - r.above);
    double bottom = top - r.band(c);
    if (k + 1 < ordinary.size() || !terminals.empty() || spare >= D - kEps)
      out.ducts.push_back({railLeft, bottom - D, railRight, bottom});
    top = bottom - D;
  }
  double bottom = Y0 + D;
  for (std::size_t k = 0; k < terminals.size(); ++k) {
    const Row& r = terminals[k];
    place(r, bottom + c + r.below);
    double upper = bottom + r.band(c);
    if (k + 1 < terminals.size() || spare >= D - kEps)
      out.ducts.push_back({railLeft, upper, railRight, upper + D});
    bottom = upper + D;
  }
  std::sort(left.begin(), left.end());
  for (std::size_t i : left)
    out.notPlaced.push_back(devices[i]);
  return out;
}

}  // namespace qarn::plate
