// Pictures of real videos made by ffmpeg at build time, and the worker that makes them for the
// lists.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "media/PictureWorker.h"
#include "media/VideoPicture.h"

namespace brevlo {
namespace {

const std::string Videos = BREVLO_TEST_VIDEOS "/";

struct Rgb {
  int r, g, b;
};

Rgb At(const platform::Thumbnail& t, int x, int y) {
  const std::uint8_t* p = t.bgr.data() + (static_cast<std::size_t>(y) * t.width + x) * 3;
  return {p[2], p[1], p[0]};
}

bool Near(Rgb a, Rgb b) {
  return std::abs(a.r - b.r) < 40 && std::abs(a.g - b.g) < 40 && std::abs(a.b - b.b) < 40;
}

constexpr Rgb Black{0, 0, 0};

TEST(VideoPicture, EachVideoShowsItselfWithItsShapeKeptOrNone) {
  struct Case {
    const char* file;
    std::optional<Rgb> colour;  // none: no picture
    int barTop;                 // rows of black above the picture
    int barLeft;                // columns of black left of it
  };
  const Case cases[] = {
      {"picture-16x9-red.mp4", Rgb{255, 0, 0}, 15, 0},  // 160 x 90 in the middle
      {"picture-4x3-lime.mp4", Rgb{0, 255, 0}, 0, 0},
      {"picture-mpeg4-blue.avi", Rgb{0, 0, 255}, 0, 0},
      {"picture-portrait-cyan.mp4", Rgb{0, 255, 255}, 0, 46},      // turned: 68 x 120
      {"picture-black-start-yellow.mp4", Rgb{255, 255, 0}, 0, 0},  // a later point than 10 %
      {"mpeg4-320x240.mp4", std::nullopt, 0, 0},  // a one-second clip: its first frame
      {"picture-audio-only.mp4", std::nullopt, 0, 0},
      {"picture-damaged.mp4", std::nullopt, 0, 0},
      {"picture-not-a-video.mp4", std::nullopt, 0, 0},
      {"no-such-file.mp4", std::nullopt, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const auto picture = media::PictureOfVideo(Videos + c.file);
    const bool shortClip = std::string(c.file) == "mpeg4-320x240.mp4";
    if (!c.colour && !shortClip) {
      EXPECT_FALSE(picture);
      continue;
    }
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->width, media::PictureWidth);
    ASSERT_EQ(picture->height, media::PictureHeight);
    if (shortClip) continue;
    EXPECT_TRUE(Near(At(*picture, 80, 60), *c.colour));
    if (c.barTop > 0) {
      EXPECT_TRUE(Near(At(*picture, 80, c.barTop - 3), Black));
      EXPECT_TRUE(Near(At(*picture, 80, c.barTop + 3), *c.colour));
      EXPECT_TRUE(Near(At(*picture, 80, media::PictureHeight - c.barTop + 3), Black));
    }
    if (c.barLeft > 0) {
      EXPECT_TRUE(Near(At(*picture, c.barLeft - 3, 60), Black));
      EXPECT_TRUE(Near(At(*picture, c.barLeft + 3, 60), *c.colour));
      EXPECT_TRUE(Near(At(*picture, media::PictureWidth - c.barLeft + 3, 60), Black));
    }
  }
}

TEST(VideoPicture, ThumbnailIsABaselineJpegOfThePicture) {
  media::VideoPictures pictures;
  const auto jpeg = pictures.ThumbnailOf(Videos + "picture-16x9-red.mp4");
  ASSERT_GT(jpeg.size(), 4u);
  bool baseline = false, progressive = false;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    baseline |= jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0;
    progressive |= jpeg[i] == 0xFF && jpeg[i + 1] == 0xC2;
  }
  EXPECT_TRUE(baseline);
  EXPECT_FALSE(progressive);
  platform::Thumbnail back(media::PictureWidth, media::PictureHeight);
  ASSERT_TRUE(platform::DecodeJpegThumbnail(jpeg.data(), jpeg.size(), back).ok);
  EXPECT_TRUE(Near(At(back, 80, 60), Rgb{255, 0, 0}));
  EXPECT_TRUE(Near(At(back, 80, 4), Black));
  EXPECT_TRUE(pictures.ThumbnailOf(Videos + "picture-not-a-video.mp4").empty());
}

// Counts its calls; each file's "picture" is its name, so a mix-up shows.
class NamedPictures : public media::IVideoPictures {
 public:
  std::vector<std::uint8_t> ThumbnailOf(const std::string& path, const media::StopAsked&) override {
    ++calls;
    while (hold) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return std::vector<std::uint8_t>(path.begin(), path.end());
  }
  std::atomic<int> calls{0};
  std::atomic<bool> hold{false};
};

std::vector<media::PictureDone> WaitFor(media::PictureWorker& worker, std::size_t count) {
  std::vector<media::PictureDone> all;
  for (int i = 0; i < 5000 && all.size() < count; ++i) {
    for (auto& d : worker.TakeDone()) all.push_back(std::move(d));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return all;
}

TEST(PictureWorker, MakesEachPictureOnceAndDropsWorkThatNoLongerMatters) {
  NamedPictures maker;
  std::atomic<int> posted{0};
  media::PictureWorker worker(maker, [&] { ++posted; });
  auto job = [](int row, const char* path) { return media::PictureJob{0, 1, row, {path, 10, 20}}; };
  maker.hold = true;
  EXPECT_TRUE(worker.Submit(0, {job(0, "a"), job(1, "b"), job(2, "c")}).empty());
  while (maker.calls == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // A refill of the same list while "a" is being made: b and c are no longer wanted.
  std::vector<media::PictureJob> refill{job(0, "d")};
  refill[0].generation = 2;
  worker.Submit(0, refill);
  maker.hold = false;
  auto done = WaitFor(worker, 2);
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(std::string(done[0].picture->begin(), done[0].picture->end()), "a");
  EXPECT_EQ(done[1].job.generation, 2u);
  EXPECT_EQ(std::string(done[1].picture->begin(), done[1].picture->end()), "d");
  EXPECT_EQ(maker.calls, 2);
  EXPECT_GE(posted, 2);

  // Known pictures are answered at once, the same file with another time is made again, and a
  // transfer asking for a known file reads nothing.
  auto again = worker.Submit(1, {job(5, "a"), media::PictureJob{1, 3, 6, {"a", 10, 21}}});
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].job.list, 1);
  EXPECT_EQ(again[0].job.row, 5);
  EXPECT_EQ(WaitFor(worker, 1).size(), 1u);
  EXPECT_EQ(maker.calls, 3);
  EXPECT_EQ(*worker.PictureOf({"d", 10, 20}), std::vector<std::uint8_t>({'d'}));
  EXPECT_EQ(maker.calls, 3);
  EXPECT_EQ(worker.Pending(), 0u);
}

}  // namespace
}  // namespace brevlo
