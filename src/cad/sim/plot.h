#pragma once
// Printing a drawing: what the drawing window shows (its display list), laid out on a sheet of
// A4 or A3 and written as a PDF (lines as vector strokes, texts as real text in the embedded
// Japanese font) or as a PNG picture. Qt-free, so the typed PLOT command, qarn-cli and the
// window's print dialog share it.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cad/geometry.h"
#include "cad/sim/display_list.h"
#include "cad/sim/drawing.h"

namespace qarn::cad::sim {

enum class Paper { A4, A3 };
enum class PlotFormat { Pdf, Png };

struct PlotOptions {
  Paper paper = Paper::A4;
  bool landscape = false;
  double scale = 0;  // N of 1:N (paper mm per N drawing units); 0 fits the area to the sheet
  std::optional<std::pair<Point3, Point3>> window;  // two corners; the drawing's extents without
  bool colour = false;   // the CAD colours (white as black); black on white without
  std::string fontPath;  // the Japanese TrueType font; empty: findJapaneseFont()
};

// A plot refused (nothing to print, a window with no area) or a file not written; the message is
// in Japanese, as the CAD's command line shows it.
struct PlotError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Where the drawing lands on the sheet, in millimetres from the sheet's lower left corner.
struct PlotPage {
  double width = 210, height = 297;  // the sheet
  double left, bottom, right, top;   // what is printed: inside the margins, and the window
  double scale = 1;                  // sheet mm per drawing unit
  double dx = 0, dy = 0;             // sheet = drawing * scale + (dx, dy)
  double x(double drawingX) const { return drawingX * scale + dx; }
  double y(double drawingY) const { return drawingY * scale + dy; }
};

constexpr double kSheetMargin = 5;  // mm a printer leaves blank at each edge

// The sheet and the drawing's place on it: the area (window or extents) centred in the printable
// area, fitted or at 1:N; a window also cuts off what lies outside it. Throws PlotError when there
// is nothing to print.
PlotPage layOutPage(const DisplayList& list, const PlotOptions& options);

// How a shown colour prints: black on white, or the colour with white (colour 7) as black.
std::uint32_t printedColour(std::uint32_t rgb, bool colour);

struct PlotReport {
  std::string file;
  std::vector<std::string> notes;    // what the print could not do as asked, in Japanese
  std::size_t lines = 0, texts = 0;  // what landed on the sheet
};

// The drawing (model space; layers off, frozen or not plottable left out) printed to `path`.
PlotReport plotDrawing(const Drawing& d, const PlotOptions& options, PlotFormat format,
                       const std::string& path);

// The format a file name asks for: ".pdf" or ".png", in any case; nothing for any other.
std::optional<PlotFormat> plotFormatOf(const std::string& path);

// A text as it is printed: its characters, their glyphs in the font (none without one) and
// advances in ems, and where its baseline starts on the sheet, as the window places it (the
// text's height is 0.72 of an em).
struct PrintedText {
  std::u32string chars;
  std::vector<std::uint16_t> glyphs;
  std::vector<double> advances;  // ems
  double em = 0;                 // sheet mm
  double x = 0, y = 0;           // the baseline's start on the sheet, mm
  double cos = 1, sin = 0, widthFactor = 1;
};
class TrueTypeFont;
PrintedText printedText(const ShownText& t, const PlotPage& page, const TrueTypeFont* font);

// The writers, given the display list and its layout (plot_pdf.cpp, plot_png.cpp).
std::string pdfOfPage(const DisplayList& list, const PlotPage& page, bool colour,
                      const TrueTypeFont* font, PlotReport& report);
void writePngOfPage(const DisplayList& list, const PlotPage& page, bool colour,
                    const TrueTypeFont* font, const std::string& path, PlotReport& report);

}  // namespace qarn::cad::sim
