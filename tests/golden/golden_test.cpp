// Golden listings: each scenario runs a drawing command on the simulated CAD, as its page calls
// it, and the drawing's listing must match tests/golden/<scenario>.txt byte for byte. The file's
// leading "# " lines are the hand-worked values a reader checks the listing against; they are kept
// when QARN_ACCEPT_GOLDEN=1 rewrites the rest.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <numbers>
#include <sstream>
#include <tuple>

#include "../scratch_folder.h"
#include "cad/connection.h"
#include "cad/sim/drawing_listing.h"
#include "cad/sim/sim_cad.h"
#include "enclosure/enclosure_catalogue.h"
#include "enclosure/enclosure_drawing.h"
#include "frames/frame_block.h"
#include "frames/front_placement.h"
#include "frames/mounting_holes.h"
#include "frames/partitions.h"
#include "frames/side_view.h"
#include "inspect/attribute_editor.h"
#include "inspect/layer_table.h"
#include "inspect/summary.h"
#include "library/library_commands.h"
#include "library/thumbnail.h"
#include "panel/panel_creation.h"
#include "panel/panel_preview.h"
#include "plate/plate_layout.h"
#include "tools/alignment.h"
#include "tools/device_numbers.h"
#include "tools/scripts.h"

namespace qarn::testing {
namespace {

namespace fs = std::filesystem;
using Messages = std::vector<std::string>;
using Run = std::function<Messages(cad::sim::SimCad&, cad::Session&)>;

struct Scenario {
  const char* name;
  Run run;
};
void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

Messages enclosure(cad::Session& s, const char* family, enclosure::ChosenEnclosure f) {
  enclosure::drawEnclosure(s, {family, f});
  return {};
}

// The page's message box, if any, and the device number field afterwards.
Messages front(cad::Session& s, frames::FrontInput in) {
  frames::FrontResult r = frames::placeFront(s, in);
  Messages m{"Edit6 = " + r.number, "Edit2 = " + r.model};
  if (!r.insert.refusal.empty()) m.push_back(r.insert.refusal);
  return m;
}

frames::FrontInput frontInput(const char* w, const char* h, int baseSw, const char* number) {
  frames::FrontInput in;
  in.gridModel = "ABC";
  in.width = w;
  in.height = h;
  in.poles = "4";
  in.baseSw = baseSw;
  in.fields.number = number;
  return in;
}

Messages panelDevice(cad::Session& s, const panel::PanelInput& in) {
  panel::PanelResult r = panel::Button6Click(s, in);
  Messages m{"Edit18 = " + r.number};
  if (!r.message.empty()) m.push_back(r.message);
  return m;
}

panel::PanelInput panelInput(const char* kind, const char* w, const char* h, const char* cut) {
  panel::PanelInput in;
  in.kind = kind;
  in.width = w;
  in.height = h;
  in.cut = cut;
  in.number = "PB1";
  return in;
}

// A front view placed as the device page places it, at `at`; its handle.
std::string placedFront(cad::sim::SimCad& sim, cad::Session& s, frames::FrontInput in,
                        double x, double y) {
  sim.operatorPoint(x, y);
  frames::placeFront(s, in);
  return sim.drawing().modelSpace().entities.back();
}

// The "側面" button with the front view picked and, where given, the move answered.
Messages side(cad::sim::SimCad& sim, cad::Session& s, const std::string& front, double x,
              double y, bool move = true) {
  sim.operatorPick(front);
  if (move)
    sim.operatorPoint(x, y);
  else
    sim.operatorEscape();
  frames::SideResult r = frames::Button8Click(s);
  return {"side status " + std::to_string(int(r.status)) + (r.message.empty() ? "" : " " + r.message)};
}

Messages holes(cad::sim::SimCad& sim, cad::Session& s, const std::string& front) {
  sim.operatorPick(front);
  frames::HolesResult r = frames::Button10Click(s);
  return {"holes block " + r.block + (r.message.empty() ? "" : " " + r.message)};
}

Messages partitions(cad::sim::SimCad& sim, cad::Session& s, const std::string& front) {
  sim.operatorPick(front);
  frames::PartitionsResult r = frames::Button22Click(s);
  return {"boundaries " + std::to_string(r.boundaries) + " lines " + std::to_string(r.lines)};
}

// A listed device as the catalogue resolves it: a frame w x h, or a strip of poles x pitch
// between two ends.
plate::LayoutDevice listed(const char* number, double w, double h, int poles = 0, double pitch = 0,
                           double end = 0) {
  plate::LayoutDevice d;
  d.item.number = number;
  d.item.model = d.row.model = d.type = std::string("M-") + number;
  d.row.rating = "R";
  d.width = poles ? poles * pitch + 2 * end : w;
  d.height = h;
  d.terminal = poles > 0;
  d.item.poles = d.poles = poles;
  d.pitch = pitch;
  d.endWidth = end;
  return d;
}
// The box page's list as loaded from `lines` (written as the family's file, UTF-8 with a BOM; none
// written when `lines` is empty and `write` false), then the fields its first row fills.
Messages boxList(const std::string& family, const std::vector<std::string>& lines,
                 enclosure::EnclosureFilters f, bool write = true) {
  fs::path dir = qarn::scratch::folder("golden-box");
  if (write) {
    std::ofstream out(dir / enclosure::catalogueFileName(family), std::ios::binary);
    out << "\xEF\xBB\xBF";
    for (const auto& l : lines) out << l << "\r\n";
  }
  enclosure::EnclosureList list = enclosure::loadEnclosureList(qarn::scratch::text(dir), family, f);
  Messages m{family + " \"" + f.width + "\" \"" + f.height + "\" \"" + f.depth + "\" " +
                 (f.doubleDoor ? "両扉" : "-") + ": status " + std::to_string(int(list.status)) +
                 " door column " + (enclosure::hasDoorColumn(family) ? "yes" : "no"),
             "  " + enclosure::headerText(family)};
  for (const auto& r : list.rows) {
    std::string l = " ";
    for (const auto& c : r) l += " [" + c + "]";
    m.push_back(l);
  }
  return m;
}
// The fields a row click fills: model, door, W, H, D, plate W, plate H, usable depth, window W, H.
std::string chosen(const std::vector<std::string>& row) {
  enclosure::ChosenEnclosure c = enclosure::copyEnclosureRow(row);
  std::string l = "  fields";
  for (const auto* v : {&c.model, &c.doorType, &c.width, &c.height, &c.depth, &c.plateWidth,
                        &c.plateHeight, &c.usableDepth, &c.windowWidth, &c.windowHeight})
    l += " [" + *v + "]";
  return l;
}
// --- Inspection and layout tools: blocks placed by hand, then the page's command. ---
cad::Document document(cad::Session& s) { return cad::attachCad(s.CadProgId).activeDocument(); }

// A reference of a one-circle block at (x, y); its handle.
std::string dot(cad::Session& s, double x, double y) {
  cad::Document doc = document(s);
  if (!doc.blocks().contains("DOT")) doc.blocks().add({0, 0, 0}, "DOT").addCircle({0, 0, 0}, 1);
  return doc.modelSpace().insertBlock({x, y, 0}, "DOT").handle();
}

// A block whose outline runs from 10 left of its insertion point over `width`, with an attribute
// and a mounting hole that stick out; a reference of it at (x, y).
std::string outlined(cad::Session& s, const std::string& name, double width, double x, double y) {
  cad::Document doc = document(s);
  doc.layers().add("TOVEK_CUT");  // the existing layer when there
  cad::Block b = doc.blocks().add({0, 0, 0}, name);
  b.addLightWeightPolyline({-10, -5, width - 10, -5, width - 10, 5, -10, 5}).setClosed(true);
  b.addAttribute(5, 0, "p", {-50, 0, 0}, "NAME", "WIDE TEXT FAR OUT");
  b.addCircle({0, 0, 0}, 80).setLayer("TOVEK_CUT");
  return doc.modelSpace().insertBlock({x, y, 0}, name).handle();
}

// A block of centred lines (tag, text, y) referenced at (x, 0) on `layer`.
std::string lines(cad::Session& s, const std::string& name, double x,
                  const std::vector<std::tuple<std::string, std::string, double>>& ls,
                  const std::string& layer = "0", double y0 = 0) {
  cad::Document doc = document(s);
  cad::Block b = doc.blocks().add({0, 0, 0}, name);
  for (const auto& [tag, text, y] : ls) {
    cad::Attribute a = b.addAttribute(5, 0, tag, {0, y, 0}, tag, text);
    a.setAlignment(10);
    a.setTextAlignmentPoint({0, y, 0});
  }
  cad::BlockReference r = doc.modelSpace().insertBlock({x, y0, 0}, name);
  r.setLayer(layer);
  return r.handle();
}

// A device frame on `layer` with NAME, TYPE, SPEC and AUX1 set.
std::string frameRef(cad::Session& s, double x, const std::vector<std::string>& texts,
                     const std::string& layer = "TOVEK_FRONT") {
  cad::Document doc = document(s);
  frames::EnsureFrameBlock(doc, "TOVEK_RA100", s.CadProgId);
  doc.layers().add(layer);
  cad::BlockReference r = doc.modelSpace().insertBlock({x, 0, 0}, "TOVEK_RA100");
  r.setLayer(layer);
  const char* tags[] = {"NAME", "TYPE", "SPEC", "AUX1"};
  for (const cad::Attribute& a : r.getAttributes())
    for (int i = 0; i < 4; ++i)
      if (a.tagString() == tags[i]) a.setTextString(texts[i]);
  return r.handle();
}

Messages gridLines(const std::string& text) {
  Messages m;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) m.push_back(l);
  return m;
}
// The attribute grid's text columns, and whether each row has a NAME1 attribute.
Messages attributeRows(const inspect::AttributeGrid& g) {
  Messages m;
  for (int r = 0; r < g.table.rowCount(); ++r) {
    std::string l;
    for (int c = 0; c <= 5; ++c) l += g.table.cell(c, r) + "\t";
    m.push_back(l + (r == 0 ? "ID2" : g.table.cell(11, r).empty() ? "-" : "set"));
  }
  return m;
}
// The layer grid as the page shows it: headers, then name, description and the four states.
Messages layerRows(const inspect::LayerTable& t) {
  std::string h;
  for (const char* c : inspect::kLayerHeaders) h += std::string(c) + "\t";
  Messages m{h};
  for (int r = 1; r <= 9; ++r) {
    std::string l = t.rows[r - 1].name + "\t" + t.rows[r - 1].label + "\t";
    for (int c = 2; c <= 5; ++c) l += t.text(c, r) + "\t";
    m.push_back(l);
  }
  return m;
}
// --- end of inspection and layout tools ---

// A library folder next to the test's working directory, named without blanks so that the paths
// in the command lines stay as the user's folder would give them; its motor.dwg holds a circle.
std::string libraryFolder() {
  // Scenarios run in parallel processes: each works in a folder of its own, so the relative paths
  // the command lines show stay the same.
  static const bool moved = [] {
    fs::current_path(qarn::scratch::folder("golden"));
    return true;
  }();
  (void)moved;
  std::string dir = "golden_library/";
  fs::remove_all(dir);
  fs::create_directories(dir);
  cad::sim::SimCad other;
  cad::Document d = cad::Application(cad::Object(other.application())).activeDocument();
  d.modelSpace().addCircle({0, 0, 0}, 5);
  other.writeDxf(dir + "motor.dwg");
  return dir;
}

const char* exportStatus(library::ExportResult::Status st) {
  using S = library::ExportResult::Status;
  switch (st) {
    case S::NotRunning: return "not running";
    case S::NothingPicked: return "nothing picked";
    case S::Refused: return "refused";
    case S::Declined: return "declined";
    case S::Written: return "written";
  }
  return "?";
}

Messages wblock(cad::sim::SimCad& sim, cad::Session& s, const std::string& pick,
                const std::string& folder, bool overwrite) {
  sim.operatorPick(pick);
  library::ExportResult r = library::Button17Click(s, folder, [overwrite] { return overwrite; });
  Messages m{std::string("wblock ") + exportStatus(r.status) + (r.file.empty() ? "" : " " + r.file)};
  if (!r.message.empty()) m.push_back(r.message);
  m.push_back("FILEDIA = " + std::to_string(sim.drawing().variables.at("FILEDIA").toInt()));
  return m;
}

void put32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A drawing file holding only what the preview reader looks at: the version, the seeker at 13,
// a preview section at 64 with the header entry and one picture entry of `code`, the data at 128.
std::string craftedDwg(const std::string& version, int code, const std::string& data) {
  std::string f(128, '\0');
  f.replace(0, 6, "AC" + version);
  put32(f, 13, 64);
  f[64 + 20] = 2;
  f[64 + 21] = 1;
  f[64 + 30] = static_cast<char>(code);
  put32(f, 64 + 31, 128);
  put32(f, 64 + 35, static_cast<std::uint32_t>(data.size()));
  return f + data;
}

// A 24-bit bottom-up DIB of w x h, each row padded to 4 bytes.
std::string dib24(int w, int h, const std::function<std::uint32_t(int, int)>& rgb) {
  std::string d(40, '\0');
  put32(d, 0, 40);
  put32(d, 4, static_cast<std::uint32_t>(w));
  put32(d, 8, static_cast<std::uint32_t>(h));
  d[12] = 1;
  d[14] = 24;
  std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) / 4 * 4;
  for (int y = h - 1; y >= 0; --y) {
    std::string row(stride, '\0');
    for (int x = 0; x < w; ++x)
      for (int k = 0; k < 3; ++k) row[3 * x + k] = static_cast<char>((rgb(x, y) >> (8 * k)) & 0xFF);
    d += row;
  }
  return d;
}

