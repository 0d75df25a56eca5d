#pragma once

#include <array>

#include "skin/SkinBitmap.h"
#include "skin/SkinReader.h"

namespace brevlo::skin {

// Pictures cut and turned once per skin load rather than on every paint.
class TskSkinRes {
 public:
  virtual ~TskSkinRes() = default;
  virtual void Reload() = 0;
  // The pictures are scaled to dpi as they are cut.
  void SetReader(const TskSkinReader* reader, int dpi = 96) {
    reader_ = reader;
    dpi_ = dpi;
    Reload();
  }

 protected:
  bool Usable() const { return reader_ != nullptr && reader_->Ready(); }
  const TskSkinReader* reader_ = nullptr;
  int dpi_ = 96;
};

// Scroll bar buttons (six frames, upright and turned counter-clockwise) and the thumb (upright
// and turned clockwise).
class TskSkinScrollBtnRes : public TskSkinRes {
 public:
  void Reload() override;
  // n from 1 to 6; any other n gives nullptr.
  const TskBitmap* Upright(int n) const;
  const TskBitmap* Turned(int n) const;
  const TskBitmap& UprightThumb() const { return uprightThumb_; }
  const TskBitmap& TurnedThumb() const { return turnedThumb_; }

 private:
  std::array<TskBitmap, 6> upright_;
  std::array<TskBitmap, 6> turned_;
  TskBitmap uprightThumb_;
  TskBitmap turnedThumb_;
};

// Tab pictures in four orientations: 0 as stored, 1 turned counter-clockwise, 2 half a turn,
// 3 turned clockwise.
class TskSkinTabRes : public TskSkinRes {
 public:
  enum Set { Bar = 0, OtherTab = 1, SelectedTab = 2 };
  void Reload() override;
  // Empty for an orientation outside 0..3.
  const TskBitmap& Get(Set set, int orientation) const;

 private:
  std::array<std::array<TskBitmap, 4>, 3> sets_;
};

}  // namespace brevlo::skin
