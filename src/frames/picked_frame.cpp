#include "frames/picked_frame.h"

#include "cad/text.h"

namespace qarn::frames {

std::optional<PickedFrame> pickFrame(cad::CadCommand& cmd, const std::string& prompt,
                                     const std::vector<std::string>& tags) {
  auto picked = cmd.pickEntity(prompt);
  if (!picked || picked->entity.entityName() != "AcDbBlockReference") return std::nullopt;
  cad::BlockReference ref(picked->entity);
  if (ref.name().rfind("TOVEK", 0) != 0 || !ref.hasAttributes()) return std::nullopt;
  PickedFrame f{ref, ref.insertionPoint(), std::vector<std::string>(tags.size())};
  std::size_t found = 0;
  std::vector<bool> seen(tags.size());
  for (const cad::Attribute& a : ref.getAttributes()) {
    std::string tag = cad::asciiUpper(a.tagString());
    for (std::size_t i = 0; i < tags.size(); ++i)
      if (!seen[i] && tag == tags[i]) {
        f.texts[i] = a.textString();
        seen[i] = true;
        ++found;
      }
    if (found == tags.size()) break;
  }
  return f;
}

double textScale(const cad::Document& doc) {
  double dimscale = doc.getVariable("DIMSCALE").toDouble();
  return dimscale > 0 ? dimscale : 1;
}

std::optional<std::string> layerRefusal(const cad::Document& doc, const std::string& layer,
                                        const std::string& what) {
  cad::Layer l(doc.layers().item(layer));
  const char* state = !l.layerOn() ? "オフになっている"
                      : l.freeze() ? "フリーズされている"
                      : l.lock()   ? "ロックされている"
                                   : nullptr;
  if (!state) return std::nullopt;
  return "画層「" + layer + "」が" + state + "ため、" + what +
         "を配置できません．画層の状態を戻してから、もう一度実行してください．";
}

}  // namespace qarn::frames