std::string png(int w, int h, const std::function<std::uint32_t(int, int)>& rgb) {
  library::Picture p = library::FillCanvas(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.setPixel(x, y, rgb(x, y));
  static const fs::path f = qarn::scratch::folder("golden-preview") / "preview.png";
  library::writePng(f.string(), p);
  std::ifstream in(f, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The facts of one file's thumbnail in the page's 225 x 229 box, as one message line.
std::string thumbnailFacts(const char* label, const std::string& bytes) {
  static const fs::path f = qarn::scratch::folder("golden-preview") / "preview.dwg";
  std::ofstream(f, std::ios::binary) << bytes;
  library::Thumbnail t = library::ShowDwgThumbnail(f.string(), 225, 229, 0x000000, true);
  const char* kinds[] = {"none", "BMP", "PNG"};
  std::ostringstream o;
  o << label << ": read=" << t.read << " version=" << t.version << " kind=" << kinds[int(t.kind)]
    << " bits=" << t.bitDepth << " stored=" << t.storedWidth << " x " << t.storedHeight;
  if (!t.read) o << " failure mark at (28,28)=" << std::hex << t.box.pixel(28, 28) << std::dec;
  if (t.storedWidth > 0) {
    const library::PreviewFit& p = t.fit;
    char bg[8];
    std::snprintf(bg, sizeof bg, "%06X", p.background);
    o << " background=" << bg << " inverted=" << p.inverted << " whole=" << p.whole
      << " area=(" << p.left + 1 << "," << p.top + 1 << ") " << p.sourceWidth << "x"
      << p.sourceHeight << " target=" << p.targetWidth << "x" << p.targetHeight << " at (" << p.x
      << "," << p.y << ")";
  }
  return o.str();
}

// A w x h picture on `bg` with the rectangle [x0, x1] x [y0, y1] (inclusive) in `ink`.
std::function<std::uint32_t(int, int)> rect(std::uint32_t bg, std::uint32_t ink, int x0, int x1,
                                            int y0, int y1) {
  return [=](int x, int y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1 ? ink : bg; };
}

// The page's 90 x 90 device picture, one primitive a message line.
Messages previewPrimitives(const char* label, const panel::PreviewInput& in) {
  Messages m{label};
  for (const panel::Primitive& p : panel::DrawTovekImage(in, 90, 90)) {
    std::ostringstream o;
    o << "  " << (p.grey ? "grey " : "white ");
    if (p.kind == panel::Primitive::Kind::Line)
      o << "line (" << p.x0 << "," << p.y0 << ")-(" << p.x1 << "," << p.y1 << ")";
    else
      o << (p.kind == panel::Primitive::Kind::Circle ? "circle" : "arc") << " (" << p.cx << ","
        << p.cy << ") r " << p.r;
    if (p.kind == panel::Primitive::Kind::Arc)
      o << " from " << p.startDegrees << " span " << p.spanDegrees;
    m.push_back(o.str());
  }
  return m;
}

const Scenario kScenarios[] = {
    {"enclosure_catalogue_filters",
     [](cad::sim::SimCad&, cad::Session&) {
       std::vector<std::string> ra = {
           "RA-4560\t片扉\t450\t600\t200\t400\t550\t180\t12\tA\t12,300",
           "RA-14560\t両扉\t1450\t600\t200\t1400\t550\t180\t30\tB\t45,000",
           "RA-45180\t両扉\t4500\t1800\t400\t4400\t1700◇\t380★\t90\tC\t1,234,500",
           "RA-1456\t両扉\t145\t600\t200\t100\t550\t180\t3\tA\t9,800"};
       Messages m = boxList("RA", ra, {});
       for (auto f : {enclosure::EnclosureFilters{"45", "", "", false},
                      enclosure::EnclosureFilters{"45", "", "", true},
                      enclosure::EnclosureFilters{"", "6", "2", false},
                      enclosure::EnclosureFilters{"4", "1", "", false},
                      enclosure::EnclosureFilters{"9", "", "", false}})
         for (const auto& l : boxList("RA", ra, f)) m.push_back(l);
       std::vector<std::string> ch = {"CH-3040\t300\t400\t150\t250\t350\t120\t5\tB\t8,000"};
       for (bool dd : {false, true})
         for (const auto& l : boxList("CH", ch, {"", "", "", dd})) m.push_back(l);
       for (const auto& l : boxList("S", {}, {}, false)) m.push_back(l);
       for (const auto& l : boxList("E", {}, {})) m.push_back(l);
       for (std::vector<std::string> row :
            {std::vector<std::string>{"1", "RA-4560", "片扉", "450", "600", "200", "400", "550", "180", "12"},
             {"2", "S-5070", "片扉", "500", "700", "250", "440", "640", "480", "680", "230", "20"},
             {"3", "E-6080", "両扉", "600", "800", "300", "820", "860", "540", "740", "280", "25"},
             {"4", "ORM-7090", "片扉", "700", "900", "350", "920", "640", "840", "300", "400", "330"},
             {"5", "OR-7090", "片扉", "700", "900", "350", "920", "640", "840", "330", "28"},
             {"6", "CL-3040", "300", "400", "150", "250", "350", "120", "5"},
             {"7", "", "x", "y"},
             {}})
         m.push_back(chosen(row));
       return m;
     }},
    {"enclosure_ra_single",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorPoint(123.5, -87);
       return enclosure(s, "RA", {"RA12-5070", "片扉", "500", "700", "200", "440", "640", "170", "", ""});
     }},
    {"enclosure_e_double_deep",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorPoint(9.9, 19.9);
       return enclosure(s, "E",
                        {"EB-8018", "両扉", "800", "1800", "400", "720", "1700", "365", "", ""});
     }},
    {"enclosure_s_single",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorPoint(0, 0);
       return enclosure(s, "S",
                        {"SB-6080", "片扉", "600", "800", "250", "550", "750", "220", "", ""});
     }},
    {"enclosure_orm_window",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorPoint(0, 0);
       return enclosure(s, "ORM", {"ORM12-6080", "片扉", "600", "800", "250", "540", "740◇",
                                   "220★", "300", "215"});
     }},
    {"enclosure_cancelled",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorEscape();
       return enclosure(s, "CL", {"CL16-3040", "", "300", "400", "160", "260", "360", "130", "", ""});
     }},
    {"front_cancelled_paste",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.drawing().variables["ATTDIA"] = cad::Value::int16(1);
       sim.operatorEscape();
       frames::FrontInput in = frontInput("45", "80", 1, "X1");
       in.fields.arrayMode = true;
       in.fields.arrayCount = "3";
       return front(s, in);
     }},
    {"front_top_left_offset",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.drawing().variables["DIMSCALE"] = cad::Value(10.0);
       sim.drawing().variables["ATTDIA"] = cad::Value::int16(1);
       sim.operatorPoint(500, 300);
       frames::FrontInput in = frontInput("40", "80", 0, "MC12A");
       in.offsetEnabled = true;
       in.offset = "5";
       in.fields.rating = "Φ22 ±5°";
       in.fields.auxiliary = "φ1";
       in.fields.dimensions = "40 80 75.5 0 0";
       in.fields.cut = "Φ22";
       return front(s, in);
     }},
    {"front_array_of_three",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorPoint(200, 100);
       frames::FrontInput in = frontInput("45", "80", 4, "MC12A");
       in.fields.arrayMode = true;
       in.fields.arrayCount = "3";
       in.fields.arrayGap = "2";
       return front(s, in);
     }},
    {"front_terminal_block",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorPoint(400, 200);
       frames::FrontInput in = frontInput("6", "40", 8, "CB-09A");
       in.terminalMode = true;
       in.poles = "12";
       in.endWidth = "3";
       in.offsetEnabled = true;
       in.offset = "10";
       return front(s, in);
     }},
    {"panel_switch_25_row_of_two",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.drawing().variables["ATTDIA"] = cad::Value::int16(1);
       sim.operatorPoint(100, 100);
       panel::PanelInput in = panelInput("2", "25", "0", "C:22.5,10,5,Φ");
       in.model = "AR25φ";
       in.rating = "Φ25 ±1°";
       in.auxiliary = "φ2";
       in.dimensions = "Φ25 30 40 0 0";
       in.arrayMode = true;
       in.count = "2";
       in.pitch = "60";
       return panelDevice(s, in);
     }},
    {"panel_meter_80",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorPoint(300, 200);
       panel::PanelInput in = panelInput("6", "80", "80", "R:30X20,0,-10");
       in.model = "M-80";
       in.number = "AM09";
       return panelDevice(s, in);
     }},
    {"panel_lamp_other_class",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorPoint(50, 50);
       panel::PanelInput in = panelInput("1", "30", "0", "c:22.5");
       in.nameplate = false;
       in.number = "PL01";
       return panelDevice(s, in);
     }},
    {"panel_pushbutton_22_twice",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorPoint(100, 100);
       sim.operatorPoint(200, 100);
       panel::PanelInput in = panelInput("0", "22", "0", "");
       in.model = "PB22";
       Messages m = panelDevice(s, in);
       in.number = "PB2";
       in.cut = "C:30";  // an existing definition is kept whatever the inputs
       for (auto& line : panelDevice(s, in)) m.push_back(line);
       return m;
     }},
    {"panel_controller_down_no_digits",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorPoint(400, 300);
       panel::PanelInput in = panelInput("4", "48", "48", "R:45X45");
       in.model = "RC";
       in.number = "ABC";
       in.arrayMode = true;
       in.count = "3";
       in.pitch = "50";
       in.downwards = true;
       return panelDevice(s, in);
     }},
    {"panel_cancelled_insert",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.drawing().variables["ATTDIA"] = cad::Value::int16(1);
       sim.operatorEscape();
       return panelDevice(s, panelInput("5", "22.5", "0", ""));
     }},
    // Side views, mounting holes, terminal-block partitions.
    {"side_plain_height_from_width",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.drawing().variables["DIMSCALE"] = cad::Value(10.0);
       frames::FrontInput in = frontInput("45", "45", 4, "MC1");
       in.gridModel = "ABC";
       in.fields.dimensions = "45 0 75 0 0";
       std::string front = placedFront(sim, s, in, 100, 100);
       return side(sim, s, front, 300, 130);
     }},
    {"side_two_part_twice",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       frames::FrontInput in = frontInput("40", "60", 4, "MC2");
       in.gridModel = "ABC";
       in.fields.dimensions = "40,60,20,50,80";
       std::string front = placedFront(sim, s, in, 100, 100);
       Messages m = side(sim, s, front, 400, 100);
       in.fields.number = "MC3";
       in.fields.dimensions = "40 30 10 90 70";  // ABC_SIDE already exists: kept as it is
       front = placedFront(sim, s, in, 100, 300);
       for (auto& line : side(sim, s, front, 400, 300)) m.push_back(line);
       return m;
     }},
    {"side_two_part_tall_body_cancelled_move",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       frames::FrontInput in = frontInput("40", "60", 4, "MC4");
       in.gridModel = "XY";
       in.fields.dimensions = "40 60 20 100 80 Φ±°φ";
       std::string front = placedFront(sim, s, in, 100, 100);
       Messages m = side(sim, s, front, 0, 0, false);  // the move cancelled: view erased
       sim.drawing().variables["DIMSCALE"] = cad::Value(2.0);
       for (auto& line : side(sim, s, front, 100, 250)) m.push_back(line);
       return m;
     }},
    {"holes_circle_then_offset_rectangle",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       frames::FrontInput in = frontInput("45", "80", 4, "MC5");
       in.gridModel = "ABC";
       in.fields.cut = "c:22 r:30x20 0 15 C:6 10 Φ3 C:4 10";
       std::string front = placedFront(sim, s, in, 200, 100);
       Messages m = holes(sim, s, front);
       in.fields.cut = "C:50";  // the second front of the model reuses TOVEKHALABC
       front = placedFront(sim, s, in, 300, 100);
       for (auto& line : holes(sim, s, front)) m.push_back(line);
       return m;
     }},
    {"holes_pairs_and_no_data",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       frames::FrontInput in = frontInput("45", "80", 4, "MC6");
       in.gridModel = "DEF";
       in.fields.cut = "C:4 -20 30,C:4 20 -30 C:4 10 R:8X8 C:0 R:5X0 X:9";
       std::string front = placedFront(sim, s, in, 0, 0);
       Messages m = holes(sim, s, front);
       in.fields.cut = "";
       in.gridModel = "GHI";
       front = placedFront(sim, s, in, 100, 0);
       for (auto& line : holes(sim, s, front)) m.push_back(line);
       return m;
     }},
    {"partitions_terminal_block_13_poles",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       frames::FrontInput in = frontInput("6", "40", 8, "TB1");
       in.terminalMode = true;
       in.poles = "12";
       in.endWidth = "3";
       in.fields.dimensions = "6 40 30 0 0";
       std::string front = placedFront(sim, s, in, 400, 200);
       return partitions(sim, s, front);
     }},
    {"partitions_quarter_turn_and_fractional_pitch",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       frames::FrontInput in = frontInput("10", "30", 4, "TB2");
       in.terminalMode = true;
       in.poles = "4";
       in.endWidth = "8";
       in.fields.dimensions = "10 30 30 0 0";
       std::string front = placedFront(sim, s, in, 100, 100);
       sim.drawing().findEntity(front)->rotation = std::numbers::pi / 2;  // turned by the user
       Messages m = partitions(sim, s, front);
       in.fields.number = "TB3";
       in.fields.dimensions = "7.5 30 30 0 0";  // a pitch that is no integer draws nothing
       front = placedFront(sim, s, in, 300, 100);
       for (auto& line : partitions(sim, s, front)) m.push_back(line);
       return m;
     }},
    {"plate_small_list_split_strip",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       sim.operatorPoint(1000, 2000);
       plate::LayoutInput in{400, 600, {0, 0, 0}, 40, 5, 20, 0, 10, false};
       std::vector<plate::LayoutDevice> list = {listed("A", 100, 60), listed("T", 0, 40, 30, 10, 5),
                                                listed("B", 80, 40), listed("C", 150, 50)};
       list[1].row.dimensions = "10 40 30 0 0";  // the pitch its partitions are drawn by
       list[3].row.auxiliary = "AC220V";        // hangs below C and deepens its row
       plate::PlaceResult r = plate::placePlate(s, in, list);
       return Messages{"rows " + std::to_string(r.layout.rows) + " placed " +
                       std::to_string(r.layout.placed.size()) + " not placed " +
                       std::to_string(r.layout.notPlaced.size())};
     }},
    // --- inspection and layout tools ---
    {"summary_twelve_picks_numeric_no",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::vector<std::string> picked;
       const char* specs[] = {"3P 10A", "3P 20A", "3P 30A", "3P 40A", "3P 50A", "",
                              "3P 20A", "3P 60A", "3P 75A", "3P 100A", "3P 125A"};
       for (int i = 0; i < 11; ++i)
         picked.push_back(i == 5 ? lines(s, "N1ONLY", 250, {{"NAME1", "X1", 0}}, "TOVEK_FRONT")
                                 : frameRef(s, i * 50, {"CB" + std::to_string(i + 1), "NF32",
                                                        specs[i], ""}));
       picked.push_back(lines(s, "FOOONLY", 600, {{"FOO", "F", 0}}, "TOVEK_FRONT"));
       picked.push_back(frameRef(s, 700, {"CB99", "NF32", "3P 10A", ""}, "TOVEK_SIDE"));
       picked.insert(picked.begin() + 3, document(s).modelSpace().addCircle({0, 0, 0}, 5).handle());
       sim.operatorSelect(picked);
       inspect::GridTable grid = inspect::newSummaryTable();
       inspect::GetSummary(s, grid);
       return gridLines(inspect::summaryText(grid));
     }},
    {"align_horizontal_reference_outside",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::string a = dot(s, 40, 7), b = dot(s, 0, 3), c = dot(s, 10, 20);
       std::string ref = dot(s, 100, 50);
       std::string circle = document(s).modelSpace().addCircle({5, 5, 0}, 2).handle();
       sim.operatorSelect({a, circle, b, c});
       sim.operatorPick(ref);
       sim.operatorDistance(25);
       tools::AlignResult r =
           tools::Button11Click(s, tools::AlignAxis::Horizontal, tools::AlignReference::Block);
       return Messages{"moved = " + std::to_string(r.moved)};
     }},
    {"align_vertical_by_block",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::string a = dot(s, 3, 0), b = dot(s, 1, 40), c = dot(s, 5, 10), d = dot(s, 9, -30);
       sim.operatorSelect({a, b, c, d});
       sim.operatorPick(c);
       sim.operatorDistance(12);
       tools::AlignResult r =
           tools::Button11Click(s, tools::AlignAxis::Vertical, tools::AlignReference::Block);
       return Messages{"moved = " + std::to_string(r.moved)};
     }},
    {"align_single_block_regen_only",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::string a = dot(s, 3, 4);
       std::string circle = document(s).modelSpace().addCircle({5, 5, 0}, 2).handle();
       sim.operatorSelect({a, circle});
       sim.operatorPoint(100, 50);
       tools::AlignResult r =
           tools::Button11Click(s, tools::AlignAxis::Horizontal, tools::AlignReference::Centre);
       return Messages{"moved = " + std::to_string(r.moved)};
     }},
    {"align_outline_gap",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::string a = outlined(s, "W10", 10, 300, -7), b = outlined(s, "W20", 20, 0, 12);
       std::string c = outlined(s, "W30", 30, 100, 40);
       sim.operatorSelect({a, b, c});
       sim.operatorPick(c);
       sim.operatorDistance(5);
       tools::AlignResult r = tools::Button7Click(s);
       return Messages{"moved = " + std::to_string(r.moved)};
     }},
    {"join_five_and_four_lines",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::string five = lines(s, "J5", 100,
                                {{"NAME2", "C", 8}, {"NAME", "A", 20}, {"NAME4", "E", -4},
                                 {"NAME1", "B", 14}, {"NAME3", "D", 2}});
       std::string four = lines(s, "J4", 200,
                                {{"NAME", "K", 20}, {"NAME1", "1", 14}, {"NAME2", "2", 8},
                                 {"NAME3", "3", 2}, {"NAME5", "Z", -10}});
       sim.operatorSelect({five, four});
       tools::JoinResult r = tools::Button9Click(s, false);
       return Messages{"joined = " + std::to_string(r.joined)};
     }},
    {"scripts_swire_and_grid",
     [](cad::sim::SimCad&, cad::Session& s) {
       // A folder spelt with backslashes, as on Windows: the file sits right in /tmp.
       const std::string folder = "/tmp/qarn_golden\\Tools\\";
       std::ofstream(folder + "swire.lsp") << "(defun c:swire () (princ))\n";
       Messages m{tools::RunScript(s, tools::kMinimumBendScript, folder)};
       m.push_back(tools::Button21Click(s, "/nonexistent/qarn/"));
       fs::remove(folder + "swire.lsp");
       return m;
     }},
    {"attributes_get_update_enter",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::string p = lines(s, "P", 20, {{"NAME", "K1^K2", 0}, {"TYPE", "T-P", -10}}, "0", 100);
       std::string q = lines(s, "Q", 0, {{"NAME", "A^B", 0}, {"NAME1", "X", -6}, {"TYPE", "T-Q", -12}});
       std::string r = lines(s, "S", 10, {{"NAME", "S1", 0}, {"TYPE", "T-S", -10},
                                          {"AUX1", "old", -20}}, "0", 50);
       std::string foo = lines(s, "FOO", 500, {{"FOO", "F", 0}}, "0", 50);
       sim.operatorSelect({p, q, r, foo});
       inspect::AttributeGrid g;
       inspect::GetAttributes(s, g);
       Messages m = attributeRows(g);
       g.table.setCell(inspect::kColType, 2, "T-S2");
       g.table.setCell(inspect::kColSpec, 1, "never written");  // Q has no SPEC
       m.push_back("update: " + inspect::UpdateAttributes(s, g).message);
       g.table.setCell(5, 2, "new");
       m.push_back("enter: " + inspect::EnterKeyWrite(s, g, 5, 2).message);
       for (auto& l : attributeRows(g)) m.push_back(l);
       return m;
     }},
    {"layers_fill_click_space",
     [](cad::sim::SimCad&, cad::Session& s) {
       cad::Document doc = document(s);
       doc.layers().add("TOVEK_FRONT");
       doc.layers().add("TOVEK_CUT").setFreeze(true);
       cad::Layer name = doc.layers().add("TOVEK_NAME");
       name.setLock(true);
       name.setPlottable(false);
       doc.layers().add("TOVEK_AUX2").setLayerOn(false);
       inspect::LayerTable t;
       inspect::FillLayerTable(s, t);
       Messages m = layerRows(t);
       inspect::ClickLayerCell(s, t, 2, 1);  // 表示 of TOVEK_FRONT: off
       inspect::ClickLayerCell(s, t, 0, 2);  // the name column: nothing
       inspect::ClickLayerCell(s, t, 1, 3);  // the description column: nothing
       inspect::ClickLayerCell(s, t, 3, 0);  // the header: nothing
       inspect::SpaceOverLayers(s, t, 4, 2, 5);  // ロック over CUT, SIDE (missing), BODY, NAME
       for (auto& l : layerRows(t)) m.push_back(l);
       return m;
     }},
    {"attributes_enter_split_by_y",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::string a = lines(s, "A", 0, {{"NAME", "L1", 0}, {"SPEC", "3P", -8}}, "0", 10);
       std::string b = lines(s, "B", 5, {{"NAME", "M1", 0}, {"NAME1", "Z", -8}}, "0", 90);
       sim.operatorSelect({a, b});
       inspect::AttributeGrid g;
       inspect::GetAttributes(s, g);
       Messages m = attributeRows(g);
       g.table.setCell(1, 2, "L1^L2^L3");
       m.push_back("enter: " + inspect::EnterKeyWrite(s, g, 1, 2).message);
       g.table.setCell(1, 1, "M1^M2");
       m.push_back("enter: " + inspect::EnterKeyWrite(s, g, 1, 1).message);
       for (auto& l : attributeRows(g)) m.push_back(l);
       return m;
     }},
    {"join_blank_only",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::string kept = lines(s, "KEPT", 100, {{"NAME", "MC", 20}, {"NAME1", "12", 14}});
       std::string joined = lines(s, "JOINED", 200, {{"NAME", "PB", 20}, {"NAME1", "", 14},
                                                    {"NAME2", "X", 8}});
       sim.operatorSelect({kept, joined});
       tools::JoinResult r = tools::Button9Click(s, true);
       return Messages{"joined = " + std::to_string(r.joined)};
     }},
    {"align_vertical_centre_enter",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::vector<std::string> hs = {dot(s, 3, 0), dot(s, 1, 9), dot(s, 7, 4)};
       sim.operatorSelect(hs);
       sim.operatorPoint(100, 50);
       sim.operatorEnter();
       tools::AlignResult r =
           tools::Button11Click(s, tools::AlignAxis::Vertical, tools::AlignReference::Centre);
       return Messages{"moved = " + std::to_string(r.moved)};
     }},
    {"align_vertical_centre_spread",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::vector<std::string> hs = {dot(s, 3, 0), dot(s, 1, 9), dot(s, 7, 4), dot(s, 5, -2)};
       sim.operatorSelect(hs);
       sim.operatorPoint(100, 50);
       sim.operatorDistance(10);
       tools::AlignResult r =
           tools::Button11Click(s, tools::AlignAxis::Vertical, tools::AlignReference::Centre);
       return Messages{"moved = " + std::to_string(r.moved)};
     }},
    {"align_horizontal_centre_spread",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::vector<std::string> hs = {dot(s, 3, 0), dot(s, 1, 9), dot(s, 7, 4), dot(s, 5, 1)};
       sim.operatorSelect(hs);
       sim.operatorPoint(100, 50);
       sim.operatorDistance(10);
       tools::AlignResult r =
           tools::Button11Click(s, tools::AlignAxis::Horizontal, tools::AlignReference::Centre);
       return Messages{"moved = " + std::to_string(r.moved)};
     }},
    // --- end of inspection and layout tools ---
    // --- block library ---
    {"library_insert_whole_exploded_again",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::string dir = libraryFolder();
       sim.operatorPoint(30, 40);
       library::Button18Click(s, dir + "motor.dwg", false);
       sim.operatorPoint(100, 0);
       library::Button18Click(s, dir + "motor.dwg", true);
       sim.operatorPoint(0, 0);
       library::Button18Click(s, dir + "motor.dwg", false);
       library::Button18Click(s, dir + "gone.dwg", false);
       return Messages{};
     }},
    {"library_explode_insert_gstarcad",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::string dir = libraryFolder();
       s.CadProgId = "Gcad.Application";
       sim.registerAs(s.CadProgId);
       sim.operatorPoint(100, 0);
       library::Button18Click(s, dir + "motor.dwg", true);
       return Messages{};
     }},
    {"library_wblock_new_declined_overwritten",
     [](cad::sim::SimCad& sim, cad::Session& s) {
       std::string dir = libraryFolder();
       cad::Document doc = cad::Application(cad::Object(sim.application())).activeDocument();
       doc.blocks().add({0, 0, 0}, "VALVE").addCircle({0, 0, 0}, 4);
       std::string r = doc.modelSpace().insertBlock({5, 5, 0}, "VALVE").handle();
       std::string line = doc.modelSpace().addLine({0, 0, 0}, {1, 1, 0}).handle();
       fs::remove(dir + "VALVE.dwg");
       Messages m = wblock(sim, s, r, dir, false);
       for (bool yes : {false, true})
         for (std::string x : wblock(sim, s, r, dir, yes)) m.push_back(x);
       for (std::string x : wblock(sim, s, line, dir, true)) m.push_back(x);
       m.push_back("ZoomExtents calls = " + std::to_string(sim.callCount("ZoomExtents")));
       return m;
     }},
    {"thumbnail_crafted_previews",
     [](cad::sim::SimCad&, cad::Session&) {
       const std::uint32_t W = 0xFFFFFF, K = 0x000000;
       Messages m;
       m.push_back(thumbnailFacts("white BMP, ink touching row 0",
                                  craftedDwg("1018", 2, dib24(20, 10, rect(W, K, 5, 14, 0, 5)))));
       m.push_back(thumbnailFacts("white BMP, ink from the top-left corner",
                                  craftedDwg("1018", 2, dib24(20, 10, rect(W, K, 0, 9, 0, 5)))));
       m.push_back(thumbnailFacts("PNG, ink 2 wide", craftedDwg("1021", 6, png(30, 20, rect(K, W, 10, 11, 5, 14)))));
       m.push_back(thumbnailFacts("PNG, ink 3 wide", craftedDwg("1021", 6, png(30, 20, rect(K, W, 10, 12, 5, 14)))));
       m.push_back(thumbnailFacts("PNG, ink 1 high", craftedDwg("1024", 6, png(30, 20, rect(K, W, 5, 20, 5, 5)))));
       m.push_back(thumbnailFacts("PNG, ink 2 high", craftedDwg("1024", 6, png(30, 20, rect(K, W, 5, 20, 5, 6)))));
       m.push_back(thumbnailFacts("PNG, ink 3 high", craftedDwg("1024", 6, png(30, 20, rect(K, W, 5, 20, 5, 7)))));
       m.push_back(thumbnailFacts("BMP, one white corner",
                                  craftedDwg("1018", 2, dib24(12, 12, [](int x, int y) {
                                    return (x >= 3 && x <= 8 && y >= 3 && y <= 8) || (x == 11 && y == 11)
                                               ? 0xFFFFFFu : 0u;
                                  }))));
       m.push_back(thumbnailFacts("version not a number", craftedDwg("10x8", 2, dib24(4, 4, rect(W, K, 1, 2, 1, 2)))));
       m.push_back(thumbnailFacts("version 1012", craftedDwg("1012", 2, dib24(4, 4, rect(W, K, 1, 2, 1, 2)))));
       m.push_back(thumbnailFacts("WMF entry", craftedDwg("1018", 3, std::string(64, 'w'))));
       std::string cut = craftedDwg("1018", 2, dib24(20, 10, rect(W, K, 5, 14, 0, 5)));
       m.push_back(thumbnailFacts("BMP cut short", cut.substr(0, cut.size() - 100)));
       return m;
     }},
    {"panel_preview_primitives",
     [](cad::sim::SimCad&, cad::Session&) {
       Messages m;
       for (auto [label, in] : {std::pair<const char*, panel::PreviewInput>{
                                    "W 22 kind 0 nameplate", {"22", "", "0", true}},
                                {"W 22 kind 0 no nameplate", {"22", "", "0", false}},
                                {"W 96 H 48 kind 4 no nameplate", {"96", "48", "4", false}},
                                {"W 25 kind 3 no nameplate", {"25", "", "3", false}}}) {
         Messages more = previewPrimitives(label, in);
         m.insert(m.end(), more.begin(), more.end());
       }
       return m;
     }},
    // --- end of block library ---
};

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream o;
  o << in.rdbuf();
  return o.str();
}

