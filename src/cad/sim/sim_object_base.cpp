#include "cad/sim/sim_object_base.h"

namespace qarn::cad::sim {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

Value point(Point3 p) {
  return Value(std::vector<double>{p.x, p.y, p.z});
}

void readOnly(std::string_view member) {
  throw AutomationError(status::kMemberNotFound, "Property is read-only: " + std::string(member));
}

Value objectArray(const std::shared_ptr<World>& w, int doc,
                  const std::vector<std::string>& handles) {
  std::vector<Value> out;
  for (const auto& h : handles)
    out.emplace_back(entityObject(w, doc, h));
  return Value(std::move(out));
}

}  // namespace qarn::cad::sim
