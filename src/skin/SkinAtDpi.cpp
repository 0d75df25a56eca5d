#include "skin/SkinAtDpi.h"

#include "skin/SkinScale.h"

namespace brevlo::skin {

void SkinScaleCache::Reset(const TskSkinReader* reader, Pixel captionBackground) {
  reader_ = reader;
  captionBackground_ = captionBackground;
  sets_.clear();
}

const SkinAtDpi& SkinScaleCache::At(int dpi) const {
  if (dpi <= 0) dpi = SkinDesignDpi;
  std::unique_ptr<SkinAtDpi>& set = sets_[dpi];
  if (set == nullptr) {
    set = std::make_unique<SkinAtDpi>();
    if (reader_ != nullptr) {
      set->frame = LoadFrameAtDpi(*reader_, dpi);
      set->scrollSet.SetReader(reader_, dpi);
      set->tabSet.SetReader(reader_, dpi);
    }
    set->frame.dpi = dpi;
    set->frame.art.caption.background = captionBackground_;
  }
  return *set;
}

}  // namespace brevlo::skin
