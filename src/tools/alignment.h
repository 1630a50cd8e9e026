#pragma once
// Block alignment: picked block references lined up in a row or a column, optionally respaced by
// their insertion points, or laid out in a row by their outlines with a fixed gap; and the grid
// layout handed to a script in the CAD. A mounting-hole reference picked with the blocks is never
// one of them: it goes with the block whose insertion point it sits on.
#include <string>

#include "cad/command.h"

namespace qarn::tools {

inline const char* const kReferenceBlockPrompt = "基準ブロックを選択 : ";
inline const char* const kReferencePointPrompt = "基準座標を指示 : ";
inline const char* const kGapPrompt = "スペースを入力 <Enter = 密着> : ";

enum class AlignAxis { Horizontal, Vertical };
enum class AlignReference { Block, Centre };  // a picked block, or a picked point

struct AlignResult {
  enum class Status { NotRunning, TooFew, NoReference, Cancelled, Aligned };
  Status status = Status::NotRunning;
  int moved = 0;
};

// The spacing prompt with the current average to three decimals.
std::string spacingPrompt(double average);

// "１列水平揃え" and its three siblings: the blocks brought onto the reference's line, in order
// (left to right, or top to bottom), and spaced d apart when the user gives a spacing.
AlignResult Button11Click(cad::Session& session, AlignAxis axis, AlignReference reference);

// "水１列平スペース揃え": the blocks in a row at the reference block's y, their outlines g apart,
// the reference block keeping its place.
AlignResult Button7Click(cad::Session& session);

// "複数列を格子状に整列 (LSP)": the grid layout script loaded from `folder` (the executable's, with
// its trailing separator) when there, then started. A message when nothing could be sent.
std::string Button21Click(cad::Session& session, const std::string& folder);

}  // namespace qarn::tools
