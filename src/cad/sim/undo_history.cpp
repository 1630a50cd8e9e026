// Undo steps as differences: found by walking the drawing beside its copy as of the last step
// (both kept in handle order, so the walk is linear), and taken back by swapping the two sides.
#include "cad/sim/undo_history.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>

namespace qarn::cad::sim {

namespace {

bool sameValue(const Value& a, const Value& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case Value::Kind::Double:
      return a.toDouble() == b.toDouble();
    case Value::Kind::Text:
      return a.toText() == b.toText();
    case Value::Kind::DoubleArray:
      return a.doubles() == b.doubles();
    case Value::Kind::Int16Array:
      return a.int16s() == b.int16s();
    case Value::Kind::ValueArray: {
      const auto &x = a.values(), &y = b.values();
      if (x.size() != y.size()) return false;
      for (std::size_t i = 0; i < x.size(); ++i)
        if (!sameValue(x[i], y[i])) return false;
      return true;
    }
    default:
      return a.describe() == b.describe();
  }
}

// The keys whose values differ between `base` and `now`, with the base's value (none when the key
// is new); `base` is brought up to `now` on the way.
template <class T, class Same>
void diffMap(std::map<std::string, T>& base, const std::map<std::string, T>& now, Same same,
             std::vector<std::pair<std::string, std::optional<T>>>& out) {
  auto b = base.begin();
  auto n = now.begin();
  while (b != base.end() || n != now.end()) {
    if (n == now.end() || (b != base.end() && b->first < n->first)) {
      out.emplace_back(b->first, std::move(b->second));
      b = base.erase(b);
    } else if (b == base.end() || n->first < b->first) {
      out.emplace_back(n->first, std::nullopt);
      base.emplace_hint(b, n->first, n->second);
      ++n;
    } else {
      if (!same(b->second, n->second)) {
        out.emplace_back(b->first, std::move(b->second));
        b->second = n->second;
      }
      ++b;
      ++n;
    }
  }
}

// Swaps each key's value in `d` (and in `base`, which agrees with it) with the one kept.
template <class T>
void swapKeys(std::vector<std::pair<std::string, std::optional<T>>>& kept,
              std::map<std::string, T>& d, std::map<std::string, T>& base) {
  for (auto& [key, other] : kept) {
    std::optional<T> cur;
    if (auto it = d.find(key); it != d.end()) cur = std::move(it->second);
    if (other) {
      d[key] = *other;
      base[key] = std::move(*other);
    } else {
      d.erase(key);
      base.erase(key);
    }
    other = std::move(cur);
  }
}

// The stretch between `prefix` and `suffix` exchanged with `middle`.
void swapStretch(std::vector<std::string>& list, std::size_t prefix, std::size_t suffix,
                 std::vector<std::string>& middle) {
  auto from = list.begin() + static_cast<std::ptrdiff_t>(prefix);
  auto to = list.end() - static_cast<std::ptrdiff_t>(suffix);
  std::vector<std::string> old(std::make_move_iterator(from), std::make_move_iterator(to));
  list.erase(from, to);
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(prefix),
              std::make_move_iterator(middle.begin()), std::make_move_iterator(middle.end()));
  middle = std::move(old);
}

bool sameHead(const Block& a, const Block& b) {
  return a.name == b.name && a.handle == b.handle && a.origin == b.origin &&
         a.isLayout == b.isLayout;
}

template <class T>
void diffTable(std::vector<T>& base, const std::vector<T>& now,
               std::optional<std::vector<T>>& out) {
  if (base == now) return;
  out = std::move(base);
  base = now;
}

template <class T>
void swapTable(std::optional<std::vector<T>>& kept, std::vector<T>& d, std::vector<T>& base) {
  if (!kept) return;
  std::swap(d, *kept);
  base = d;
}

// Calls `f` with each table's step, its state in the drawing and its state in the base, so that
// taking a step and taking it back name the same tables. The blocks are diffed on their own.
template <class D, class F>
void eachTable(UndoStep& s, D& d, Drawing& base, F f) {
  f(s.layers, d.layers, base.layers);
  f(s.linetypes, d.linetypes, base.linetypes);
  f(s.groups, d.groups, base.groups);
  f(s.notKept, d.notKept, base.notKept);
  f(s.classes, d.classes, base.classes);
  f(s.styles, d.styles, base.styles);
}

std::size_t sizeOf(const std::string& s) {
  return sizeof s + (s.size() > 15 ? s.size() : 0);
}

std::size_t sizeOf(const Entity& e) {
  std::size_t n =
      sizeof e + e.vertices.size() * sizeof(Vertex) + e.fields.size() * 48 + e.parts.size() * 96;
  for (const auto& a : e.attributes)
    n += sizeOf(a);
  return n + sizeOf(e.text) + sizeOf(e.tag) + sizeOf(e.prompt);
}

