#pragma once
// Making sure the layers and linetypes a command draws with exist in the drawing.
#include <functional>
#include <string>

#include "cad/facade.h"

namespace qarn::cad {

// An entity inside a symbol block takes the layer, linetype and colour of the reference that
// shows it: layer "0", linetype "BYBLOCK", colour 0.
void setByBlock(const Entity& e);

// A block made on first use: nothing when the drawing has a block of that name, in any case (it
// is used as it stands); otherwise the block is added at the origin and `draw` fills it. Should
// drawing it fail, the block is taken away again before the error goes on, so that no later
// command reuses a half-built block. True when the block was made now.
bool defineBlockOnce(const Document& doc, const std::string& name,
                     const std::function<void(const Block&)>& draw);

// The linetype file a CAD of this kind ships with.
std::string linetypeFileFor(const std::string& progId);

// Loads the linetype by the CAD's -LINETYPE command unless the drawing has it already.
void LoadLinetype(const Document& doc, const std::string& linetype, const std::string& progId);

// Creates the layer with the colour (and the linetype, loading it if need be) unless a layer of
// that name exists; an existing layer is never changed.
void EnsureLayer(const Document& doc, const std::string& name, int color,
                 const std::string& linetype, const std::string& progId);

}  // namespace qarn::cad
