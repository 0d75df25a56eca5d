// Thumbnails that are not what they claim to be: another format, a size far beyond a
// thumbnail's, a picture that would need hundreds of megabytes. Each ends with the files as they
// were and a row with a picture.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <thread>

#include "library/VideoList.h"
#include "media/PictureWorker.h"
#include "platform/JpegDecoder.h"
#include "platform/portable/PortablePlatform.h"
#include "support/JpegWriter.h"

extern "C" {
#include <jpeglib.h>

#include <jerror.h>
}

using namespace brevlo;
using namespace brevlo::platform;
namespace fs = std::filesystem;

namespace {

// A 1 x 1 PNG, as a camera or a converter might leave under a ".THM" name.
const std::vector<std::uint8_t> PngBytes = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
    0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78,
    0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01, 0x0D, 0x0A, 0x2D, 0xB4, 0x00,
    0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

// A full image of the 10,000 x 10,000 pictures below, at 3 bytes a pixel.
constexpr std::size_t HugeSide = 10000;
constexpr std::size_t FullImageBytes = HugeSide * HugeSide * 3;
// What a 1/8 decode may cost on top of the file itself: its 1250 x 1250 picture and the
// decoder's row buffers, with room to spare, yet far below the full image.
constexpr std::size_t ReducedDecodeBudget = 48u * 1024 * 1024;

// A real baseline JPEG of the given size made row by row, so the test never holds the image.
std::vector<std::uint8_t> StreamedJpeg(int width, int height) {
  // Green at the left, blue at the right: a decode that drops or mirrors columns shows.
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  for (int x = 0; x < width; ++x) {
    row[static_cast<std::size_t>(x) * 3 + 1] = x < width / 2 ? 220 : 0;
    row[static_cast<std::size_t>(x) * 3 + 2] = x < width / 2 ? 0 : 220;
  }
  return brevlo::testing::CompressJpeg(width, height, brevlo::testing::JpegLayout::Rgb, 50, false,
                                       [&](int) { return row.data(); });
}

// A small JPEG whose frame header claims another size. The data that follows is far too short
// for that size, which the decoder fills in; what counts is what it sets aside for it.
std::vector<std::uint8_t> WithClaimedSize(std::vector<std::uint8_t> jpeg, unsigned width,
                                          unsigned height) {
  for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height & 0xFF);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width & 0xFF);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no frame header";
  return jpeg;
}

// The JPEG without its segments of one marker kind (0xDB: its quantisation tables).
std::vector<std::uint8_t> WithoutSegments(const std::vector<std::uint8_t>& jpeg,
                                          std::uint8_t marker) {
  std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
  std::size_t i = 2;
  while (i + 4 <= jpeg.size()) {
    const std::size_t length = static_cast<std::size_t>(jpeg[i + 2] << 8 | jpeg[i + 3]);
    if (jpeg[i + 1] == 0xDA) {
      out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(i), jpeg.end());
      break;
    }
    if (jpeg[i + 1] != marker) {
      out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(i),
                 jpeg.begin() + static_cast<std::ptrdiff_t>(i + 2 + length));
    }
    i += 2 + length;
  }
  return out;
}

std::size_t PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
  }
  return 0;
}

struct MeasuredDecode {
  bool ran = false;
  JpegResult result;
  std::size_t growth = 0;  // how far the peak resident size rose during the decode
  Thumbnail thumbnail;
};

