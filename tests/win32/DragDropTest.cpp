// Files dragged between the lists and another program: the test stands in for a folder window,
// dragging files of its own folder onto the lists and taking rows dragged out of them.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include <gtest/gtest.h>

#include "Harness.h"
#include "app/win32/SecondaryForms.h"
#include "support/JpegWriter.h"
#include "ui/DragDrop.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

POINT CentreOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// From a corner of the screen to the point in steps of the pointer, then dropped.
DWORD DropAt(const std::vector<std::string>& files, HWND window) {
  const POINT to = CentreOf(window);
  int step = 0;
  const DWORD effect = ui::DragFiles(files, [&](BOOL, DWORD) -> HRESULT {
    const int k = ++step < 8 ? step : 8;
    SetCursorPos(5 + (to.x - 5) * k / 8, 5 + (to.y - 5) * k / 8);
    return step < 12 ? S_OK : DRAGDROP_S_DROP;
  });
  Pump(200);
  return effect;
}

}  // namespace

TEST(DragDrop, FilesOfAFolderWindowGoAsCopiesToThePspOrThePcAndRowsGoOutAsFiles) {
  TempFolder app;
  WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
  const std::string videos = app.MakeFolder("videos"), desk = app.MakeFolder("desk");
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
  MainFormFixture form(app.Path());
  std::unique_ptr<app::TTransferForm> progress(app::NewTransferForm(ui::Application));
  const std::string kind0 = form.PspFolder() + "MP_ROOT\\100MNV01\\";
  WriteSized(desk + "x.mp4", 3000);
  WriteBytes(desk + "x.THM", MakeJpeg(80, 60, 200, 0, 0));
  WriteSized(desk + "Y.MP4", 5000);
  WriteText(desk + "notes.txt", "not a video");
  WriteText(videos + "Y.MP4", "here");

  EXPECT_EQ(DropAt({desk + "x.mp4"}, form->btnDelete->Handle()), DROPEFFECT_NONE);
  {
    BoxWatcher boxes({{"Transfer Incomplete"}});
    EXPECT_EQ(DropAt({desk + "x.mp4", desk + "notes.txt", desk + "Y.MP4"}, form->ltvPSP->Handle()),
              DROPEFFECT_COPY);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_NE(boxes.Seen()[0].text.find("notes.txt: it is not a video"), std::string::npos);
  }
  EXPECT_EQ(ReadText(kind0 + "M4V00001.THM"), ReadText(desk + "x.THM"));
  EXPECT_EQ(ReadText(kind0 + "M4V00002.MP4"), ReadText(desk + "Y.MP4"));
  EXPECT_EQ(ReadText(kind0 + "M4V00002.THM"), ReadText(app / "DefaultPreview.THM"));
  EXPECT_EQ(form->ltvPSP->Count(), 2);
  {
    BoxWatcher boxes({{"Overwrite", IDNO}, {"Mission Accomplished"}});
    DropAt({desk + "Y.MP4"}, form->ltvPC->Handle());
  }
  EXPECT_EQ(ReadText(videos + "Y_New.MP4"), ReadText(desk + "Y.MP4"));
  // A folder window's selection holds the thumbnail beside its video: it goes with the video.
  {
    BoxWatcher boxes({{"Mission Accomplished"}});
    DropAt({desk + "x.THM", desk + "x.mp4"}, form->ltvPC->Handle());
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].caption, "Mission Accomplished");
  }
  EXPECT_EQ(ReadText(videos + "x.THM"), ReadText(desk + "x.THM"));

  // Out of the PSP list, onto a window of the test's beside the main window.
  HWND folder = CreateWindowExA(WS_EX_TOPMOST, "LISTBOX", "", WS_POPUP | WS_VISIBLE, 1010, 100, 240,
                                240, nullptr, nullptr, nullptr, nullptr);
  std::vector<std::string> received;
  ui::TFileDropTarget target;
  ASSERT_TRUE(target.Register(
      folder, {[] { return true; }, [&](const std::vector<std::string>& p) { received = p; }}));
  form->ltvPSP->SelectAll();
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(form->ltvPSP->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  POINT from{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
  ClientToScreen(form->ltvPSP->Handle(), &from);
  DragWithMouse(from, CentreOf(folder));
  const std::string g = "P:\\MP_ROOT\\100MNV01\\";
  EXPECT_EQ(received, (std::vector<std::string>{g + "M4V00001.MP4", g + "M4V00001.THM",
                                                g + "M4V00002.MP4", g + "M4V00002.THM"}));
  EXPECT_EQ(form->ltvPC->Count(), 3);  // nothing for our own PC list
  target.Revoke();
  DestroyWindow(folder);
}

namespace {
// Another program's data object: its CF_HDROP on the medium it chooses.
class OfferedData : public IDataObject {
 public:
  explicit OfferedData(STGMEDIUM medium) : medium_(medium) {}
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM* medium) override {
    *medium = medium_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  STGMEDIUM medium_;
};

// A DROPFILES header followed by the bytes given, in a block of exactly that size.
HGLOBAL Block(DWORD offset, BOOL wide, const std::string& list) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(DROPFILES) + list.size());
  auto* bytes = static_cast<char*>(GlobalLock(block));
  DROPFILES header{};
  header.pFiles = offset;
  header.fWide = wide;
  std::memcpy(bytes, &header, sizeof header);
  std::memcpy(bytes + sizeof header, list.data(), list.size());
  GlobalUnlock(block);
  return block;
}

// The whole literal, its inner zeros included, without the one that ends it.
template <std::size_t N>
std::string WideBytes(const wchar_t (&text)[N]) {
  return std::string(reinterpret_cast<const char*>(text), (N - 1) * sizeof(wchar_t));
}
}  // namespace

// Blocks from other programs are read within their size and only from global memory.
TEST(DragDrop, MalformedBlocksAndOtherMediaGiveNoFiles) {
  const DWORD at = sizeof(DROPFILES);
  const struct {
    HGLOBAL block;
    std::vector<std::string> paths;
  } cases[] = {
      {Block(at, TRUE, WideBytes(L"C:\\a.mp4\0D:\\b.THM\0\0")), {"C:\\a.mp4", "D:\\b.THM"}},
      {Block(at, FALSE, std::string("C:\\c.mp4\0", 10)), {"C:\\c.mp4"}},
      {Block(0x7FFF0000, TRUE, WideBytes(L"C:\\a.mp4")), {}},
      {Block(at, TRUE, WideBytes(L"C:\\unended.mp4")), {}},
      {Block(at + 2, TRUE, WideBytes(L"\0")), {}},
      {GlobalAlloc(GMEM_MOVEABLE, 8), {}},
  };
  for (const auto& c : cases) {
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = c.block;
    OfferedData data(medium);
    const auto paths = ui::PathsOfData(&data);
    ASSERT_TRUE(paths.has_value());
    EXPECT_EQ(*paths, c.paths);
  }
  STGMEDIUM stream{};
  stream.tymed = TYMED_ISTREAM;
  ASSERT_EQ(CreateStreamOnHGlobal(Block(at, TRUE, WideBytes(L"C:\\a\0\0")), TRUE, &stream.pstm),
            S_OK);
  OfferedData data(stream);
  EXPECT_FALSE(ui::PathsOfData(&data).has_value());
}
