// "Make Thumbnails" on a card that fills up during a write, and over a temporary file that an
// earlier run left: neither leaves a ".part" behind, and the leftover never keeps one out.
#include "operations/MakeThumbnails.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/portable/PortablePlatform.h"
#include "support/ScratchFolder.h"

using namespace brevlo;
namespace fs = std::filesystem;

namespace {
class CardFileSystem : public platform::StdFileSystem {
 public:
  bool full = false;  // half of the bytes fit
  bool WriteNew(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
    if (!full) return StdFileSystem::WriteNew(path, bytes);
    StdFileSystem::WriteNew(path, {bytes.begin(), bytes.begin() + bytes.size() / 2});
    return false;
  }
};
}  // namespace

TEST(MakeThumbnails, FailedWritesLeaveNoPartAndLeftoversNeverBlock) {
  const struct {
    bool full, leftover;
    int written;
  } cases[] = {{true, false, 0}, {true, true, 0}, {false, true, 1}};
  for (const auto& c : cases) {
    brevlo::testing::ScratchFolder scratch("brevlo-thm");
    const fs::path folder = scratch.Dir("MP_ROOT/100MNV01");
    std::ofstream(folder / "M4V00001.MP4") << "video";
    if (c.leftover) std::ofstream(folder / "M4V00001.THM.part") << "half a picture";
    CardFileSystem card;
    card.MapDrive('G', scratch.Path().string());
    card.full = c.full;
    const auto report = operations::MakeThumbnails(
        card, "G:\\MP_ROOT\\100MNV01", {"M4V00001.MP4"},
        [](const std::string&) { return std::vector<std::uint8_t>{0xFF, 0xD8, 1, 2, 0xFF, 0xD9}; });
    EXPECT_EQ(report.written, c.written) << c.full << c.leftover;
    EXPECT_EQ(fs::exists(folder / "M4V00001.THM"), c.written == 1);
    EXPECT_FALSE(fs::exists(folder / "M4V00001.THM.part")) << c.full << c.leftover;
  }
}
