#pragma once
// A drawing and what was said to the CAD, written as stable, line-per-fact text: what two runs
// of a command must agree on byte for byte. Handles are left out (an entity is named by its place
// in model space) and numbers are rounded to 1e-6, so a listing changes only when the drawing does.
#include <string>
#include <vector>

namespace qarn::cad::sim {

class SimCad;

// A number rounded to 1e-6 without trailing zeros ("12.5", "-0.414214", "0").
std::string listingNumber(double v);

// The active drawing: system variables, layers, linetypes, block definitions with their entities,
// model space in creation order, groups; then the transcript: command strings, system variables
// written, prompts asked, how often the drawing was regenerated and undo groups opened and closed,
// and the messages given (one line each).
std::string drawingListing(const SimCad& cad, const std::vector<std::string>& messages = {});

}  // namespace qarn::cad::sim
