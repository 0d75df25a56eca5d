// Pictures of real videos made by ffmpeg at build time, and the worker that makes them for the
// lists.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "media/PictureWorker.h"
#include "media/VideoPicture.h"
#include "support/JpegWriter.h"

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

// Counts its calls; each file's picture is a JPEG of the colour its name says, so a mix-up shows.
// A name starting with "fail" has no picture the first time; "hold" waits until it is told to
// stop, as a slow read would.
class ColourPictures : public media::IVideoPictures {
 public:
  std::vector<std::uint8_t> ThumbnailOf(const std::string& path,
                                        const media::StopAsked& stop) override {
    const int call = ++calls;
    while (hold) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (path.starts_with("hold")) {
      while (!(stop && stop())) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      ++gaveUp;
      return {};
    }
    if (path.starts_with("fail") && call == 1) return {};
    const bool red = path.find("red") != std::string::npos;
    return testing::MakeJpeg(160, 120, red ? 255 : 0, red ? 0 : 255, 0);
  }
  std::atomic<int> calls{0};
  std::atomic<int> gaveUp{0};
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

media::PictureJob Job(int row, const std::string& path, unsigned generation = 1) {
  media::PictureJob job{0, generation, row, {path, 10, 20}};
  job.frame = true;
  return job;
}

bool Red(const media::PictureDone& d) {
  if (d.pixels.width != 80) return false;
  const Rgb c = At(d.pixels, 40, 30);  // a gradient: 191 in the middle
  return c.r > 150 && c.g < 60;
}

TEST(PictureWorker, MakesEachPictureOnceAndDropsWorkThatNoLongerMatters) {
  ColourPictures maker;
  std::atomic<int> posted{0};
  media::PictureWorker worker(&maker, [&] { ++posted; });
  maker.hold = true;
  worker.Submit(0, {Job(0, "a-red"), Job(1, "b"), Job(2, "c")});
  while (maker.calls == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // A refill of the same list while "a" is being made: b and c are no longer wanted.
  worker.Submit(0, {Job(0, "d", 2)});
  maker.hold = false;
  auto done = WaitFor(worker, 2);
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[0].source, media::PictureSource::Frame);
  EXPECT_TRUE(Red(done[0]));
  EXPECT_EQ(done[1].job.generation, 2u);
  EXPECT_FALSE(Red(done[1]));
  EXPECT_EQ(maker.calls, 2);
  EXPECT_GE(posted, 2);

  // Known pictures are not made again, the same file with another time is, and a transfer
  // asking for a known file reads nothing.
  worker.Submit(1, {Job(5, "a-red"), media::PictureJob{1, 3, 6, {"a-red", 10, 21}, "", true}});
  done = WaitFor(worker, 2);
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[0].job.list, 1);
  EXPECT_TRUE(Red(done[0]) && Red(done[1]));
  EXPECT_EQ(maker.calls, 3);
  EXPECT_FALSE(worker.PictureOf({"d", 10, 20})->empty());
  EXPECT_EQ(maker.calls, 3);
  EXPECT_EQ(worker.Pending(), 0u);
}

// The row's own thumbnail comes first; one that is no JPEG is reported and the video's picture
// shown instead, or the default when pictures of videos are off.
TEST(PictureWorker, ReadsThumbnailsAndFallsBackToTheVideosPicture) {
  const std::string folder = ::testing::TempDir();
  const std::string good = folder + "brevlo-worker-good.THM";
  const std::string broken = folder + "brevlo-worker-broken.THM";
  testing::WriteBytes(good, testing::MakeJpeg(160, 120, 255, 0, 0));
  testing::WriteBytes(broken, std::vector<std::uint8_t>(300, 'x'));
  ColourPictures maker;
  for (const bool frames : {true, false}) {
    SCOPED_TRACE(frames);
    media::PictureWorker worker(frames ? &maker : nullptr, {});
    std::vector<media::PictureJob> jobs = {Job(0, "v0"), Job(1, "v1"), Job(2, "v2")};
    jobs[0].thumbnail = good;
    jobs[1].thumbnail = broken;
    jobs[2].thumbnail = folder + "brevlo-worker-missing.THM";
    worker.Submit(0, jobs);
    const auto done = WaitFor(worker, 3);
    ASSERT_EQ(done.size(), 3u);
    EXPECT_EQ(done[0].source, media::PictureSource::Thumbnail);
    EXPECT_TRUE(Red(done[0]));
    EXPECT_NE(done[1].jpegError, 0);
    const auto fallback = frames ? media::PictureSource::Frame : media::PictureSource::None;
    EXPECT_EQ(done[1].source, fallback);
    EXPECT_EQ(done[2].source, fallback);
    EXPECT_EQ(done[2].jpegError, 0);  // a file that cannot be read is no decoder's error
  }
  std::remove(good.c_str());
  std::remove(broken.c_str());
}

// A failure (a read error of the moment) is no lasting answer: the next time the picture is
// asked for, it is made again, in a list as for "Make Thumbnails".
TEST(PictureWorker, AFailedPictureIsTriedAgainWhenNextAskedFor) {
  ColourPictures rows;
  media::PictureWorker worker(&rows, {});
  worker.Submit(0, {Job(0, "fail-red")});
  auto done = WaitFor(worker, 1);
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].source, media::PictureSource::None);
  worker.Submit(0, {Job(0, "fail-red", 2)});
  done = WaitFor(worker, 1);
  ASSERT_EQ(done.size(), 1u);
  EXPECT_TRUE(Red(done[0]));

  ColourPictures single;
  media::PictureWorker other(&single, {});
  EXPECT_TRUE(other.PictureOf({"fail-red", 1, 2})->empty());
  EXPECT_FALSE(other.PictureOf({"fail-red", 1, 2})->empty());
  EXPECT_EQ(single.calls, 2);
}

// Pause returns once the picture in hand was given up; nothing is made until Resume, then the
// rows asked for meanwhile are.
TEST(PictureWorker, PauseGivesUpThePictureInHandAndWaitsForResume) {
  ColourPictures maker;
  std::atomic<int> posted{0};
  media::PictureWorker worker(&maker, [&] { ++posted; });
  worker.Submit(0, {Job(0, "hold"), Job(1, "b")});
  while (maker.calls == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  worker.Pause();
  EXPECT_EQ(maker.gaveUp, 1);
  EXPECT_EQ(worker.Pending(), 0u);  // "b" was dropped
  worker.Submit(0, {Job(2, "c-red")});
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(maker.calls, 1);
  EXPECT_TRUE(worker.TakeDone().empty());
  worker.Resume();
  const auto done = WaitFor(worker, 1);
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].job.row, 2);
  EXPECT_TRUE(Red(done[0]));
}

}  // namespace
}  // namespace brevlo
