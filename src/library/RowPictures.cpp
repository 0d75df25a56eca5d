#include "library/RowPictures.h"

#include <algorithm>

namespace brevlo::library {

RowPictures::RowPictures(int places)
    : rowOf_(static_cast<std::size_t>(std::max(places, BlankPlace + 2)), -1),
      used_(rowOf_.size(), 0) {}

void RowPictures::Clear() {
  rows_.clear();
  state_.clear();
  placeOf_.clear();
  std::fill(rowOf_.begin(), rowOf_.end(), -1);
  std::fill(used_.begin(), used_.end(), 0);
}

void RowPictures::AddRow(const ListedVideo& video) {
  rows_.push_back(video);
  state_.push_back(Unknown);
  placeOf_.push_back(-1);
}

int RowPictures::PlaceFor(int row) {
  if (row < 0 || row >= Rows()) return BlankPlace;
  const auto r = static_cast<std::size_t>(row);
  if (placeOf_[r] >= 0) {
    used_[static_cast<std::size_t>(placeOf_[r])] = ++clock_;
    return placeOf_[r];
  }
  return state_[r] == None || rows_[r].thumbnail.empty() ? DefaultPlace : BlankPlace;
}

bool RowPictures::Wanted(int row) const {
  if (row < 0 || row >= Rows()) return false;
  const auto r = static_cast<std::size_t>(row);
  return placeOf_[r] < 0 && state_[r] != None;
}

int RowPictures::Take(int row, int* evicted) {
  if (evicted != nullptr) *evicted = -1;
  const auto r = static_cast<std::size_t>(row);
  int place = placeOf_[r];
  if (place < 0) {
    place = BlankPlace + 1;
    for (int p = BlankPlace + 1; p < Places(); ++p) {
      const auto i = static_cast<std::size_t>(p);
      if (rowOf_[i] < 0) {
        place = p;
        break;
      }
      if (used_[i] < used_[static_cast<std::size_t>(place)]) place = p;
    }
    const auto p = static_cast<std::size_t>(place);
    if (rowOf_[p] >= 0) {
      const auto old = static_cast<std::size_t>(rowOf_[p]);
      placeOf_[old] = -1;
      state_[old] = Unknown;
      if (evicted != nullptr) *evicted = rowOf_[p];
    }
    rowOf_[p] = row;
    placeOf_[r] = place;
  }
  state_[r] = Shown;
  used_[static_cast<std::size_t>(place)] = ++clock_;
  return place;
}

void RowPictures::SetNone(int row) {
  if (row < 0 || row >= Rows()) return;
  state_[static_cast<std::size_t>(row)] = None;
}

void RowPictures::Forget() {
  for (int& place : placeOf_) place = -1;
  std::fill(rowOf_.begin(), rowOf_.end(), -1);
  for (auto& s : state_) {
    if (s == Shown) s = Unknown;
  }
}

}  // namespace brevlo::library