// The file's leading comment lines, and the rest.
std::pair<std::string, std::string> splitHeader(const std::string& text) {
  std::size_t at = 0;
  while (text.compare(at, 2, "# ") == 0 || text.compare(at, 2, "#\n") == 0) {
    std::size_t nl = text.find('\n', at);
    at = nl == std::string::npos ? text.size() : nl + 1;
  }
  return {text.substr(0, at), text.substr(at)};
}

class Golden : public ::testing::TestWithParam<Scenario> {};

TEST_P(Golden, ListingMatches) {
  const Scenario& sc = GetParam();
  cad::sim::SimCad sim;
  cad::Session session;
  session.desktop = &sim.desktop();
  sim.registerAs(session.CadProgId);
  std::string got = cad::sim::drawingListing(sim, sc.run(sim, session));

  fs::path file = fs::path(QARN_SOURCE_DIR) / "tests/golden" / (std::string(sc.name) + ".txt");
  auto [header, want] = splitHeader(readFile(file));
  if (std::getenv("QARN_ACCEPT_GOLDEN")) {
    std::ofstream(file, std::ios::binary) << header << got;
    return;
  }
  if (got == want) return;
  fs::path mine = fs::temp_directory_path() / (std::string(sc.name) + ".got.txt");
  fs::path theirs = fs::temp_directory_path() / (std::string(sc.name) + ".want.txt");
  std::ofstream(mine, std::ios::binary) << got;
  std::ofstream(theirs, std::ios::binary) << want;
  std::string cmd = "diff -u '" + theirs.string() + "' '" + mine.string() + "'";
  std::fflush(stdout);
  std::system(cmd.c_str());
  ADD_FAILURE() << sc.name << ": the listing differs from " << file << " (diff above)";
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Golden, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qarn::testing
