#include "skin/SkinRes.h"

#include "skin/SkinScale.h"

namespace brevlo::skin {

void TskSkinScrollBtnRes::Reload() {
  upright_ = {};
  turned_ = {};
  uprightThumb_.Clear();
  turnedThumb_.Clear();
  if (!Usable()) return;
  for (int n = 1; n <= 6; ++n) {
    TskBitmap& up = upright_[static_cast<std::size_t>(n - 1)];
    GetScaledImageFrame(*reader_, "ScrollBarButtonImage", up, 6, n, dpi_);
    TskBitmap& turned = turned_[static_cast<std::size_t>(n - 1)];
    turned = up;
    RotateLeft(turned);
  }
  GetScaledImage(*reader_, "ScrollBarSliderImage", uprightThumb_, dpi_);
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
  GetScaledImage(*reader_, "TabControlBarImage", stored[Bar], dpi_);
  GetScaledImageFrame(*reader_, "TabControlTabImage", stored[OtherTab], 2, 2, dpi_);
  GetScaledImageFrame(*reader_, "TabControlTabImage", stored[SelectedTab], 2, 1, dpi_);
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
