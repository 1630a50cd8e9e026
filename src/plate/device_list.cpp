// The device list of the plate layout: its lines read, each device looked up in the catalogue.
#include <algorithm>
#include <cctype>
#include <map>

#include "cad/numbers.h"
#include "cad/text.h"
#include "cad/text_file.h"
#include "plate/plate_layout.h"

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
    if (f.size() > 3 && !cad::trim(f[3]).empty()) {
      auto loss = cad::tryReadNumber(cad::trim(f[3]));
      if (!loss || !(*loss >= 0) || *loss > 1e6)
        throw ListError(line, "the power loss \"" + cad::trim(f[3]) + "\" is not a number of watts");
      d.loss = *loss;
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
      d.poles = poles;
      d.pitch = w;
      d.endWidth = cad::readNumber(d.row.endWidth);
      w = poles * w + 2 * d.endWidth;
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

std::string LayoutDevice::name() const {
  if (parts < 2) return item.number;
  return item.number + " (" + std::to_string(part) + "/" + std::to_string(parts) + ")";
}

Rect LayoutDevice::footprint() const {
  Rect r{-width / 2, -height / 2, width / 2, height / 2};
  if (extent.empty()) return r;
  return {std::min(r.x0, extent.x0), std::min(r.y0, extent.y0), std::max(r.x1, extent.x1),
          std::max(r.y1, extent.y1)};
}

double plateSize(const std::string& text) {
  std::string t = cad::trim(text);
  std::size_t end = 0;
  while (end < t.size() && (std::isdigit(static_cast<unsigned char>(t[end])) || t[end] == '.'))
    ++end;
  return cad::readNumber(t.substr(0, end), 0.0);
}

}  // namespace qarn::plate
