#include "cad/sim/sim_cad.h"

#include <fstream>
#include <stdexcept>

#include "cad/numbers.h"
#include "cad/running_objects.h"
#include "cad/sim/dxf_reader.h"
#include "cad/sim/dxf_writer.h"
#include "cad/sim/sim_objects.h"
#include "cad/sim/sim_world.h"
#include "cad/text.h"
#include "cad/text_file.h"

namespace qarn::cad::sim {

SimCad::SimCad(CadProfile profile) : world_(std::make_shared<World>()) {
  world_->profile = std::move(profile);
  world_->addDocument();
  world_->desktop.addWindow(world_->appWindow, 1600, 900);
  world_->desktop.addWindow(world_->activeDoc().hwnd, 1600, 860);
}

SimCad::~SimCad() {
  unregister();
}

void SimCad::registerAs(const std::string& progId) {
  unregister();
  RunningObjects::instance().registerObject(progId, application());
  registeredAs_ = progId;
}

void SimCad::unregister() {
  if (registeredAs_.empty()) return;
  RunningObjects::instance().revokeObject(registeredAs_);
  registeredAs_.clear();
}

DispatchPtr SimCad::application() const {
  return makeApplication(world_);
}
SimDesktop& SimCad::desktop() {
  return world_->desktop;
}
WindowHandle SimCad::applicationWindow() const {
  return world_->appWindow;
}
void SimCad::setApplicationWindow(WindowHandle w) {
  world_->appWindow = w;
  world_->desktop.addWindow(w, 1600, 900);
}
WindowHandle SimCad::documentWindow() const {
  return world_->activeDoc().hwnd;
}

Drawing& SimCad::drawing() {
  ++world_->edits;  // handed out to be changed: the undo history looks again
  return world_->activeDoc().drawing;
}
const Drawing& SimCad::drawing() const {
  return world_->activeDoc().drawing;
}

void SimCad::addDocument() {
  world_->addDocument();
  world_->desktop.addWindow(world_->activeDoc().hwnd, 1600, 860);
  world_->changed();
}

void SimCad::openDrawing(const std::string& path) {
  world_->openDocument(path, readDxfFile(path));
  world_->changed();
}

void SimCad::openDxf(std::string_view text, const std::string& name) {
  world_->openDocument(name, readDxf(text));
  world_->activeDoc().path.clear();  // read from memory: no file behind it
  world_->changed();
}

int SimCad::documentCount() const {
  return static_cast<int>(world_->docs.size());
}

void SimCad::closeAllDocuments() {
  world_->docs.clear();
  world_->active = -1;
  world_->changed();
}

std::string SimCad::newHandle() {
  return World::newHandle(world_->activeDoc());
}

void SimCad::operatorPoint(double x, double y, double z) {
  OperatorInput in;
  in.kind = OperatorInput::Kind::Point;
  in.point = {x, y, z};
  world_->script.push_back(in);
}

std::optional<Point3> readTypedPoint(std::string_view text, std::optional<Point3> base) {
  std::string_view t = trimView(text);
  bool relative = !t.empty() && t.front() == '@';
  if (relative) t.remove_prefix(1);
  if (relative && !base) return std::nullopt;
  double v[3] = {0, 0, 0};
  int n = 0;
  for (;;) {
    std::size_t comma = t.find(',');
    if (n == 3) return std::nullopt;
    auto x = tryReadNumber(t.substr(0, comma));
    if (!x) return std::nullopt;
    v[n++] = *x;
    if (comma == std::string_view::npos) break;
    t.remove_prefix(comma + 1);
  }
  if (n < 2) return std::nullopt;
  Point3 p{v[0], v[1], v[2]};
  if (relative) p = {base->x + p.x, base->y + p.y, base->z + p.z};
  return p;
}

void SimCad::operatorTypedPoint(double x, double y, double z) {
  operatorPoint(x, y, z);
  world_->script.back().typed = true;
}

void SimCad::operatorText(const std::string& text) {
  OperatorInput in;
  in.kind = OperatorInput::Kind::Text;
  in.text = text;
  world_->script.push_back(in);
}

void SimCad::operatorPick(const std::string& handle, Point3 at) {
  OperatorInput in;
  in.kind = OperatorInput::Kind::Entity;
  in.handle = handle;
  in.point = at;
  world_->script.push_back(in);
}

void SimCad::operatorSelect(std::vector<std::string> handles) {
  OperatorInput in;
  in.kind = OperatorInput::Kind::Selection;
  in.handles = std::move(handles);
  world_->script.push_back(in);
}

void SimCad::operatorWindow(Point3 a, Point3 b) {
  OperatorInput in;
  in.kind = OperatorInput::Kind::Window;
  in.point = a;
  in.corner = b;
  world_->script.push_back(in);
}

void SimCad::operatorCrossing(Point3 a, Point3 b) {
  OperatorInput in;
  in.kind = OperatorInput::Kind::Crossing;
  in.point = a;
  in.corner = b;
  world_->script.push_back(in);
}

void SimCad::operatorSelectAll() {
  OperatorInput in;
  in.kind = OperatorInput::Kind::All;
  world_->script.push_back(in);
}

void SimCad::operatorDistance(double d) {
  OperatorInput in;
  in.kind = OperatorInput::Kind::Distance;
  in.distance = d;
  world_->script.push_back(in);
}

void SimCad::operatorEnter() {
  OperatorInput in;
  in.kind = OperatorInput::Kind::Enter;
  world_->script.push_back(in);
}

void SimCad::operatorEscape() {
  OperatorInput in;
  in.kind = OperatorInput::Kind::Escape;
  world_->script.push_back(in);
}
void SimCad::setStandingPoint(std::optional<Point3> p) {
  world_->standingPoint = p;
}
std::size_t SimCad::operatorInputsLeft() const {
  return world_->script.size();
}
void SimCad::dropOperatorInputs() {
  world_->script.clear();
}
const std::vector<std::string>& SimCad::prompts() const {
  return world_->prompts;
}

const std::vector<std::string>& SimCad::variableWrites() const {
  return world_->variableWrites;
}

const std::vector<std::string>& SimCad::transcript() const {
  return world_->transcript;
}
void SimCad::keepBusy(int polls) {
  world_->busyPolls = polls;
}
bool SimCad::commandPending() const {
  return world_->active >= 0 && world_->activeDoc().pending.has_value();
}

void SimCad::failCall(long n) {
  world_->failAtCall = n > 0 ? world_->calls + n : 0;
}
void SimCad::failMember(const std::string& member) {
  std::string m(member);
  for (char& c : m)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  world_->failingMembers.insert(m);
}
void SimCad::clearFaults() {
  world_->failAtCall = 0;
  world_->failingMembers.clear();
}

long SimCad::callCount() const {
  return world_->calls;
}
long SimCad::callCount(const std::string& member) const {
  std::string m(member);
  for (char& c : m)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  auto it = world_->callsByMember.find(m);
  return it == world_->callsByMember.end() ? 0 : it->second;
}
void SimCad::resetCounters() {
  world_->calls = 0;
  world_->callsByMember.clear();
}

int SimCad::openUndoGroups() const {
  return world_->activeDoc().undoDepth;
}

void SimCad::typeCommand(const std::string& line) {
  if (world_->active >= 0) return world_->typeCommand(world_->activeDoc(), line);
  // With no drawing open only the commands that open one can run; they get a document of none.
  DocState none;
  none.id = 0;
  world_->typeCommand(none, line);
}

World& SimCad::world() {
  ++world_->edits;
  return *world_;
}

bool SimCad::undo() {
  return world_->undoStep(world_->activeDoc()).has_value();
}

bool SimCad::redo() {
  return world_->redoStep(world_->activeDoc()).has_value();
}

std::string SimCad::dxf() const {
  return sim::writeDxf(world_->activeDoc().drawing, world_->activeDoc().nextHandle);
}

void SimCad::setOperator(Operator* person) {
  world_->person = person;
}

void SimCad::addObserver(Observer* o) {
  world_->observers.push_back(o);
}

void SimCad::removeObserver(Observer* o) {
  std::erase(world_->observers, o);
}

std::string SimCad::documentName() const {
  return world_->active >= 0 ? world_->activeDoc().name : std::string();
}

std::string SimCad::documentPath() const {
  return world_->active >= 0 ? world_->activeDoc().path : std::string();
}

void SimCad::saveAs(const std::string& path) {
  writeDxf(path);
  DocState& d = world_->activeDoc();
  d.drawing.notKept.clear();
  d.path = path;
  d.name = utf8Path(filePath(path).filename());
  world_->markSaved(d);
  world_->changed();
}

bool SimCad::modified() {
  return world_->active >= 0 && world_->isModified(world_->activeDoc());
}

bool SimCad::mayDiscard() {
  if (world_->active < 0) return true;
  bool may = world_->mayDiscard(world_->activeDoc());
  world_->changed();
  return may;
}

void SimCad::newInPlace() {
  world_->replaceWithNew(world_->activeDoc());
  world_->changed();
}

void SimCad::openInPlace(const std::string& path) {
  world_->replaceWithRead(world_->activeDoc(), path, readDxfFile(path));
  world_->changed();
}

bool SimCad::save() {
  bool saved = world_->saveDocument(world_->activeDoc(), false);
  world_->changed();
  return saved;
}

void SimCad::activateDocument(int index) {
  if (index < 0 || index >= documentCount()) throw std::out_of_range("no such document");
  world_->active = index;
  world_->changed();
}

void SimCad::setNewDrawingDimscale(double dimscale) {
  world_->newDrawingDimscale = dimscale;
  if (world_->active < 0) return;
  DocState& d = world_->activeDoc();
  if (!d.path.empty() || world_->isModified(d)) return;
  d.drawing.variables["DIMSCALE"] = Value(dimscale);
  world_->markSaved(d);
  world_->changed();
}

void SimCad::setNewDrawingOsmode(int osmode) {
  world_->newDrawingOsmode = osmode;
  if (world_->active < 0) return;
  DocState& d = world_->activeDoc();
  if (!d.path.empty() || world_->isModified(d)) return;
  d.drawing.variables["OSMODE"] = Value::int16(osmode);
  world_->markSaved(d);
  world_->changed();
}

void SimCad::setDimscaleTyped(std::function<void(double)> tell) {
  world_->onDimscaleTyped = std::move(tell);
}

void SimCad::writeDxf(const std::string& path) const {
  writeFileAtomically(path, dxf());
}

}  // namespace qarn::cad::sim
