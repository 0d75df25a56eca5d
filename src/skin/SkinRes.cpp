#include "skin/SkinRes.h"

namespace brevlo::skin {

void TskSkinScrollBtnRes::Reload() {
  upright_ = {};
  turned_ = {};
  uprightThumb_.Clear();
  turnedThumb_.Clear();
  if (!Usable()) return;
  for (int n = 1; n <= 6; ++n) {
    TskBitmap& up = upright_[static_cast<std::size_t>(n - 1)];
    reader_->GetImageFrame("ScrollBarButtonImage", up, 6, n);
    TskBitmap& turned = turned_[static_cast<std::size_t>(n - 1)];
    turned = up;
    RotateLeft(turned);
  }
  reader_->GetImage("ScrollBarSliderImage", uprightThumb_);
  turnedThumb_ = uprightThumb_;
  RotateRight(turnedThumb_);
}

const TskBitmap* TskSkinScrollBtnRes::Upright(int n) const {
  return n >= 1 && n <= 6 ? &upright_[static_cast<std::size_t>(n - 1)] : nullptr;
}

const TskBitmap* TskSkinScrollBtnRes::Turned(int n) const {
  return n >= 1 && n <= 6 ? &turned_[static_cast<std::size_t>(n - 1)] : nullptr;
}

void TskSkinTabRes::Reload() {
  sets_ = {};
  if (!Usable()) return;
  TskBitmap stored[3];
  reader_->GetImage("TabControlBarImage", stored[Bar]);
  reader_->GetImageFrame("TabControlTabImage", stored[OtherTab], 2, 2);
  reader_->GetImageFrame("TabControlTabImage", stored[SelectedTab], 2, 1);
  for (std::size_t s = 0; s < 3; ++s) {
    auto& turns = sets_[s];
    for (auto& t : turns) t = stored[s];
    RotateLeft(turns[1]);
    RotateHalf(turns[2]);
    RotateRight(turns[3]);
  }
}

const TskBitmap& TskSkinTabRes::Get(Set set, int orientation) const {
  static const TskBitmap none;
  if (orientation < 0 || orientation > 3 || set < Bar || set > SelectedTab) return none;
  return sets_[static_cast<std::size_t>(set)][static_cast<std::size_t>(orientation)];
}

}  // namespace brevlo::skin
