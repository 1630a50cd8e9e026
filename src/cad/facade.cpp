#include "cad/facade.h"

#include "cad/automation_error.h"
#include "cad/text.h"

namespace qarn::cad {

Value pointValue(Point3 p) {
  return Value(std::vector<double>{p.x, p.y, p.z});
}
Value pointValue(double x, double y, double z) {
  return pointValue(Point3{x, y, z});
}

Point3 toPoint(const Value& v) {
  const auto& d = v.doubles();
  if (d.size() == 2) return {d[0], d[1], 0.0};
  if (d.size() != 3)
    throw AutomationError(
        status::kTypeMismatch,
        "Type mismatch: a point has 2 or 3 coordinates, got " + std::to_string(d.size()));
  return {d[0], d[1], d[2]};
}

namespace {
// The objects of an array, each of the interface given (when one is).
template <class T>
std::vector<T> toList(const Value& v, std::string_view interfaceName = {}) {
  std::vector<T> out;
  for (const Value& item : v.values())
    out.emplace_back(Object(item).as(interfaceName));
  return out;
}
}  // namespace

namespace {
// An entity of a kind not known beforehand (picked, found by handle, an item of a space): only
// the members every entity has are known of it, until its class names its interface.
Object anyEntity(const Value& v) {
  Object o(v);
  if (o.interfaceName().empty()) o.as("IAcadEntity");
  return o;
}

// The interface of the CAD's classes that QARN works with.
std::string_view interfaceOfClass(std::string_view objectName) {
  static const std::pair<std::string_view, std::string_view> classes[] = {
      {"AcDbBlockReference", "IAcadBlockReference"}, {"AcDbPolyline", "IAcadLWPolyline"},
      {"AcDbAttribute", "IAcadAttributeReference"},  {"AcDbAttributeDefinition", "IAcadAttribute"},
      {"AcDbLine", "IAcadLine"},                     {"AcDbCircle", "IAcadCircle"},
      {"AcDbArc", "IAcadArc"},                       {"AcDbAlignedDimension", "IAcadDimAligned"},
      {"AcDbLayerTableRecord", "IAcadLayer"}};
  for (const auto& [cls, iface] : classes)
    if (cls == objectName) return iface;
  return {};
}
// The class an entity answers with tells its interface to an object that was of unknown kind.
// The object taken as the kind the program treats it as, when its kind was not known: the
// link then reuses member ids learnt on other objects of that kind, and asks this object again
// should the CAD not know one.
const Object& kind(const Object& o, std::string_view interfaceName) {
  std::string_view now = o.interfaceName();
  if (now.empty() || now == "IAcadEntity" || now == "IAcadObject") o.as(interfaceName);
  return o;
}
std::string learnClass(const Object& o, std::string name) {
  std::string_view now = o.interfaceName();
  if (now == "IAcadEntity" || now == "IAcadObject") o.as(interfaceOfClass(name));
  return name;
}
}  // namespace

// Entity

std::string Entity::entityName() const {
  return learnClass(o_, o_.get("EntityName").toText());
}
std::string Entity::objectName() const {
  return learnClass(o_, o_.get("ObjectName").toText());
}
std::string Entity::handle() const {
  return o_.get("Handle").toText();
}
std::string Entity::layer() const {
  return o_.get("Layer").toText();
}
void Entity::setLayer(const std::string& name) const {
  o_.put("Layer", name);
}
void Entity::setColor(int color) const {
  o_.put("color", color);
}
void Entity::setLinetype(const std::string& name) const {
  o_.put("Linetype", name);
}
void Entity::erase() const {
  o_.call("Erase");
}
Entity Entity::copy() const {
  return Entity(Object(o_.call("Copy")).as(o_.interfaceName()));
}
void Entity::move(Point3 from, Point3 to) const {
  o_.call("Move", {pointValue(from), pointValue(to)});
}
void Entity::rotate(Point3 base, double radians) const {
  o_.call("Rotate", {pointValue(base), radians});
}
Entity Entity::mirror(Point3 a, Point3 b) const {
  return Entity(Object(o_.call("Mirror", {pointValue(a), pointValue(b)})).as(o_.interfaceName()));
}
std::vector<Entity> Entity::offset(double distance) const {
  return toList<Entity>(o_.call("Offset", {distance}), o_.interfaceName());
}
std::vector<Entity> Entity::explode() const {
  return toList<Entity>(o_.call("Explode"), "IAcadEntity");
}
void Entity::update() const {
  o_.call("Update");
}
void Entity::getBoundingBox(Point3& min, Point3& max) const {
  std::vector<Value> args{Value(), Value()};
  o_.callOut("GetBoundingBox", args);
  min = toPoint(args[0]);
  max = toPoint(args[1]);
}
std::vector<Entity> Entity::arrayRectangular(int rows, int columns, int levels, double rowSpacing,
                                             double columnSpacing, double levelSpacing) const {
  return toList<Entity>(o_.call("ArrayRectangular",
                                {rows, columns, levels, rowSpacing, columnSpacing, levelSpacing}));
}

void Polyline::setClosed(bool closed) const {
  o_.put("Closed", closed);
}
void Polyline::setBulge(int segment, double bulge) const {
  o_.call("SetBulge", {segment, bulge});
}

// Attribute

std::string Attribute::tagString() const {
  return o_.get("TagString").toText();
}
std::string Attribute::textString() const {
  return o_.get("TextString").toText();
}
void Attribute::setTextString(const std::string& text) const {
  o_.put("TextString", text);
}
double Attribute::height() const {
  return o_.get("Height").toDouble();
}
Point3 Attribute::textAlignmentPoint() const {
  return toPoint(o_.get("TextAlignmentPoint"));
}
void Attribute::setTextAlignmentPoint(Point3 p) const {
  o_.put("TextAlignmentPoint", pointValue(p));
}
Point3 Attribute::insertionPoint() const {
  return toPoint(o_.get("InsertionPoint"));
}
void Attribute::setInsertionPoint(Point3 p) const {
  o_.put("InsertionPoint", pointValue(p));
}
void Attribute::setAlignment(int alignment) const {
  o_.put("Alignment", alignment);
}
void Attribute::setHeight(double height) const {
  o_.put("Height", height);
}
double Attribute::rotation() const {
  return o_.get("Rotation").toDouble();
}
void Attribute::setRotation(double radians) const {
  o_.put("Rotation", radians);
}
void Attribute::setScaleFactor(double widthFactor) const {
  o_.put("ScaleFactor", Currency::fromDouble(widthFactor));
}
void Attribute::setInvisible(bool invisible) const {
  o_.put("Invisible", invisible);
}

// BlockReference

std::string BlockReference::name() const {
  return kind(o_, "IAcadBlockReference").get("Name").toText();
}
Point3 BlockReference::insertionPoint() const {
  return toPoint(kind(o_, "IAcadBlockReference").get("InsertionPoint"));
}
void BlockReference::setInsertionPoint(Point3 p) const {
  kind(o_, "IAcadBlockReference").put("InsertionPoint", pointValue(p));
}
double BlockReference::rotation() const {
  return kind(o_, "IAcadBlockReference").get("Rotation").toDouble();
}
void BlockReference::setRotation(double radians) const {
  kind(o_, "IAcadBlockReference").put("Rotation", radians);
}
double BlockReference::xScaleFactor() const {
  return kind(o_, "IAcadBlockReference").get("XScaleFactor").toDouble();
}
double BlockReference::yScaleFactor() const {
  return kind(o_, "IAcadBlockReference").get("YScaleFactor").toDouble();
}
bool BlockReference::hasAttributes() const {
  return kind(o_, "IAcadBlockReference").get("HasAttributes").toBool();
}
std::vector<Attribute> BlockReference::getAttributes() const {
  Value v = kind(o_, "IAcadBlockReference").call("GetAttributes");
  if (v.isEmpty()) return {};  // some CADs answer a reference without attributes with nothing
  return toList<Attribute>(v, "IAcadAttributeReference");
}

// Block

void Block::remove() const {
  o_.call("Delete");
}

std::string Block::name() const {
  return o_.get("Name").toText();
}
int Block::count() const {
  return o_.get("Count").toInt();
}
Entity Block::item(int index) const {
  return Entity(anyEntity(o_.call("Item", {index})));
}
BlockReference Block::insertBlock(Point3 at, const std::string& name, double xs, double ys,
                                  double zs, double rotation) const {
  return BlockReference(
      Object(o_.call("InsertBlock", {pointValue(at), name, xs, ys, zs, rotation, Value()}))
          .as("IAcadBlockReference"));
}
Polyline Block::addLightWeightPolyline(const std::vector<double>& xy) const {
  return Polyline(Object(o_.call("AddLightWeightPolyline", {Value(xy)})).as("IAcadLWPolyline"));
}
Entity Block::addLine(Point3 a, Point3 b) const {
  return Entity(Object(o_.call("AddLine", {pointValue(a), pointValue(b)})).as("IAcadLine"));
}
Entity Block::addCircle(Point3 centre, double radius) const {
  return Entity(Object(o_.call("AddCircle", {pointValue(centre), radius})).as("IAcadCircle"));
}
Entity Block::addArc(Point3 centre, double radius, double startAngle, double endAngle) const {
  return Entity(
      Object(o_.call("AddArc", {pointValue(centre), radius, startAngle, endAngle})).as("IAcadArc"));
}
Attribute Block::addAttribute(double height, int mode, const std::string& prompt, Point3 at,
                              const std::string& tag, const std::string& value) const {
  return Attribute(
      Object(o_.call("AddAttribute", {height, mode, prompt, pointValue(at), tag, value}))
          .as("IAcadAttribute"));
}
Entity Block::addDimAligned(Point3 first, Point3 second, Point3 textAt) const {
  return Entity(Object(
      o_.call("AddDimAligned", {pointValue(first), pointValue(second), pointValue(textAt)})));
}

// Layer

std::string Layer::name() const {
  return kind(o_, "IAcadLayer").get("Name").toText();
}
std::string Layer::handle() const {
  return kind(o_, "IAcadLayer").get("Handle").toText();
}
bool Layer::layerOn() const {
  return kind(o_, "IAcadLayer").get("LayerOn").toBool();
}
void Layer::setLayerOn(bool on) const {
  kind(o_, "IAcadLayer").put("LayerOn", on);
}
bool Layer::freeze() const {
  return kind(o_, "IAcadLayer").get("Freeze").toBool();
}
void Layer::setFreeze(bool frozen) const {
  kind(o_, "IAcadLayer").put("Freeze", frozen);
}
bool Layer::lock() const {
  return kind(o_, "IAcadLayer").get("Lock").toBool();
}
void Layer::setLock(bool locked) const {
  kind(o_, "IAcadLayer").put("Lock", locked);
}
bool Layer::plottable() const {
  return kind(o_, "IAcadLayer").get("Plottable").toBool();
}
void Layer::setPlottable(bool plottable) const {
  kind(o_, "IAcadLayer").put("Plottable", plottable);
}
int Layer::color() const {
  return kind(o_, "IAcadLayer").get("color").toInt();
}
void Layer::setColor(int color) const {
  kind(o_, "IAcadLayer").put("color", color);
}
void Layer::setLinetype(const std::string& name) const {
  kind(o_, "IAcadLayer").put("Linetype", name);
}

// Collections

int Collection::count() const {
  return o_.get("Count").toInt();
}
Object Collection::item(int index) const {
  return Object(o_.call("Item", {index})).as(itemInterface_);
}
Object Collection::item(const std::string& name) const {
  return Object(o_.call("Item", {name})).as(itemInterface_);
}
std::vector<std::string> Collection::names() const {
  std::vector<std::string> out;
  int n = count();
  for (int i = 0; i < n; ++i)
    out.push_back(item(i).get("Name").toText());
  return out;
}

Layer Layers::add(const std::string& name) const {
  return Layer(Object(o_.call("Add", {name})).as("IAcadLayer"));
}

Block Blocks::add(Point3 origin, const std::string& name) const {
  return Block(Object(o_.call("Add", {pointValue(origin), name})).as("IAcadBlock"));
}

bool Blocks::contains(const std::string& name) const {
  std::string wanted = asciiUpper(name);
  int n = count();
  for (int i = 0; i < n; ++i)
    if (asciiUpper(item(i).get("Name").toText()) == wanted) return true;
  return false;
}

// SelectionSet

void SelectionSet::clear() const {
  o_.call("Clear");
}
void SelectionSet::selectOnScreen() const {
  o_.call("SelectOnScreen");
}
void SelectionSet::selectOnScreen(const std::vector<std::int16_t>& codes,
                                  const std::vector<Value>& values) const {
  o_.call("SelectOnScreen", {Value(codes), Value(values)});
}
void SelectionSet::selectLast() const {
  o_.call("Select", {4, Value::missing(), Value::missing(), Value::missing(), Value::missing()});
}
void SelectionSet::select(int mode, Point3 a, Point3 b) const {
  o_.call("Select", {mode, pointValue(a), pointValue(b)});
}
int SelectionSet::count() const {
  return o_.get("Count").toInt();
}
Entity SelectionSet::item(int index) const {
  return Entity(anyEntity(o_.call("Item", {index})));
}
void SelectionSet::addItems(const std::vector<Entity>& items) const {
  std::vector<Value> objects;
  for (const Entity& e : items)
    objects.emplace_back(e.object().dispatch());
  o_.call("AddItems", {Value(std::move(objects))});
}
void SelectionSet::erase() const {
  o_.call("Erase");
}

// Utility

PickedEntity Utility::getEntity(const std::string& prompt) const {
  std::vector<Value> args{Value(), Value(), prompt};
  o_.callOut("GetEntity", args);
  return {Entity(anyEntity(args[0])), toPoint(args[1])};
}
Point3 Utility::getPoint(const std::string& prompt) const {
  return toPoint(o_.call("GetPoint", {Value(), prompt}));
}
Point3 Utility::getPoint(Point3 base, const std::string& prompt) const {
  return toPoint(o_.call("GetPoint", {pointValue(base), prompt}));
}
double Utility::getDistance(Point3 base, const std::string& prompt) const {
  return o_.call("GetDistance", {pointValue(base), prompt}).toDouble();
}
double Utility::getDistance(const std::string& prompt) const {
  return o_.call("GetDistance", {Value::missing(), prompt}).toDouble();
}
Point3 Utility::polarPoint(Point3 p, double angle, double distance) const {
  return toPoint(o_.call("PolarPoint", {pointValue(p), angle, distance}));
}

// Document

Block Document::modelSpace() const {
  return Block(o_.getObject("ModelSpace").as("IAcadModelSpace"));
}
Blocks Document::blocks() const {
  return Blocks(o_.getObject("Blocks").as("IAcadBlocks"));
}
Layers Document::layers() const {
  return Layers(o_.getObject("Layers").as("IAcadLayers"));
}
Collection Document::linetypes() const {
  return Collection(o_.getObject("Linetypes").as("IAcadLineTypes"), "IAcadLineType");
}
Collection Document::groups() const {
  return Collection(o_.getObject("Groups").as("IAcadGroups"), "IAcadGroup");
}
Utility Document::utility() const {
  return Utility(o_.getObject("Utility").as("IAcadUtility"));
}
SelectionSet Document::activeSelectionSet() const {
  return SelectionSet(o_.getObject("ActiveSelectionSet").as("IAcadSelectionSet"));
}
Application Document::application() const {
  return Application(o_.getObject("Application").as("IAcadApplication"));
}
WindowHandle Document::hwnd() const {
  return o_.get("HWND").toInt64();
}
void Document::startUndoMark() const {
  o_.call("StartUndoMark");
}
void Document::endUndoMark() const {
  o_.call("EndUndoMark");
}
void Document::sendCommand(const std::string& text) const {
  o_.call("SendCommand", {text});
}
Value Document::getVariable(const std::string& name) const {
  return o_.call("GetVariable", {name});
}
bool isShortVariable(const std::string& name) {
  static const char* const shorts[] = {"ATTDIA",   "ATTREQ",   "FILEDIA",   "ORTHOMODE", "OSMODE",
                                       "CMDECHO",  "CMDDIA",   "PICKFIRST", "PICKADD",   "EXPERT",
                                       "DIMZIN",   "LUNITS",   "LUPREC",    "AUNITS",    "AUPREC",
                                       "TEXTEVAL", "MIRRTEXT", "HIGHLIGHT", "BLIPMODE",  "QAFLAGS"};
  std::string u = asciiUpper(name);
  for (const char* s : shorts)
    if (u == s) return true;
  return false;
}

void Document::setVariable(const std::string& name, const Value& value) const {
  // A whole number for a short variable goes as the 16-bit integer the CAD expects.
  if (isShortVariable(name) &&
      (value.kind() == Value::Kind::Int || value.kind() == Value::Kind::Int16)) {
    std::int32_t v = value.toInt();
    if (v < INT16_MIN || v > INT16_MAX)
      throw AutomationError(status::kInvalidArg,
                            name + " takes a 16-bit integer, not " + std::to_string(v));
    o_.call("SetVariable", {name, Value::int16(static_cast<std::int16_t>(v))});
    return;
  }
  o_.call("SetVariable", {name, value});
}
Entity Document::handleToObject(const std::string& handle) const {
  return Entity(Object(o_.call("HandleToObject", {handle})).as("IAcadObject"));
}
void Document::regen(int which) const {
  o_.call("Regen", {which});
}

// Application

Document Application::activeDocument() const {
  return Document(o_.getObject("ActiveDocument").as("IAcadDocument"));
}
WindowHandle Application::hwnd() const {
  return o_.get("HWND").toInt64();
}
int Application::documentCount() const {
  return o_.getObject("Documents").as("IAcadDocuments").get("Count").toInt();
}
void Application::zoomCenter(Point3 centre, double magnification) const {
  o_.call("ZoomCenter", {pointValue(centre), magnification});
}
void Application::zoomExtents() const {
  o_.call("ZoomExtents");
}
bool Application::isQuiescent(const std::string& stateMember) const {
  return Object(o_.call(stateMember)).as("IAcadState").get("IsQuiescent").toBool();
}

}  // namespace qarn::cad
