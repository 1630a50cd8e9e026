#pragma once
// A thin typed face over the CAD's object model, so that command code reads like the model and
// every argument form the CAD insists on is written in one place: a point is three doubles, a
// coordinate list one flat array of doubles, filter codes 16-bit integers, a text width factor a
// currency value.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cad/geometry.h"
#include "cad/object.h"

namespace qarn::cad {

using WindowHandle = std::int64_t;

// The CAD's system variables of type short (ATTDIA, ATTREQ, FILEDIA, ORTHOMODE, OSMODE, CMDECHO,
// ...): they take a 16-bit integer, and a real CAD may refuse a 32-bit one.
bool isShortVariable(const std::string& name);

Value pointValue(Point3 p);
Value pointValue(double x, double y, double z = 0.0);
Point3 toPoint(const Value& v);  // an array of two or three doubles

class Entity;
class Document;

// Wraps an Object; typed views share the one object.
class Facade {
 public:
  Facade() = default;
  explicit Facade(Object o) : o_(std::move(o)) {}
  const Object& object() const { return o_; }
  bool valid() const { return o_.valid(); }

 protected:
  Object o_;
};

class Entity : public Facade {
 public:
  using Facade::Facade;
  std::string entityName() const;
  std::string objectName() const;
  std::string handle() const;
  std::string layer() const;
  void setLayer(const std::string& name) const;
  void setColor(int color) const;
  void setLinetype(const std::string& name) const;
  void erase() const;
  Entity copy() const;
  void move(Point3 from, Point3 to) const;
  void rotate(Point3 base, double radians) const;
  Entity mirror(Point3 a, Point3 b) const;
  std::vector<Entity> offset(double distance) const;
  std::vector<Entity> explode() const;
  void update() const;
  void getBoundingBox(Point3& min, Point3& max) const;
  std::vector<Entity> arrayRectangular(int rows, int columns, int levels, double rowSpacing,
                                       double columnSpacing, double levelSpacing) const;
};

class Polyline : public Entity {
 public:
  using Entity::Entity;
  explicit Polyline(const Entity& e) : Entity(e.object()) {}
  void setClosed(bool closed) const;
  void setBulge(int segment, double bulge) const;
};

class Attribute : public Entity {
 public:
  using Entity::Entity;
  explicit Attribute(const Entity& e) : Entity(e.object()) {}
  std::string tagString() const;
  std::string textString() const;
  void setTextString(const std::string& text) const;
  double height() const;
  void setHeight(double height) const;
  double rotation() const;
  void setRotation(double radians) const;
  Point3 textAlignmentPoint() const;
  void setTextAlignmentPoint(Point3 p) const;
  Point3 insertionPoint() const;
  void setInsertionPoint(Point3 p) const;
  void setAlignment(int alignment) const;
  void setScaleFactor(double widthFactor) const;  // passed as currency
  void setInvisible(bool invisible) const;
};

class BlockReference : public Entity {
 public:
  using Entity::Entity;
  explicit BlockReference(const Entity& e) : Entity(e.object()) {}
  std::string name() const;
  Point3 insertionPoint() const;
  void setInsertionPoint(Point3 p) const;
  double rotation() const;
  void setRotation(double radians) const;
  double xScaleFactor() const;
  double yScaleFactor() const;
  bool hasAttributes() const;
  std::vector<Attribute> getAttributes() const;
};

// Model space or a block definition: both take new entities.
class Block : public Facade {
 public:
  using Facade::Facade;
  std::string name() const;
  int count() const;
  Entity item(int index) const;
  BlockReference insertBlock(Point3 at, const std::string& name, double xs = 1, double ys = 1,
                             double zs = 1, double rotation = 0) const;
  Polyline addLightWeightPolyline(const std::vector<double>& xy) const;
  Entity addLine(Point3 a, Point3 b) const;
  Entity addCircle(Point3 centre, double radius) const;
  Entity addArc(Point3 centre, double radius, double startAngle, double endAngle) const;
  Attribute addAttribute(double height, int mode, const std::string& prompt, Point3 at,
                         const std::string& tag, const std::string& value) const;
  Entity addDimAligned(Point3 first, Point3 second, Point3 textAt) const;
  // The definition taken out of the drawing (the CAD refuses while a reference shows it).
  void remove() const;
};

class Layer : public Facade {
 public:
  using Facade::Facade;
  std::string name() const;
  std::string handle() const;
  bool layerOn() const;
  void setLayerOn(bool on) const;
  bool freeze() const;
  void setFreeze(bool frozen) const;
  bool lock() const;
  void setLock(bool locked) const;
  bool plottable() const;
  void setPlottable(bool plottable) const;
  int color() const;
  void setColor(int color) const;
  void setLinetype(const std::string& name) const;
};

class Collection : public Facade {
 public:
  Collection() = default;
  // `itemInterface`: the interface of every item, when the collection holds one kind.
  explicit Collection(Object o, std::string itemInterface = {})
      : Facade(std::move(o)), itemInterface_(std::move(itemInterface)) {}
  int count() const;
  Object item(int index) const;
  Object item(const std::string& name) const;
  // The `Name` of every item, in order.
  std::vector<std::string> names() const;

