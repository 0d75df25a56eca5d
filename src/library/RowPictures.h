#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/VideoList.h"

namespace brevlo::library {

// The pictures of one list's rows, kept for the rows last shown in a fixed number of places of
// an image list; a row pushed out is read again when it is shown again. Places 0 and 1 hold the
// default thumbnail and a blank for a row whose picture is on its way.
class RowPictures {
 public:
  static constexpr int DefaultPlace = 0;
  static constexpr int BlankPlace = 1;

  explicit RowPictures(int places);
  int Places() const { return static_cast<int>(rowOf_.size()); }

  // A new fill: no row has a picture.
  void Clear();
  // The rows of the fill, as it lists them.
  void AddRow(const ListedVideo& video);
  int Rows() const { return static_cast<int>(rows_.size()); }
  const ListedVideo& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }

  // The place a row shows now: its picture's, else the default (for a row without a thumbnail
  // of its own, or one that has none to show) or the blank one. Counts as a use.
  int PlaceFor(int row);
  // Whether a row still wants its picture read or made.
  bool Wanted(int row) const;
  // The place for a row's new picture: its own if it has one, else a free one or the one used
  // longest ago, whose row loses it (told in evicted, else -1).
  int Take(int row, int* evicted = nullptr);
  // The row has no picture to show: it keeps the default one until the next fill.
  void SetNone(int row);
  // Every picture let go (their size changed); rows without one stay so.
  void Forget();

 private:
  enum : std::uint8_t { Unknown, Shown, None };
  std::vector<ListedVideo> rows_;
  std::vector<std::uint8_t> state_;
  std::vector<int> placeOf_;  // per row, -1: none
  std::vector<int> rowOf_;    // per place, -1: free
  std::vector<std::uint64_t> used_;
  std::uint64_t clock_ = 0;
};

}  // namespace brevlo::library
