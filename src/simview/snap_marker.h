#pragma once
// The marker a CAD draws where an object snap lies, one shape per kind: a square at an endpoint,
// a triangle at a midpoint, a circle at a centre, a diamond at a quadrant, two squares at an
// insertion point, a cross at an intersection and an hourglass at the nearest point.
#include <QPointF>

#include "cad/sim/object_snap.h"

class QPainter;

namespace qarn::simview {

// Half the marker's size in pixels.
inline constexpr double kSnapMarkerHalf = 5;

void paintSnapMarker(QPainter& p, cad::sim::SnapKind kind, QPointF at);

}  // namespace qarn::simview