std::size_t sizeOf(const UndoStep& s) {
  std::size_t n = sizeof s;
  for (const auto& [h, e] : s.entities)
    n += sizeOf(h) + (e ? sizeOf(*e) : 0);
  n += s.variables.size() * 96;
  for (const auto& l : s.lists)
    n += sizeof l + l.middle.size() * sizeof(std::string);
  if (s.blocks)
    for (const auto& b : *s.blocks)
      n += sizeof b + b.entities.size() * sizeof(std::string);
  if (s.layers) n += s.layers->size() * sizeof(Layer);
  if (s.linetypes) n += s.linetypes->size() * sizeof(Linetype);
  if (s.groups)
    for (const auto& g : *s.groups)
      n += sizeof g + g.members.size() * sizeof(std::string);
  if (s.classes) n += s.classes->size() * 128;
  if (s.styles) n += s.styles->size() * 128;
  return n;
}

}  // namespace

bool UndoStep::empty() const {
  return entities.empty() && variables.empty() && lists.empty() && !blocks && !layers &&
         !linetypes && !groups && !notKept && !classes && !styles;
}

void UndoHistory::reset(const Drawing& d) {
  reset(std::make_shared<Drawing>(d));
}

void UndoHistory::reset(std::shared_ptr<Drawing> asOpened) {
  base_ = std::move(asOpened);
  undo_.clear();
  redo_.clear();
  bytes_ = 0;
}

Drawing& UndoHistory::base() {
  // Shared with the copy kept as the drawing was opened or saved until the first change.
  if (base_.use_count() > 1) base_ = std::make_shared<Drawing>(*base_);
  return *base_;
}

UndoStep UndoHistory::diff(const Drawing& d) {
  Drawing& old = base();
  UndoStep s;
  diffMap(old.entities, d.entities, std::equal_to<Entity>(), s.entities);
  diffMap(old.variables, d.variables, sameValue, s.variables);
  bool sameBlocks = old.blocks.size() == d.blocks.size();
  for (std::size_t i = 0; sameBlocks && i < d.blocks.size(); ++i)
    sameBlocks = sameHead(old.blocks[i], d.blocks[i]);
  if (!sameBlocks) {
    s.blocks = std::move(old.blocks);
    old.blocks = d.blocks;
  } else {
    for (std::size_t i = 0; i < d.blocks.size(); ++i) {
      auto& was = old.blocks[i].entities;
      const auto& now = d.blocks[i].entities;
      if (was == now) continue;
      std::size_t n = std::min(was.size(), now.size()), prefix = 0, suffix = 0;
      while (prefix < n && was[prefix] == now[prefix])
        ++prefix;
      while (suffix < n - prefix && was[was.size() - 1 - suffix] == now[now.size() - 1 - suffix])
        ++suffix;
      std::vector<std::string> middle(now.begin() + static_cast<std::ptrdiff_t>(prefix),
                                      now.end() - static_cast<std::ptrdiff_t>(suffix));
      swapStretch(was, prefix, suffix, middle);
      s.lists.push_back({i, prefix, suffix, std::move(middle)});
    }
  }
  eachTable(s, d, old, [](auto& step, const auto& now, auto& was) { diffTable(was, now, step); });
  return s;
}

void UndoHistory::apply(UndoStep& s, Drawing& d) {
  Drawing& old = base();
  swapKeys(s.entities, d.entities, old.entities);
  swapKeys(s.variables, d.variables, old.variables);
  for (auto& l : s.lists) {
    std::vector<std::string> middle = l.middle;
    swapStretch(d.blocks[l.block].entities, l.prefix, l.suffix, l.middle);
    swapStretch(old.blocks[l.block].entities, l.prefix, l.suffix, middle);
  }
  swapTable(s.blocks, d.blocks, old.blocks);
  eachTable(s, d, old, [](auto& step, auto& now, auto& was) { swapTable(step, now, was); });
}

void UndoHistory::push(UndoStep s, const std::string& name) {
  s.name = name;
  s.bytes = sizeOf(s);
  bytes_ += s.bytes;
  undo_.push_back(std::move(s));
  trim();
}

bool UndoHistory::commit(const Drawing& d, const std::string& name) {
  UndoStep s = diff(d);
  if (s.empty()) return false;
  redo_.clear();
  push(std::move(s), name);
  return true;
}

void UndoHistory::absorb(const Drawing& d, const std::string& name) {
  UndoStep s = diff(d);
  if (s.empty()) return;
  redo_.clear();
  // Settings put back after a group (the variables a command restores) stay taken in; entities
  // and blocks made or changed outside any group are a step, or U would pass over them and take
  // back the step before.
  if (s.entities.empty() && s.lists.empty() && !s.blocks) return;
  push(std::move(s), name);
}

std::optional<std::string> UndoHistory::undo(Drawing& d) {
  if (undo_.empty()) return std::nullopt;
  UndoStep s = std::move(undo_.back());
  undo_.pop_back();
  bytes_ -= s.bytes;
  apply(s, d);
  std::string name = s.name;
  redo_.push_back(std::move(s));
  return name;
}

std::optional<std::string> UndoHistory::redo(Drawing& d) {
  if (redo_.empty()) return std::nullopt;
  UndoStep s = std::move(redo_.back());
  redo_.pop_back();
  apply(s, d);
  std::string name = s.name;
  bytes_ += s.bytes;
  undo_.push_back(std::move(s));
  trim();
  return name;
}

void UndoHistory::trim() {
  while (undo_.size() > kKeptSteps && (undo_.size() > kMaxSteps || bytes_ > kByteBudget)) {
    bytes_ -= undo_.front().bytes;
    undo_.pop_front();
  }
}

}  // namespace qarn::cad::sim
