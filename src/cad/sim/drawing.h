#pragma once
// The simulated CAD's drawing database: symbol tables, block definitions and entities, kept as
// plain values so that an undo group is a snapshot and a DXF file a walk over them.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cad/geometry.h"
#include "cad/value.h"

namespace qarn::cad::sim {

enum class EntityType {
  Polyline,      // AcDbPolyline (light-weight)
  Line,          // AcDbLine
  Circle,        // AcDbCircle
  Arc,           // AcDbArc
  AttributeDef,  // AcDbAttributeDefinition
  Attribute,     // AcDbAttribute (owned by a block reference)
  AlignedDim,    // AcDbAlignedDimension
  BlockRef,      // AcDbBlockReference
  Opaque,        // read from a drawing file, of a kind the simulated CAD does not draw
};

const char* className(EntityType t);  // "AcDbPolyline", ...
const char* dxfName(EntityType t);    // "LWPOLYLINE", ...
struct Entity;
// As above, and for an opaque entity the kind it was read as.
std::string className(const Entity& e);
std::string dxfName(const Entity& e);

struct Vertex {
  double x = 0, y = 0, bulge = 0;
  bool operator==(const Vertex&) const = default;
};

// A group code and its value as a drawing file held it (texts decoded to UTF-8): how an entity of
// a kind the simulated CAD does not model is kept, to be written back unchanged.
struct DxfField {
  int code;
  std::string value;
  bool operator==(const DxfField&) const = default;
};
// A record that belongs to such an entity: a polyline's VERTEX and SEQEND, a MINSERT's ATTRIB.
struct DxfRecord {
  std::string kind;
  std::vector<DxfField> fields;
  std::string handle;  // a table record's own, kept: other records point at it
  bool operator==(const DxfRecord&) const = default;
};

struct Entity {
  std::string handle;
  EntityType type = EntityType::Line;
  std::string owner;  // the block that holds it, or the reference that owns an attribute
  std::string layer = "0";
  std::string linetype = "BYLAYER";
  int color = 256;

  std::vector<Vertex> vertices;  // polyline
  bool closed = false;
  // Line: start, end. Circle, arc: centre. Dimension: the two measured points and the text
  // point. Text: insertion point and text alignment point. Reference: insertion point.
  Point3 p1, p2, p3;
  double radius = 0, startAngle = 0, endAngle = 0;  // circle, arc

  std::string tag, text, prompt;  // attribute (definition)
  double height = 0, widthFactor = 1, rotation = 0;
  int alignment = 0;
  bool invisible = false, constant = false;

  std::string blockName;  // reference
  double xScale = 1, yScale = 1, zScale = 1;
  std::vector<std::string> attributes;  // handles of the reference's attributes

  std::string dxfType;  // opaque: the DXF kind it was read as ("TEXT", "POINT", ...)
  // Opaque: its group codes after the kind, without its handle, owner and {...} groups, and the
  // records that follow it. `blockName` holds the block it shows (DIMENSION, MINSERT, table).
  std::vector<DxfField> fields;
  std::vector<DxfRecord> parts;
  bool operator==(const Entity&) const = default;
};

struct Block {
  std::string name, handle;
  Point3 origin;
  std::vector<std::string> entities;  // handles, in drawing order
  bool isLayout = false;              // *Model_Space, *Paper_Space
  bool operator==(const Block&) const = default;
};

struct Layer {
  std::string name, handle;
  int color = 7;
  std::string linetype = "Continuous";
  bool on = true, frozen = false, locked = false, plottable = true;
  bool operator==(const Layer&) const = default;
};

struct Linetype {
  std::string name, handle, description;
  std::vector<double> pattern;  // dash lengths: positive drawn, negative gap, 0 a dot
  bool operator==(const Linetype&) const = default;
};

struct Group {
  std::string name, handle;
  std::vector<std::string> members;
  bool anonymous = false;  // made by Add("*"), named by the CAD
  bool operator==(const Group&) const = default;
};

struct Drawing {
  std::map<std::string, Entity> entities;  // every live entity by handle
  std::vector<Block> blocks;               // [0] model space, [1] paper space
  std::vector<Layer> layers;
  std::vector<Linetype> linetypes;
  std::vector<Group> groups;
  std::map<std::string, Value> variables;  // by upper-case name
  // What the drawing file held that a saved file cannot: one line per kind of thing ("OBJECTS:
  // LAYOUT 2", ...). Empty for a drawing made here.
  std::vector<std::string> notKept;
  std::vector<DxfRecord> classes;  // the file's CLASSES section, written back as read
  std::vector<DxfRecord> styles;   // its text and dimension styles (STYLE, DIMSTYLE), as read

  Block* findBlock(const std::string& name);  // names ignore ASCII case, as in the CAD
  const Block* findBlock(const std::string& name) const;
  Layer* findLayer(const std::string& name);
  const Linetype* findLinetype(const std::string& name) const;
  Entity* findEntity(const std::string& handle);
  const Entity* findEntity(const std::string& handle) const;
  // The newest entity of model space; empty when there is none.
  std::string lastEntity() const;
  // What the CAD's "LAST" selects: the newest entity of model space whose layer is on and thawed;
  // empty when there is none.
  std::string lastVisibleEntity() const;
  // Whether the entity's layer is on and thawed, or locked.
  bool visible(const Entity& e) const;
  bool onLockedLayer(const Entity& e) const;
  Block& modelSpace() { return blocks[0]; }
  const Block& modelSpace() const { return blocks[0]; }
};

// A drawing as a new document has it: layer "0", the three fixed linetypes, the two layouts and
// the system variables with their defaults. `nextHandle` hands out the handles.
Drawing newDrawing(const std::function<std::string()>& nextHandle);

}  // namespace qarn::cad::sim
