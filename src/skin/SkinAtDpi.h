#pragma once

#include <map>
#include <memory>

#include "skin/SkinFrame.h"
#include "skin/SkinReader.h"
#include "skin/SkinRes.h"

namespace brevlo::skin {

// What the frames and the painted scroll bars and tabs draw from, at one scale.
struct SkinAtDpi {
  FrameAtDpi frame;
  TskSkinScrollBtnRes scrollSet;
  TskSkinTabRes tabSet;
};

// One set per scale in use, made when first asked for: a program on one screen never scales
// anything, and a window moved to another screen finds its pictures ready on its next paint.
class SkinScaleCache {
 public:
  // The caption background is the form's colour, which the reader alone cannot tell.
  void Reset(const TskSkinReader* reader, Pixel captionBackground);
  // A reference valid until the next Reset. A dpi of 0 or less is taken as 96.
  const SkinAtDpi& At(int dpi) const;
  std::size_t Size() const { return sets_.size(); }

 private:
  const TskSkinReader* reader_ = nullptr;
  Pixel captionBackground_ = 0;
  mutable std::map<int, std::unique_ptr<SkinAtDpi>> sets_;
};

}  // namespace brevlo::skin