// Decodes in a child process, so that the peak it reaches is its own and a decoder that asks
// for gigabytes takes down only the child. The answer comes back through a pipe, as bytes.
MeasuredDecode DecodeMeasured(const std::vector<std::uint8_t>& jpeg) {
  struct Piped {
    bool ran = false;
    JpegResult result;
    std::size_t growth = 0;
    std::array<std::uint8_t, ThumbnailWidth * ThumbnailHeight * 3> bgr{};
  };
  MeasuredDecode measured;
  int channel[2];
  if (pipe(channel) != 0) return measured;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    Piped m;
    Thumbnail thumbnail;
    const std::size_t before = PeakResidentBytes();
    m.result = DecodeJpegThumbnail(jpeg.data(), jpeg.size(), thumbnail);
    m.growth = PeakResidentBytes() - before;
    m.ran = true;
    std::copy(thumbnail.bgr.begin(), thumbnail.bgr.end(), m.bgr.begin());
    const ssize_t written = write(channel[1], &m, sizeof m);
    _exit(written == static_cast<ssize_t>(sizeof m) ? 0 : 1);
  }
  close(channel[1]);
  if (child > 0) {
    Piped piped;
    std::size_t got = 0;
    auto* bytes = reinterpret_cast<char*>(&piped);
    for (ssize_t n;
         got < sizeof piped && (n = read(channel[0], bytes + got, sizeof piped - got)) > 0;) {
      got += static_cast<std::size_t>(n);
    }
    int status = 0;
    waitpid(child, &status, 0);
    measured.ran = got == sizeof piped && piped.ran;
    measured.result = piped.result;
    measured.growth = piped.growth;
    std::copy(piped.bgr.begin(), piped.bgr.end(), measured.thumbnail.bgr.begin());
  }
  close(channel[0]);
  return measured;
}

std::array<int, 3> Pixel(const Thumbnail& t, int x, int y) {
  const auto* p = t.bgr.data() + (y * ThumbnailWidth + x) * 3;
  return {p[2], p[1], p[0]};
}

// Every file under a folder with its contents, to show that nothing was touched.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    files[fs::relative(e.path(), root).string()] =
        std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

class Sink : public library::IVideoListSink {
 public:
  struct Row {
    library::ListedVideo video;
    std::string size;
    Thumbnail thumb;  // as shown, once read
  };
  std::vector<Row> rows;
  void Clear() override { rows.clear(); }
  void AddVideo(const library::ListedVideo& video, const std::string& size) override {
    rows.push_back({video, size, {}});
  }
};

// What a fill's rows show once their thumbnails are read, and the first decoder error met.
struct Shown {
  int jpegError = 0;
};

class FaultThumbnails : public ::testing::Test {
 protected:
  FaultThumbnails() {
    std::random_device random;
    do {
      root = fs::temp_directory_path() / ("brevlo-fault-thm-" + std::to_string(random()));
    } while (!fs::create_directory(root));
    fs::create_directories(root / "app");
    fs::create_directories(root / "videos");
    brevlo::testing::WriteBytes((root / "app" / "DefaultPreview.THM").string(),
                                brevlo::testing::MakeJpeg(80, 60, 0, 0, 255));
  }
  ~FaultThumbnails() override { fs::remove_all(root); }

  void Put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    brevlo::testing::WriteBytes((root / "videos" / name).string(), bytes);
  }
  // The fill, then every row's thumbnail read as the list reads those it shows.
  Shown Fill() {
    library::FillEnvironment env{files, locale, pump, (root / "app").string() + "/", nullptr};
    library::FillVideoList((root / "videos").string(), sink, env);
    media::PictureWorker worker(nullptr, {});
    std::vector<media::PictureJob> jobs;
    for (std::size_t i = 0; i < sink.rows.size(); ++i) {
      media::PictureJob job{0, 1, static_cast<int>(i), {}};
      if (!sink.rows[i].video.thumbnail.empty()) {
        job.thumbnail = (root / "videos" / sink.rows[i].video.thumbnail).string();
      }
      jobs.push_back(job);
    }
    worker.Submit(0, jobs);
    std::vector<media::PictureDone> done;
    for (int wait = 0; wait < 10000 && done.size() < jobs.size(); ++wait) {
      for (auto& d : worker.TakeDone()) done.push_back(std::move(d));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Shown shown;
    Thumbnail standIn;
    std::vector<std::uint8_t> bytes;
    files.ReadFile((root / "app" / "DefaultPreview.THM").string(), bytes, MaxJpegBytes);
    DecodeJpegThumbnail(bytes.data(), bytes.size(), standIn);
    for (auto& d : done) {
      if (shown.jpegError == 0) shown.jpegError = d.jpegError;
      sink.rows[static_cast<std::size_t>(d.job.row)].thumb =
          d.source == media::PictureSource::Thumbnail ? d.pixels : standIn;
    }
    return shown;
  }

  fs::path root;
  StdFileSystem files;
  PlainLocale locale;
  CallbackPump pump;
  Sink sink;
};

}  // namespace

