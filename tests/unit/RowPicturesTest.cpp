// The places of a list's pictures: each row's own, the longest unused given to new rows, and the
// fixed default and blank for rows without one.
#include "library/RowPictures.h"

#include <gtest/gtest.h>

#include <set>

namespace brevlo::library {
namespace {

ListedVideo Video(int i, bool thumbnail) {
  return {"v" + std::to_string(i) + ".mp4", 1, 2,
          thumbnail ? "v" + std::to_string(i) + ".THM" : ""};
}

TEST(RowPictures, RowsKeepTheirPlacesUntilTheLongestUnusedIsTakenForAnother) {
  RowPictures pictures(5);  // the two fixed places and three for rows
  for (int i = 0; i < 6; ++i) pictures.AddRow(Video(i, i != 4));
  EXPECT_EQ(pictures.PlaceFor(0), RowPictures::BlankPlace);    // on its way
  EXPECT_EQ(pictures.PlaceFor(4), RowPictures::DefaultPlace);  // no thumbnail of its own
  EXPECT_EQ(pictures.PlaceFor(99), RowPictures::BlankPlace);
  const int p0 = pictures.Take(0), p1 = pictures.Take(1), p2 = pictures.Take(2);
  EXPECT_EQ(std::set<int>({p0, p1, p2}), std::set<int>({2, 3, 4}));
  EXPECT_EQ(pictures.Take(1), p1);  // again: the same place
  EXPECT_FALSE(pictures.Wanted(1));
  pictures.PlaceFor(0);  // drawn: row 2 is now the longest unused
  int evicted = -1;
  EXPECT_EQ(pictures.Take(3, &evicted), p2);
  EXPECT_EQ(evicted, 2);
  EXPECT_TRUE(pictures.Wanted(2));
  EXPECT_EQ(pictures.PlaceFor(2), RowPictures::BlankPlace);
  EXPECT_EQ(pictures.PlaceFor(0), p0);
  // A row with nothing to show keeps the default until the next fill.
  pictures.SetNone(5);
  EXPECT_FALSE(pictures.Wanted(5));
  EXPECT_EQ(pictures.PlaceFor(5), RowPictures::DefaultPlace);
  // Pictures let go (another size): wanted again, all but the one with none.
  pictures.Forget();
  EXPECT_TRUE(pictures.Wanted(0) && pictures.Wanted(3));
  EXPECT_FALSE(pictures.Wanted(5));
  pictures.Clear();
  EXPECT_EQ(pictures.Rows(), 0);
  EXPECT_FALSE(pictures.Wanted(0));
}

}  // namespace
}  // namespace brevlo::library