 private:
  std::string itemInterface_;
};

class Layers : public Collection {
 public:
  Layers() = default;
  explicit Layers(Object o) : Collection(std::move(o), "IAcadLayer") {}
  Layer add(const std::string& name) const;
  Layer layer(int index) const { return Layer(item(index)); }
};

class Blocks : public Collection {
 public:
  Blocks() = default;
  explicit Blocks(Object o) : Collection(std::move(o), "IAcadBlock") {}
  Block add(Point3 origin, const std::string& name) const;
  Block block(int index) const { return Block(item(index)); }
  // Whether the table holds the name, by walking it and comparing as the CAD does: ASCII case
  // ignored, so that "tovekhdlra" is the block "TOVEKHDLRA".
  bool contains(const std::string& name) const;
};

class SelectionSet : public Facade {
 public:
  using Facade::Facade;
  void clear() const;
  void selectOnScreen() const;
  void selectOnScreen(const std::vector<std::int16_t>& codes,
                      const std::vector<Value>& values) const;
  void selectLast() const;  // mode 4: the last entity drawn
  void select(int mode, Point3 a, Point3 b) const;
  int count() const;
  Entity item(int index) const;
  void addItems(const std::vector<Entity>& items) const;
  void erase() const;  // every entity of the set
};

// The answer to a pick: the entity and the point the user picked it at.
struct PickedEntity {
  Entity entity;
  Point3 point;
};

class Utility : public Facade {
 public:
  using Facade::Facade;
  // Each raises an AutomationError when the user cancels or picks nothing.
  PickedEntity getEntity(const std::string& prompt) const;
  Point3 getPoint(const std::string& prompt) const;
  Point3 getPoint(Point3 base, const std::string& prompt) const;
  double getDistance(Point3 base, const std::string& prompt) const;
  // A distance typed, or the two points picked; Enter raises status::kUserInputKeyword.
  double getDistance(const std::string& prompt) const;
  Point3 polarPoint(Point3 p, double angle, double distance) const;
};

class Application;

class Document : public Facade {
 public:
  using Facade::Facade;
  Block modelSpace() const;
  Blocks blocks() const;
  Layers layers() const;
  Collection linetypes() const;
  Collection groups() const;
  Utility utility() const;
  SelectionSet activeSelectionSet() const;
  Application application() const;
  WindowHandle hwnd() const;
  void startUndoMark() const;
  void endUndoMark() const;
  void sendCommand(const std::string& text) const;
  Value getVariable(const std::string& name) const;
  void setVariable(const std::string& name, const Value& value) const;
  Entity handleToObject(const std::string& handle) const;
  void regen(int which = 0) const;
};

class Application : public Facade {
 public:
  using Facade::Facade;
  Document activeDocument() const;
  WindowHandle hwnd() const;
  int documentCount() const;
  void zoomCenter(Point3 centre, double magnification) const;
  void zoomExtents() const;
  // `GetAcadState`, `GetZcadState` or `GetGcadState`, then `IsQuiescent`.
  bool isQuiescent(const std::string& stateMember) const;
};

}  // namespace qarn::cad