TEST_F(FaultThumbnails, PngUnderAThumbnailNameShowsTheDefaultAndStaysAsItWas) {
  Thumbnail t;
  const JpegResult direct = DecodeJpegThumbnail(PngBytes.data(), PngBytes.size(), t);
  EXPECT_FALSE(direct.ok);
  EXPECT_EQ(direct.errorCode, JERR_NO_SOI);

  Put("clip.mp4", std::vector<std::uint8_t>(1000, 'v'));
  Put("clip.THM", PngBytes);
  Put("next.mp4", std::vector<std::uint8_t>(10, 'v'));
  Put("next.THM", brevlo::testing::MakeJpeg(160, 120, 255, 0, 0));
  const auto before = Snapshot(root);
  const Shown report = Fill();
  EXPECT_EQ(Snapshot(root), before);
  // The rows go on past the bad thumbnail; the error is kept for the one box it shows.
  ASSERT_EQ(sink.rows.size(), 2u);
  EXPECT_EQ(report.jpegError, JERR_NO_SOI);
  EXPECT_EQ(JpegErrorText(report.jpegError), "JPEG error #" + std::to_string(JERR_NO_SOI));
  EXPECT_GT(Pixel(sink.rows[0].thumb, 40, 30)[2], 150) << "the default (blue) picture";
  EXPECT_GT(Pixel(sink.rows[1].thumb, 79, 30)[0], 150) << "its own (red) picture";
}

TEST_F(FaultThumbnails, TenThousandSquareDecodesAtAnEighthWithoutTheFullImage) {
  const auto jpeg = StreamedJpeg(HugeSide, HugeSide);
  const MeasuredDecode m = DecodeMeasured(jpeg);
  ASSERT_TRUE(m.ran);
  ASSERT_TRUE(m.result.ok) << m.result.errorCode;
  EXPECT_LT(m.growth, ReducedDecodeBudget) << "of a full image of " << FullImageBytes;
  EXPECT_GT(Pixel(m.thumbnail, 10, 30)[1], 150);
  EXPECT_LT(Pixel(m.thumbnail, 10, 30)[2], 60);
  EXPECT_GT(Pixel(m.thumbnail, 70, 30)[2], 150);
  EXPECT_LT(Pixel(m.thumbnail, 70, 30)[1], 60);

  // In a list the picture is read from the file, which stays as it was.
  Put("huge.mp4", std::vector<std::uint8_t>(10, 'v'));
  Put("huge.THM", jpeg);
  const auto before = Snapshot(root);
  EXPECT_EQ(Fill().jpegError, 0);
  EXPECT_EQ(Snapshot(root), before);
  ASSERT_EQ(sink.rows.size(), 1u);
  EXPECT_GT(Pixel(sink.rows[0].thumb, 10, 30)[1], 150);
}

TEST_F(FaultThumbnails, ProgressiveTenThousandSquareIsRefusedBeforeItsBuffersAreMade) {
  // A progressive picture keeps every coefficient until its last scan: 300 MB for this one,
  // whatever scale it is decoded at. A 200-byte file can ask for that.
  const auto claim =
      WithClaimedSize(brevlo::testing::MakeJpeg(32, 32, 0, 255, 0, true), HugeSide, HugeSide);
  ASSERT_LT(claim.size(), 4096u);
  const MeasuredDecode m = DecodeMeasured(claim);
  ASSERT_TRUE(m.ran) << "the decoder took the child process down";
  EXPECT_LT(m.growth, ReducedDecodeBudget) << "of a full image of " << FullImageBytes;
  EXPECT_FALSE(m.result.ok);
  EXPECT_NE(m.result.errorCode, 0);

  // The same picture at the size of a camera's thumbnail still decodes.
  Thumbnail t;
  const auto small = brevlo::testing::MakeJpeg(640, 480, 0, 255, 0, true);
  EXPECT_TRUE(DecodeJpegThumbnail(small.data(), small.size(), t).ok);
}

