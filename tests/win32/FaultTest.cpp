// Faults that only the real platform shows: names outside ASCII through the 8-bit calls (the
// manifest's UTF-8 code page), and the PSP's drive letter taken away while a transfer started
// from the main window's button runs, and the end asked for in the middle of an operation.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "TransferFixture.h"
#include "media/VideoPicture.h"
#include "platform/win32/Win32Platform.h"
#include "support/JpegWriter.h"
#include "ui/AppPorts.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
  w.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
  return w;
}

// Files named through the wide calls, so that the test does not depend on the code page it
// is checking.
bool WriteWide(const std::string& utf8Path, const std::string& content) {
  HANDLE f = CreateFileW(Wide(utf8Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(f);
  return ok && written == content.size();
}

std::string ReadWide(const std::string& utf8Path) {
  HANDLE f = CreateFileW(Wide(utf8Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  CloseHandle(f);
  return content;
}

std::wstring RowTextWide(HWND list, int index) {
  wchar_t text[520] = {};
  LVITEMW item{};
  item.pszText = text;
  item.cchTextMax = 520;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return text;
}

// A video of some size whose bytes tell where they came from.
std::string VideoBytes(char tag, std::size_t size) {
  std::string bytes(size, tag);
  for (std::size_t i = 0; i < size; i += 997) bytes[i] = static_cast<char>('0' + i % 10);
  return bytes;
}

// Counts the transfer's message pumps and calls a hook at the chosen one.
class HookedPump : public platform::IMessagePump {
 public:
  int calls = 0;
  int at = 0;
  std::function<void()> hook;
  void ProcessMessages() override {
    pump_.ProcessMessages();
    if (++calls == at && hook) hook();
  }

 private:
  ui::AppPump pump_;
};

// Pictures as a slow file gives them: once armed, each posts the end request to the main window
// and waits for its stop (five seconds at most).
struct SlowPictures : media::IVideoPictures {
  bool armed = false, stopSeen = false;
  HWND window = nullptr;
  UINT request = 0;
  std::vector<std::uint8_t> ThumbnailOf(const std::string&, const media::StopAsked& stop) override {
    if (armed) PostMessageA(window, request, request == WM_ENDSESSION, 0);
    for (DWORD start = GetTickCount(); armed && GetTickCount() - start < 5000; Sleep(5)) {
      if ((stopSeen = stop())) return {};
    }
    return MakeJpeg(160, 120, 0, 200, 0);
  }
};

class Faults : public PspTransferTest {
 protected:
  HookedPump pump;  // outlives the window that may use it: TearDown closes the window first
};

}  // namespace

TEST_F(Faults, NamesOutsideAsciiReachTheListAndTravelWhole) {
  std::printf("[ note ] GetACP() = %u, GetOEMCP() = %u\n", GetACP(), GetOEMCP());
  const std::string cafe = "Caf\xC3\xA9 \xC3\xA9t\xC3\xA9";          // Café été
  const std::string video = "\xE3\x83\x93\xE3\x83\x87\xE3\x82\xAA";  // ビデオ
  ASSERT_TRUE(WriteWide(videos + cafe + ".mp4", VideoBytes('c', 30000)));
  ASSERT_TRUE(WriteWide(videos + cafe + ".THM", ReadText(app / "DefaultPreview.THM")));
  ASSERT_TRUE(WriteWide(Kind0() + video + ".mp4", VideoBytes('v', 20000)));
  const auto red = MakeJpeg(80, 60, 200, 0, 0);
  const std::string pspThumb(red.begin(), red.end());
  ASSERT_TRUE(WriteWide(Kind0() + video + ".THM", pspThumb));
  Open();

  // The 8-bit calls carry the names only under the UTF-8 code page of the manifest.
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
  ASSERT_EQ(Form()->ltvPC->Count(), 1);
  EXPECT_EQ(Form()->ltvPC->Item(0).caption, cafe + ".mp4");
  EXPECT_EQ(RowTextWide(Form()->ltvPC->Handle(), 0), Wide(cafe + ".mp4"));
  ASSERT_EQ(Form()->ltvPSP->Count(), 1);
  EXPECT_EQ(Form()->ltvPSP->Item(0).caption, video + ".mp4");

  BoxWatcher boxes({{"Mission Accomplished"}, {"Mission Accomplished"}});
  Form()->btnCopyPSP->Perform(BM_CLICK);
  Pump();
  Form()->btnCopyPC->Perform(BM_CLICK);
  Pump();
  const auto seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].caption, "Mission Accomplished");
  EXPECT_EQ(seen[1].caption, "Mission Accomplished") << seen[1].text;
  EXPECT_EQ(ReadWide(Kind0() + "M4V00001.MP4"), VideoBytes('c', 30000));
  EXPECT_EQ(ReadWide(Kind0() + "M4V00001.THM"), ReadText(app / "DefaultPreview.THM"));
  EXPECT_EQ(ReadWide(videos + video + ".mp4"), VideoBytes('v', 20000));
  EXPECT_EQ(ReadWide(videos + video + ".THM"), pspThumb);
  // The copies left their sources as they were.
  EXPECT_EQ(ReadWide(videos + cafe + ".mp4"), VideoBytes('c', 30000));
  EXPECT_EQ(ReadWide(Kind0() + video + ".mp4"), VideoBytes('v', 20000));
  // Nothing was selected on the PSP, so the video just sent there came back too.
  EXPECT_EQ(ReadWide(videos + "M4V00001.MP4"), VideoBytes('c', 30000));
  EXPECT_EQ(Form()->ltvPC->Count(), 3);
}

TEST_F(Faults, PspUnpluggedDuringAMoveKeepsEveryVideoWhole) {
  for (char tag : {'a', 'b', 'c', 'd'}) {
    const std::string base = videos + std::string(1, tag);
    WriteText(base + ".mp4", VideoBytes(tag, 200000));
    WriteText(base + ".THM", ReadText(app / "DefaultPreview.THM"));
  }
  Open();
  ASSERT_EQ(Form()->ltvPC->Count(), 4);
  pump.at = 2;  // the transfer pumps once before each video: the cable goes before the second
  pump.hook = [this] { drive->Unplug(); };
  Form()->Services().pump = &pump;

  // The refresh after the transfer asks for the PSP: not now.
  BoxWatcher boxes(
      {{"PSP Connection", IDNO}, {"Please connect your PSP"}, {"Transfer Incomplete"}});
  Form()->btnMovePSP->Perform(BM_CLICK);
  Pump();
  const auto seen = boxes.Seen();
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0].caption, "PSP Connection");
  EXPECT_EQ(seen.back().caption, "Transfer Incomplete");
  for (const char* name : {"b.mp4", "c.mp4", "d.mp4"}) {
    EXPECT_NE(seen.back().text.find(name), std::string::npos) << name;
  }
  EXPECT_NE(seen.back().text.find("still where they were"), std::string::npos);
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));
  EXPECT_FALSE(IsWindowVisible(progress->Handle()));

  // The first video went before the cable did; the others stayed whole on the PC.
  EXPECT_FALSE(Exists(videos + "a.mp4"));
  for (char tag : {'b', 'c', 'd'}) {
    EXPECT_EQ(ReadText(videos + std::string(1, tag) + ".mp4"), VideoBytes(tag, 200000)) << tag;
    EXPECT_TRUE(Exists(videos + std::string(1, tag) + ".THM")) << tag;
  }
  ASSERT_TRUE(drive->Plug());
  EXPECT_EQ(ReadText(Kind0() + "M4V00001.MP4"), VideoBytes('a', 200000));
  EXPECT_TRUE(Exists(Kind0() + "M4V00001.THM"));
  // Nothing else on the memory stick carries a name the PSP would show.
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((Kind0() + "*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    EXPECT_EQ(name.rfind("M4V00001.", 0), 0u) << name;
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

// The program closed, or the session ending, during "Make Thumbnails": it stops within the
// picture in hand and the program ends then, not after a later transfer.
TEST_F(Faults, EndAskedDuringMakeThumbnailsStopsItAndEndsTheProgram) {
  for (const UINT request : {WM_CLOSE, WM_ENDSESSION}) {
    WriteSized(Kind0() + "M4V00001.MP4", 5000);
    SlowPictures slow;
    Open(&slow);
    while (Form()->PicturesPending() > 0) Pump(10);
    WriteSized(Kind0() + "M4V00001.MP4", 6000);  // changed since: its picture is made anew
    slow.window = Form()->Handle();
    slow.request = request;
    slow.armed = true;
    BoxWatcher boxes;
    Form()->ltvPSP->SetSelected(0, true);
    Form()->MakeThumbnails2Click(nullptr);
    EXPECT_TRUE(slow.stopSeen) << request;
    EXPECT_FALSE(Exists(Kind0() + "M4V00001.THM") || Exists(Kind0() + "M4V00001.THM.part"));
    EXPECT_FALSE(IsWindowVisible(Form()->Handle()));
    EXPECT_TRUE(boxes.Seen().empty());
    TearDown();
  }
}