TEST_F(FaultThumbnails, BaselineClaimingTenThousandSquareStaysBounded) {
  const auto claim =
      WithClaimedSize(brevlo::testing::MakeJpeg(32, 32, 0, 255, 0), HugeSide, HugeSide);
  const MeasuredDecode m = DecodeMeasured(claim);
  ASSERT_TRUE(m.ran);
  EXPECT_LT(m.growth, ReducedDecodeBudget);
}

TEST_F(FaultThumbnails, LargestClaimedSizeIsRefusedUnread) {
  const auto claim = WithClaimedSize(brevlo::testing::MakeJpeg(32, 32, 0, 255, 0), 65500, 65500);
  const MeasuredDecode m = DecodeMeasured(claim);
  ASSERT_TRUE(m.ran);
  EXPECT_FALSE(m.result.ok);
  EXPECT_EQ(m.result.errorCode, JERR_IMAGE_TOO_BIG);
  EXPECT_LT(m.growth, ReducedDecodeBudget);
}

TEST_F(FaultThumbnails, OneDecoderSurvivesEveryKindOfBadPicture) {
  // The error manager's jump must leave the decoder able to take the next picture.
  JpegThumbnailDecoder decoder;
  const auto good = brevlo::testing::MakeJpeg(160, 120, 255, 0, 0);
  const auto progressive = brevlo::testing::MakeJpeg(160, 120, 255, 0, 0, true);
  const std::vector<std::vector<std::uint8_t>> bad = {
      PngBytes,
      {0xFF, 0xD8},
      {0xFF, 0xD8, 0xFF, 0xD9},
      std::vector<std::uint8_t>(good.begin(), good.begin() + 30),
      std::vector<std::uint8_t>(progressive.begin(), progressive.begin() + 200),
      WithClaimedSize(progressive, HugeSide, HugeSide),
      WithClaimedSize(good, 0, 60),
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    Thumbnail t;
    decoder.Decode(bad[i].data(), bad[i].size(), t);
    Thumbnail next;
    ASSERT_TRUE(decoder.Decode(good.data(), good.size(), next).ok) << "after bad picture " << i;
    EXPECT_GT(Pixel(next, 79, 30)[0], 150) << "after bad picture " << i;
    ASSERT_TRUE(decoder.Decode(progressive.data(), progressive.size(), next).ok) << i;
  }
}

TEST_F(FaultThumbnails, PictureWithoutTablesIsRefusedWhateverCameBefore) {
  // A decoder kept for a whole list must not lend one picture's tables to the next: the same
  // file would then show as a picture or as an error depending on the row above it.
  const auto good = brevlo::testing::MakeJpeg(160, 120, 255, 0, 0);
  const auto tableless = WithoutSegments(good, 0xDB);
  ASSERT_LT(tableless.size(), good.size());
  Thumbnail t;
  const JpegResult fresh = DecodeJpegThumbnail(tableless.data(), tableless.size(), t);
  ASSERT_FALSE(fresh.ok);
  JpegThumbnailDecoder decoder;
  ASSERT_TRUE(decoder.Decode(good.data(), good.size(), t).ok);
  const JpegResult after = decoder.Decode(tableless.data(), tableless.size(), t);
  EXPECT_FALSE(after.ok);
  EXPECT_EQ(after.errorCode, fresh.errorCode);

  Put("a.mp4", std::vector<std::uint8_t>(10, 'v'));
  Put("a.THM", good);
  Put("b.mp4", std::vector<std::uint8_t>(10, 'v'));
  Put("b.THM", tableless);
  const auto before = Snapshot(root);
  const Shown report = Fill();
  EXPECT_EQ(Snapshot(root), before);
  ASSERT_EQ(sink.rows.size(), 2u);
  EXPECT_EQ(report.jpegError, fresh.errorCode);
  EXPECT_GT(Pixel(sink.rows[1].thumb, 40, 30)[2], 150) << "the default (blue) picture";
}
