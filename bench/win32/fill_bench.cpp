// The main window's own fill under Wine (or Windows), timed whole and in its parts, the memory
// its rows take, the expansion of a drive in the PSP's tree combo, and the system's own copy.
//   fill_bench time FOLDER [REPEATS] [whole]  rows per second of TMainForm::FillVideoList and,
//                                             unless "whole", its parts each on their own
//   fill_bench memory FOLDER                  bytes per listed row, peak working set
//   fill_bench tree DRIVE [REPEATS]           the tree combo listing a drive's folders (each
//                                             with its icons and whether it has subfolders)
//                                             against a bare listing of the drive's folders
//   fill_bench paint FOLDER [REPEATS]         a full repaint of the main window listing FOLDER
//                                             in both lists, skinned against unskinned
//   fill_bench pictures FOLDER [REPEATS]      the fill of videos without thumbnails with their
//                                             pictures on (made meanwhile by the worker) against
//                                             the fill with them off ("Frame Thumbnails=0")
//   fill_bench thumbs FOLDER                  the pictures of every .mp4 of a folder, written as
//                                             thumbnails into FOLDER\out
//   fill_bench tips FOLDER [REPEATS]          the fill with the rows' tips on (100 of them read
//                                             before each fill) against the fill without tips
//   fill_bench titles FOLDER [REPEATS]        the fill and a scroll through every row, page by
//                                             page, with the rows' PSP titles under their names
//                                             against the same without titles
//   fill_bench scroll FOLDER [STOPS]          a scroll through every row, stopping STOPS times:
//                                             from each stop to every row on screen showing its
//                                             own picture, against reading and decoding those
//                                             rows' thumbnails straight; the worst answer of
//                                             the window meanwhile against it idle
//   fill_bench copy HOW TOFOLDER FILE...      seconds of a copy of the files, one by one, by
//                                             CopyFileA (system), CopyFileExW with a progress
//                                             routine (systemex) or the program's steps (steps)
//   fill_bench click TITLE BUTTON BOX         seconds from a click on BUTTON of the window
//                                             TITLE to the window BOX, which is then answered;
//                                             the worst answer of TITLE meanwhile and idle
//   fill_bench close TITLE                    closes the window TITLE
//   fill_bench hold SECONDS                   does nothing for SECONDS, a user of the desktop
//   fill_bench startup FOLDER                 the parts of start-up in a fresh process: the
//                                             process itself, the temporary skin file written
//                                             and read, the skin's pictures, the main window
//                                             built (its drive scan and first fill apart,
//                                             the drive tree's shell names and icons before
//                                             it), shown and painted; the other forms built after
//   fill_bench convert SOURCE TARGET [avc]   seconds of the conversion alone, in steps as
//                                             the transfer runs it, without a window
// FOLDER holds .mp4 videos with their .THM thumbnails (list_bench make FOLDER COUNT).
// Lines starting with "result " are read by tools/bench-wine.sh.
#include <windows.h>
// After windows.h.
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../BenchSupport.h"
#include "about/win32/AboutForm.h"
#include "app/win32/MainForm.h"
#include "app/win32/SecondaryForms.h"
#include "dirtree/DirTreeModel.h"
#include "dirtree/win32/FileExplorer.h"
#include "library/PspNaming.h"
#include "library/RowPictures.h"
#include "media/Conversion.h"
#include "media/VideoPicture.h"
#include "operations/win32/RenameForm.h"
#include "operations/win32/TransferForm.h"
#include "platform/JpegDecoder.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32ShellInfo.h"
#include "skin/SkinEmbed.h"
#include "skin/SkinFrame.h"
#include "skin/win32/BuiltInSkin.h"
#include "skin/win32/SkinEngine.h"
#include "ui/AppPorts.h"
#include "ui/Forms.h"
#include "ui/Graphics.h"

using namespace brevlo;

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The system's file calls, with the time spent in them counted.
class TimedFileSystem : public platform::IFileSystem {
  template <typename F>
  auto Timed(F work) -> decltype(work()) {
    const double start = Now();
    auto result = work();
    seconds += Now() - start;
    return result;
  }

 public:
  double seconds = 0;
  double listingSeconds = 0;  // of which in folder listings
  bool DirectoryExists(const std::string& path) override {
    return Timed([&] { return inner_.DirectoryExists(path); });
  }
  bool FileExists(const std::string& path) override {
    return Timed([&] { return inner_.FileExists(path); });
  }
  std::vector<platform::DirEntry> ListDirectory(const std::string& folder,
                                                const std::string& pattern) override {
    const double before = seconds;
    auto entries = Timed([&] { return inner_.ListDirectory(folder, pattern); });
    listingSeconds += seconds - before;
    return entries;
  }
  void VisitDirectory(const std::string& folder, const std::string& pattern,
                      const std::function<bool(const platform::DirEntry&)>& visit) override {
    const double start = Now();
    inner_.VisitDirectory(folder, pattern, visit);
    seconds += Now() - start;
    listingSeconds += Now() - start;
  }
  std::optional<std::uint64_t> FileSize(const std::string& path) override {
    return Timed([&] { return inner_.FileSize(path); });
  }
  bool ReadFile(const std::string& path, std::vector<unsigned char>& out,
                std::size_t maxBytes) override {
    return Timed([&] { return inner_.ReadFile(path, out, maxBytes); });
  }
  std::unique_ptr<platform::IFileReader> OpenReader(const std::string& path) override {
    return inner_.OpenReader(path);
  }
  bool Copy(const std::string& from, const std::string& to) override {
    return inner_.Copy(from, to);
  }
  bool Delete(const std::string& path) override { return inner_.Delete(path); }
  bool Move(const std::string& from, const std::string& to) override {
    return inner_.Move(from, to);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return inner_.Replace(from, to);
  }
  platform::CopyResult CopyPlanInSteps(const std::string& from, const std::string& to,
                                       const platform::CopyPlan& plan,
                                       const platform::CopyProgress& progress) override {
    return inner_.CopyPlanInSteps(from, to, plan, progress);
  }
  bool WriteAt(const std::string& path, std::uint64_t offset,
               const std::vector<std::uint8_t>& bytes) override {
    return inner_.WriteAt(path, offset, bytes);
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    return inner_.SameFile(a, b);
  }
  void CopyAttributes(const std::string& from, const std::string& to) override {
    inner_.CopyAttributes(from, to);
  }
  bool Recycle(const std::string& path) override { return inner_.Recycle(path); }

 private:
  platform::Win32FileSystem inner_;
};

class TimedPump : public platform::IMessagePump {
 public:
  double seconds = 0;
  long calls = 0;
  void ProcessMessages() override {
    const double start = Now();
    inner_.ProcessMessages();
    seconds += Now() - start;
    ++calls;
  }

 private:
  ui::AppPump inner_;
};

// The system's drive calls, with the time spent in them counted.
class TimedDrives : public platform::IDrives {
 public:
  double seconds = 0;
  std::uint32_t LogicalDriveMask() override {
    const double start = Now();
    const std::uint32_t mask = inner_.LogicalDriveMask();
    seconds += Now() - start;
    return mask;
  }
  platform::DriveType TypeOf(const std::string& root) override {
    const double start = Now();
    const platform::DriveType type = inner_.TypeOf(root);
    seconds += Now() - start;
    return type;
  }
  bool HasMedium(const std::string& root) override {
    const double start = Now();
    const bool has = inner_.HasMedium(root);
    seconds += Now() - start;
    return has;
  }

 private:
  platform::Win32Drives inner_;
};

// No PSP is plugged in for the benchmark: the start-up questions are answered No at once.
class SilentDialogs : public platform::IDialogs {
 public:
  platform::Answer Show(const std::string&, const std::string&, unsigned) override {
    return platform::Answer::No;
  }
  void ShowError(const std::string& text) override {
    std::fprintf(stderr, "error box: %s\n", text.c_str());
  }
};

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::string WithBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

std::vector<std::string> Thumbnails(const std::string& folder) {
  std::vector<std::string> paths;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "*.THM").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return paths;
  do {
    paths.push_back(folder + data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return paths;
}

// The folder's thumbnails; none is said on the error stream.
std::vector<std::string> ThumbnailsOrSay(const std::string& folder) {
  auto paths = Thumbnails(folder);
  if (paths.empty()) std::fprintf(stderr, "no thumbnails in %s\n", folder.c_str());
  return paths;
}

struct Memory {
  double workingSet = 0;
  double peakWorkingSet = 0;
  double privateBytes = 0;
};

Memory MemoryNow() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return {static_cast<double>(counters.WorkingSetSize),
          static_cast<double>(counters.PeakWorkingSetSize),
          static_cast<double>(counters.PagefileUsage)};
}

// A program folder of its own in the temporary folder, with the default thumbnail beside the
// program as the real one has it.
class ProgramFolder {
 public:
  explicit ProgramFolder(const std::string& sampleThumb) {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    path = std::string(base) + "brevlo-fill-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(path.c_str(), nullptr);
    CopyFileA(sampleThumb.c_str(), (path + "DefaultPreview.THM").c_str(), FALSE);
  }
  ~ProgramFolder() {
    DeleteFileA((path + "DefaultPreview.THM").c_str());
    DeleteFileA((path + "Preferences.ini").c_str());
    RemoveDirectoryA(path.c_str());
  }
  std::string path;
};

struct Window {
  TimedFileSystem fs;
  TimedPump pump;
  SilentDialogs dialogs;
  app::TMainForm* form = nullptr;

  explicit Window(const std::string& programFolder) {
    app::MainServices services;
    services.exePath = programFolder + "Brevlo.exe";
    services.fs = &fs;
    services.pump = &pump;
    services.dialogs = &dialogs;
    app::TMainForm::UseServices(services);
    form = new app::TMainForm(ui::Application);
    app::TMainForm::UseServices(app::MainServices{});
    if (!IsWindow(form->Handle())) {
      std::fprintf(stderr, "The main window could not be created (no display?)\n");
      std::exit(2);
    }
    form->Show();
    Pump();
  }
  ~Window() { delete form; }
};

// A window holding a list view that keeps no rows of its own (LVS_OWNERDATA): it asks its
// parent for a row's caption and image only when it draws that row.
struct VirtualRows {
  const std::vector<std::string>* captions = nullptr;
};

LRESULT CALLBACK VirtualHostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOA) {
    auto* rows = reinterpret_cast<VirtualRows*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
    const auto index = static_cast<std::size_t>(info->item.iItem);
    if (rows != nullptr && index < rows->captions->size()) {
      if (info->item.mask & LVIF_TEXT) {
        lstrcpynA(info->item.pszText, (*rows->captions)[index].c_str(), info->item.cchTextMax);
      }
      if (info->item.mask & LVIF_IMAGE) info->item.iImage = info->item.iItem;
    }
    return 0;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

// Seconds to give an owner-data list view its row count and draw it once.
double VirtualListSeconds(const std::vector<std::string>& captions, HIMAGELIST images) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = VirtualHostProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "BrevloFillBenchHost";
  RegisterClassA(&cls);
  HWND host = CreateWindowExA(0, cls.lpszClassName, "fill bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              0, 0, 400, 500, nullptr, nullptr, cls.hInstance, nullptr);
  VirtualRows rows{&captions};
  SetWindowLongPtrA(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&rows));
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA |
                                  LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                              0, 0, 380, 460, host, nullptr, cls.hInstance, nullptr);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = 220;
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  Pump();
  const double seconds = bench::Seconds([&] {
    SendMessageA(list, LVM_SETITEMCOUNT, captions.size(), 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
  });
  DestroyWindow(host);
  Pump();
  return seconds;
}

void Result(const char* name, double value) {
  std::printf("result %s %.6f\n", name, value);
}

int TimeFill(const std::string& folder, int repeats, bool parts) {
  const auto thumbs = ThumbnailsOrSay(folder);
  if (thumbs.empty()) return 2;
  ProgramFolder program(thumbs.front());
  Window window(program.path);
  app::TMainForm* form = window.form;
  const int rows = static_cast<int>(thumbs.size());

  // The whole fill as the window does it, with the file calls and the pumping counted.
  std::vector<double> whole, files, listing, pumping, paint;
  for (int i = 0; i < repeats; ++i) {
    Pump();
    window.fs.seconds = 0;
    window.fs.listingSeconds = 0;
    window.pump.seconds = 0;
    const double start = Now();
    form->FillVideoList(folder, form->ltvPC, form->imlPC);
    whole.push_back(Now() - start);
    files.push_back(window.fs.seconds);
    listing.push_back(window.fs.listingSeconds);
    pumping.push_back(window.pump.seconds);
    if (form->ltvPC->Count() != rows) {
      std::fprintf(stderr, "the fill listed %d rows of %d\n", form->ltvPC->Count(), rows);
      return 1;
    }
    // What the user waits for next: the list drawn with its rows.
    const double shown = Now();
    Pump();
    UpdateWindow(form->ltvPC->Handle());
    paint.push_back(Now() - shown);
  }
  const long pumpsPerFill = window.pump.calls / repeats;
  const double fill = bench::Median(whole);
  std::printf("rows %d, repeats %d, message rounds per fill %ld, thumbnails %d x %d\n", rows,
              repeats, pumpsPerFill, form->imlPC->Width(), form->imlPC->Height());
  Result("rows", rows);
  Result("fill_seconds", fill);
  Result("rows_per_second", rows / fill);
  Result("files_seconds", bench::Median(files));
  Result("listing_seconds", bench::Median(listing));
  Result("pump_seconds", bench::Median(pumping));
  Result("paint_seconds", bench::Median(paint));
  if (!parts) {
    std::fflush(stdout);
    return 0;
  }

  // The parts on their own, each over as many rows as the fill.
  std::vector<std::vector<unsigned char>> bytes(thumbs.size());
  platform::Win32FileSystem plain;
  for (std::size_t i = 0; i < thumbs.size(); ++i) {
    plain.ReadFile(thumbs[i], bytes[i], platform::MaxJpegBytes);
  }
  ui::TImageList* images = form->imlPC;
  // At the size the window shows, which follows the screen's scale.
  const int w = images->Width(), h = images->Height();
  std::vector<platform::Thumbnail> pictures(thumbs.size(), platform::Thumbnail(w, h));
  platform::JpegThumbnailDecoder decoder;
  ui::TBitmap scratch;
  ui::TListView* list = form->ltvPC;
  std::vector<std::string> captions, sizes;
  for (int i = 0; i < rows; ++i) {
    captions.push_back("clip" + std::to_string(i) + ".mp4");
    sizes.push_back("0.000005");
  }
  std::vector<double> decode, imageAdds, imageStrip, imageReplace, inserts, insertsOneFlush,
      insertsCounted, virtualList, pumpOnly;
  for (int r = 0; r < repeats; ++r) {
    decode.push_back(bench::Seconds([&] {
      for (int i = 0; i < rows; ++i) {
        decoder.Decode(bytes[i].data(), bytes[i].size(), pictures[i]);
      }
    }));
    list->Clear();
    images->Clear();
    // One picture into the scratch bitmap, one ImageList_Add each: the list grows as it goes.
    imageAdds.push_back(bench::Seconds([&] {
      for (int i = 0; i < rows; ++i) {
        scratch.SetPixels24(w, h, pictures[i].bgr.data(), w * 3);
        images->Add(scratch.Handle());
      }
    }));
    // Rows with redraw held off and shown every 256 rows, as the window inserts them.
    inserts.push_back(bench::Seconds([&] {
      list->BeginUpdate();
      for (int i = 0; i < rows; ++i) {
        list->AddItem(captions[i], sizes[i], i);
        if (list->Count() % 256 == 0) {
          list->EndUpdate();
          list->BeginUpdate();
        }
      }
      list->EndUpdate();
    }));
    list->Clear();
    // Held off for the whole fill.
    insertsOneFlush.push_back(bench::Seconds([&] {
      list->BeginUpdate();
      for (int i = 0; i < rows; ++i) list->AddItem(captions[i], sizes[i], i);
      list->EndUpdate();
    }));
    list->Clear();
    // Held off, with the list told the count first.
    insertsCounted.push_back(bench::Seconds([&] {
      list->BeginUpdate();
      SendMessageA(list->Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
      for (int i = 0; i < rows; ++i) list->AddItem(captions[i], sizes[i], i);
      list->EndUpdate();
    }));
    list->Clear();
    images->Clear();
    // The thumbnails of 128 rows side by side in one strip, handed over in one ImageList_Add.
    imageStrip.push_back(bench::Seconds([&] {
      constexpr int perStrip = 128;
      std::vector<std::uint8_t> strip(static_cast<std::size_t>(w) * 3 * perStrip * h);
      for (int first = 0; first < rows; first += perStrip) {
        const int n = std::min(perStrip, rows - first);
        const int stride = w * 3 * n;
        for (int k = 0; k < n; ++k) {
          const auto& bgr = pictures[static_cast<std::size_t>(first + k)].bgr;
          for (int y = 0; y < h; ++y) {
            std::memcpy(strip.data() + static_cast<std::size_t>(y) * stride + k * w * 3,
                        bgr.data() + static_cast<std::size_t>(y) * w * 3,
                        static_cast<std::size_t>(w) * 3);
          }
        }
        ui::TBitmap block;
        block.SetPixels24(w * n, h, strip.data(), stride);
        ImageList_Add(images->Handle(), block.Handle(), nullptr);
      }
    }));
    if (images->Count() != rows) {
      std::fprintf(stderr, "the strip gave %d images of %d\n", images->Count(), rows);
      return 1;
    }
    images->Clear();
    // The image list sized once for every row, each picture put in its place.
    imageReplace.push_back(bench::Seconds([&] {
      ImageList_SetImageCount(images->Handle(), static_cast<UINT>(rows));
      for (int i = 0; i < rows; ++i) {
        scratch.SetPixels24(w, h, pictures[i].bgr.data(), w * 3);
        ImageList_Replace(images->Handle(), i, scratch.Handle(), nullptr);
      }
    }));
    if (images->Count() != rows) {
      std::fprintf(stderr, "the sized list has %d images of %d\n", images->Count(), rows);
      return 1;
    }
    virtualList.push_back(VirtualListSeconds(captions, images->Handle()));
    // The pump alone, once per row, with nothing waiting.
    pumpOnly.push_back(bench::Seconds([&] {
      for (int i = 0; i < rows; ++i) window.pump.ProcessMessages();
    }));
  }
  list->Clear();
  images->Clear();

  std::printf("%-52s %10s %8s\n", "part (median over the fills)", "seconds", "of fill");
  auto part = [&](const char* name, double seconds) {
    std::printf("%-52s %10.4f %7.1f%%\n", name, seconds, 100.0 * seconds / fill);
  };
  part("whole FillVideoList", fill);
  part("  file calls in it (list, read)", bench::Median(files));
  part("    of which the folder listing", bench::Median(listing));
  part("  message rounds in it", bench::Median(pumping));
  const std::string decodeName =
      "alone: decode at " + std::to_string(w) + " x " + std::to_string(h);
  part(decodeName.c_str(), bench::Median(decode));
  part("alone: image list adds, one per row", bench::Median(imageAdds));
  part("alone: list view inserts, shown every 256", bench::Median(inserts));
  part("alone: pump once per row, nothing waiting", bench::Median(pumpOnly));
  std::printf("cheaper ways\n");
  part("  image list adds, 128 per ImageList_Add", bench::Median(imageStrip));
  part("  image list sized once, ImageList_Replace per row", bench::Median(imageReplace));
  part("  list view inserts, shown once at the end", bench::Median(insertsOneFlush));
  part("  list view inserts, LVM_SETITEMCOUNT first", bench::Median(insertsCounted));
  part("  owner-data list view: count set, drawn once", bench::Median(virtualList));
  part("after the fill: pump and paint of the list", bench::Median(paint));

  Result("decode_seconds", bench::Median(decode));
  Result("image_add_seconds", bench::Median(imageAdds));
  Result("insert_seconds", bench::Median(inserts));
  Result("image_strip_seconds", bench::Median(imageStrip));
  Result("insert_one_flush_seconds", bench::Median(insertsOneFlush));
  Result("insert_counted_seconds", bench::Median(insertsCounted));
  Result("image_replace_seconds", bench::Median(imageReplace));
  Result("virtual_list_seconds", bench::Median(virtualList));
  std::fflush(stdout);
  return 0;
}

int MeasureMemory(const std::string& folder) {
  const auto thumbs = ThumbnailsOrSay(folder);
  if (thumbs.empty()) return 2;
  ProgramFolder program(thumbs.front());
  Window window(program.path);
  app::TMainForm* form = window.form;
  Pump();
  const Memory empty = MemoryNow();
  form->FillVideoList(folder, form->ltvPC, form->imlPC);
  Pump();
  UpdateWindow(form->ltvPC->Handle());
  const Memory filled = MemoryNow();
  const int rows = form->ltvPC->Count();
  if (rows != static_cast<int>(thumbs.size())) {
    std::fprintf(stderr, "the fill listed %d rows of %zu\n", rows, thumbs.size());
    return 1;
  }
  const double perRowWs = (filled.workingSet - empty.workingSet) / rows;
  const double perRowPrivate = (filled.privateBytes - empty.privateBytes) / rows;
  const double pixels = platform::ThumbnailWidth * platform::ThumbnailHeight * 3.0;
  std::printf("rows %d\n", rows);
  std::printf("working set: empty window %.1f MB, with the rows %.1f MB, peak %.1f MB\n",
              empty.workingSet / 1e6, filled.workingSet / 1e6, filled.peakWorkingSet / 1e6);
  std::printf("private bytes: empty window %.1f MB, with the rows %.1f MB\n",
              empty.privateBytes / 1e6, filled.privateBytes / 1e6);
  Result("rows", rows);
  Result("empty_working_set", empty.workingSet);
  Result("filled_working_set", filled.workingSet);
  Result("peak_working_set", filled.peakWorkingSet);
  Result("bytes_per_row_working_set", perRowWs);
  Result("bytes_per_row_private", perRowPrivate);
  Result("thumbnail_pixel_bytes", pixels);
  std::fflush(stdout);
  return 0;
}

// Expanding one drive in the PSP's tree combo of the main window: the drive's folders listed,
// each with its icons and whether it has a subfolder, and put into the tree's window; against
// a bare listing of the drive's folders, in turn.
int TimeTree(char letter, int repeats) {
  ProgramFolder program("");
  Window window(program.path);
  dirtree::DirTreeModel& model = window.form->cmbPSP->Tree->Model();
  const std::string root = std::string(1, letter) + ":\\";
  platform::Win32FileSystem plain;
  auto driveNode = [&]() -> dirtree::DirTreeNode* {
    dirtree::DirTreeNode* computer = model.ComputerNode();
    for (std::size_t i = 0; computer != nullptr && i < computer->Count(); ++i) {
      if (computer->Child(i)->Caption()[2] == letter) return computer->Child(i);
    }
    return nullptr;
  };
  std::vector<double> expand, listing;
  std::size_t nodes = 0, folders = 0;
  // One of each first, not counted: the first reads the folders from disk.
  for (int i = -1; i < repeats; ++i) {
    model.ReloadTree();
    dirtree::DirTreeNode* drive = driveNode();
    if (drive == nullptr) {
      std::fprintf(stderr, "no drive %c: in the tree\n", letter);
      return 2;
    }
    const double e = bench::Seconds([&] { model.Expand(*drive); });
    nodes = drive->Count();
    const double l = bench::Seconds([&] {
      folders = 0;
      for (const auto& entry : plain.ListDirectory(root, "*")) {
        if (dirtree::IsSubfolderEntry(entry)) ++folders;
      }
    });
    if (i < 0) continue;
    expand.push_back(e);
    listing.push_back(l);
  }
  if (nodes != folders) {
    std::fprintf(stderr, "the tree shows %zu folders of %zu\n", nodes, folders);
    return 1;
  }
  // Where an expansion goes: per folder, whether it has a subfolder and its two icons.
  platform::Win32ShellInfo shell;
  std::vector<std::string> paths;
  for (const auto& entry : plain.ListDirectory(root, "*")) {
    if (dirtree::IsSubfolderEntry(entry)) paths.push_back(root + entry.name);
  }
  std::vector<double> subfolders, listings, firsts, icons;
  for (int i = 0; i < repeats; ++i) {
    // The system's search opened and closed after its first entry: what any question about a
    // folder's contents costs at the least.
    firsts.push_back(bench::Seconds([&] {
      for (const auto& path : paths) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) FindClose(find);
      }
    }));
    subfolders.push_back(bench::Seconds([&] {
      for (const auto& path : paths) dirtree::HasSubfolder(path, plain);
    }));
    listings.push_back(bench::Seconds([&] {
      for (const auto& path : paths) plain.ListDirectory(path + "\\", "*");
    }));
    icons.push_back(bench::Seconds([&] {
      for (const auto& path : paths) {
        shell.SmallIcon(path);
        shell.SmallOpenIcon(path);
      }
    }));
  }
  std::printf(
      "of which, alone: whether each folder has a subfolder %.4f s (a whole listing of each "
      "%.4f s, the first entry of each %.4f s), their icons %.4f s\n",
      bench::Median(subfolders), bench::Median(listings), bench::Median(firsts),
      bench::Median(icons));
  Result("tree_subfolder_seconds", bench::Median(subfolders));
  Result("tree_first_entry_seconds", bench::Median(firsts));
  Result("tree_icon_seconds", bench::Median(icons));
  std::printf("drive %c: %zu folders; expand %.4f s, bare listing %.4f s (medians of %d)\n", letter,
              folders, bench::Median(expand), bench::Median(listing), repeats);
  Result("tree_folders", static_cast<double>(folders));
  Result("tree_expand_seconds", bench::Median(expand));
  Result("tree_listing_seconds", bench::Median(listing));
  std::fflush(stdout);
  return 0;
}

// The fill, then every row shown page by page and painted: with the titles on, each row's
// header is read when it is first drawn. Taken in turns ABBA.
int TimeTitles(const std::string& folder, int repeats) {
  const auto thumbs = ThumbnailsOrSay(folder);
  if (thumbs.empty()) return 2;
  ProgramFolder program(thumbs.front());
  Window window(program.path);
  app::TMainForm* form = window.form;
  ui::TListView* list = form->ltvPC;
  const auto withTitles = list->OnSecondLine;
  int titled = 0;
  const auto run = [&](bool titles) {
    list->OnSecondLine = titles ? withTitles : nullptr;
    int drawn = 0;
    const double seconds = bench::Seconds([&] {
      form->FillVideoList(folder, list, form->imlPC);
      UpdateWindow(list->Handle());
      const int page =
          std::max(1, static_cast<int>(SendMessageA(list->Handle(), LVM_GETCOUNTPERPAGE, 0, 0)));
      for (int row = 0; row < list->Count(); row += page) {
        const int last = std::min(row + page, list->Count()) - 1;
        SendMessageA(list->Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(last), FALSE);
        UpdateWindow(list->Handle());
        drawn = last + 1;
      }
    });
    if (titles) {
      titled = 0;
      for (int row = 0; row < drawn; ++row) titled += !withTitles(list, row).empty();
    }
    return seconds;
  };
  std::vector<double> with, without;
  for (int i = 0; i < repeats; ++i) {
    const bool titlesFirst = i % 2 == 0;
    (titlesFirst ? with : without).push_back(run(titlesFirst));
    (titlesFirst ? without : with).push_back(run(!titlesFirst));
  }
  list->OnSecondLine = withTitles;
  std::printf(
      "rows %d, %d with a title; fill and scroll %.4f s with titles, %.4f s without "
      "(medians of %d)\n",
      list->Count(), titled, bench::Median(with), bench::Median(without), repeats);
  Result("titles_rows", list->Count());
  Result("titles_titled_rows", titled);
  Result("scroll_titles_seconds", bench::Median(with));
  Result("scroll_no_titles_seconds", bench::Median(without));
  std::fflush(stdout);
  return 0;
}

// A full repaint of the main window, frame, controls and both filled lists, with the skin and
// without it, alternating so that both see the machine alike.
int TimePaint(const std::string& folder, int repeats) {
  const auto thumbs = ThumbnailsOrSay(folder);
  if (thumbs.empty()) return 2;
  ProgramFolder program(thumbs.front());
  Window window(program.path);
  app::TMainForm* form = window.form;
  form->FillVideoList(folder, form->ltvPC, form->imlPC);
  form->FillVideoList(folder, form->ltvPSP, form->imlPSP);
  HWND hwnd = form->Handle();
  const auto repaint = [hwnd] {
    for (int i = 0; i < 10; ++i) {
      RedrawWindow(hwnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      Pump();
      GdiFlush();
    }
  };
  std::vector<double> skinned, plain;
  for (int i = 0; i < repeats; ++i) {
    form->skSkinEngine1->SetActive(true);
    Pump();
    repaint();
    skinned.push_back(bench::Seconds(repaint) / 10);
    form->skSkinEngine1->SetActive(false);
    Pump();
    repaint();
    plain.push_back(bench::Seconds(repaint) / 10);
  }
  std::printf("rows %d in each list; full repaint %.5f s skinned, %.5f s plain (medians of %d)\n",
              form->ltvPC->Count(), bench::Median(skinned), bench::Median(plain), repeats);
  Result("paint_rows", form->ltvPC->Count());
  Result("paint_skinned_seconds", bench::Median(skinned));
  Result("paint_plain_seconds", bench::Median(plain));
  std::fflush(stdout);
  return 0;
}

// The fill with the rows' tips on, its tip window made and 100 rows' details read and kept
// (the fill lets them go), against the fill with the tips off after the same 100 files were
// read as much: the reading itself waits for the mouse and is not the fill's. Taken in turns
// ABBA, so that neither side always comes first.
int TimeTips(const std::string& folder, int repeats) {
  const auto thumbs = ThumbnailsOrSay(folder);
  if (thumbs.empty()) return 2;
  ProgramFolder program(thumbs.front());
  Window window(program.path);
  app::TMainForm* form = window.form;
  ui::TListView* list = form->ltvPC;
  const auto withTips = list->OnInfoTip;
  form->FillVideoList(folder, list, form->imlPC);
  const int readRows = std::min(100, list->Count());
  const auto fill = [&](bool tips) {
    list->OnInfoTip = tips ? withTips : nullptr;
    if (tips) {
      SendMessageA(list->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
      for (int row = 0; row < readRows; ++row) form->VideoTip(list, row);
    } else {
      std::vector<char> head(16384);
      for (int row = 0; row < readRows; ++row) {
        const auto file = window.fs.OpenReader(folder + list->Item(row).caption);
        if (file) file->ReadAt(0, head.data(), head.size());
      }
    }
    Pump();
    return bench::Seconds([&] { form->FillVideoList(folder, list, form->imlPC); });
  };
  std::vector<double> with, without;
  for (int i = 0; i < repeats; ++i) {
    const bool tipsFirst = i % 2 == 0;
    (tipsFirst ? with : without).push_back(fill(tipsFirst));
    (tipsFirst ? without : with).push_back(fill(!tipsFirst));
  }
  std::printf("rows %d; fill %.4f s with tips, %.4f s without (medians of %d)\n", list->Count(),
              bench::Median(with), bench::Median(without), repeats);
  Result("tips_rows", list->Count());
  Result("fill_tips_seconds", bench::Median(with));
  Result("fill_no_tips_seconds", bench::Median(without));
  std::fflush(stdout);
  return 0;
}

// The place of the picture a row shows, as the list asks for it.
int ShownPlace(HWND list, int row) {
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.iImage;
}

// The worst time the window took to answer a message sent every 5 ms from another thread while
// work() ran on this one.
double WorstAnswerDuring(HWND window, const std::function<void()>& work) {
  struct Probe {
    HWND window;
    volatile bool done = false;
    double worst = 0;
  } probe{window};
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto& state = *static_cast<Probe*>(p);
        while (!state.done) {
          const double start = Now();
          DWORD_PTR result = 0;
          SendMessageTimeoutA(state.window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
          state.worst = std::max(state.worst, Now() - start);
          Sleep(5);
        }
        return 0;
      },
      &probe, 0, nullptr);
  work();
  probe.done = true;
  while (WaitForSingleObject(thread, 1) == WAIT_TIMEOUT) Pump();
  CloseHandle(thread);
  return probe.worst;
}

// A person scrolling through a long list: STOPS stops spread over it, each reached at once
// (a drag of the scroll box), then the time until every row on screen shows its own picture.
// The baseline reads and decodes the same rows' thumbnails straight, on this thread.
int TimeScroll(const std::string& folder, int stops) {
  const auto thumbs = ThumbnailsOrSay(folder);
  if (thumbs.empty()) return 2;
  ProgramFolder program(thumbs.front());
  Window window(program.path);
  app::TMainForm* form = window.form;
  ui::TListView* list = form->ltvPC;
  HWND hwnd = list->Handle();
  form->FillVideoList(folder, list, form->imlPC);
  Pump();
  const int rows = list->Count();
  const int page = std::max(1, list->RowsInView());
  RECT r{LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(hwnd, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  const int rowHeight = std::max<int>(1, r.bottom - r.top);
  platform::Win32FileSystem plain;
  platform::JpegThumbnailDecoder decoder;
  platform::Thumbnail picture(form->imlPC->Width(), form->imlPC->Height());
  std::vector<unsigned char> bytes;
  std::vector<double> toPictures, straight;
  bool timedOut = false;
  const auto allShown = [&](int top) {
    for (int row = top; row < std::min(rows, top + page); ++row) {
      if (ShownPlace(hwnd, row) < library::RowPictures::BlankPlace + 1) return false;
    }
    return true;
  };
  const double busy = WorstAnswerDuring(form->Handle(), [&] {
    for (int stop = 1; stop <= stops; ++stop) {
      const int target = static_cast<int>(static_cast<long long>(rows - page) * stop / stops);
      const int top = list->TopIndex();
      const double start = Now();
      SendMessageA(hwnd, LVM_SCROLL, 0, (target - top) * rowHeight);
      UpdateWindow(hwnd);
      while (!allShown(list->TopIndex())) {
        if (Now() - start > 10) {
          timedOut = true;
          break;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Pump();
        UpdateWindow(hwnd);
      }
      toPictures.push_back(Now() - start);
      const int shownTop = list->TopIndex();
      straight.push_back(bench::Seconds([&] {
        for (int row = shownTop; row < std::min(rows, shownTop + page); ++row) {
          plain.ReadFile(folder + library::WithoutExtension(list->Item(row).caption) + ".THM",
                         bytes, platform::MaxJpegBytes);
          decoder.Decode(bytes.data(), bytes.size(), picture);
        }
      }));
    }
  });
  const double idle = WorstAnswerDuring(form->Handle(), [] {
    for (const double start = Now(); Now() - start < 1;) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      Pump();
    }
  });
  if (timedOut) std::fprintf(stderr, "a stop waited more than 10 s for its pictures\n");
  std::sort(toPictures.begin(), toPictures.end());
  std::printf(
      "rows %d, %d a page, %d stops: to every picture on screen median %.4f s, worst %.4f s; "
      "the same rows read straight %.4f s; worst answer %.1f ms scrolling, %.1f ms idle\n",
      rows, page, stops, bench::Median(toPictures), toPictures.back(), bench::Median(straight),
      busy * 1000, idle * 1000);
  Result("scroll_rows", rows);
  Result("scroll_to_pictures_seconds", bench::Median(toPictures));
  Result("scroll_to_pictures_worst_seconds", toPictures.back());
  Result("scroll_straight_seconds", bench::Median(straight));
  Result("scroll_worst_answer_seconds", busy);
  Result("idle_worst_answer_seconds", idle);
  std::fflush(stdout);
  return timedOut ? 1 : 0;
}

// Seconds since the process was created, as the system counts them.
double SinceProcessStart() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(now) - ticks(created)) / 1e7;
}

// Start-up in its parts, each the first of its kind in this process, in the order the program
// takes them; the main window then does the skin's work again, its own drive scan and first fill
// timed apart.
int TimeStartup(const std::string& folder, double atMain) {
  const std::vector<std::uint8_t> bytes = skin::BuiltInSkinBytes();
  const skin::SkinEmbedHost host = skin::Win32SkinEmbedHost();
  std::string name;
  const double write = bench::Seconds([&] {
    name = skin::TemporarySkinName(host.tempFolder(), host.newGuidText(), host.exists);
    host.save(name, bytes);
  });
  platform::Win32FileSystem files;
  skin::TskSkinReader reader(files);
  const double read = bench::Seconds([&] { reader.Load(name); });
  host.remove(name);
  const double pictures = bench::Seconds([&] { skin::LoadFrameArt(reader); });

  ProgramFolder program(folder + "DefaultPreview.THM");
  TimedFileSystem fs;
  TimedDrives drives;
  TimedPump pump;
  SilentDialogs dialogs;
  app::MainServices services;
  services.exePath = program.path + "Brevlo.exe";
  services.fs = &fs;
  services.pump = &pump;
  services.dialogs = &dialogs;
  services.drives = &drives;
  // What the PSP's drive tree asks the shell, the first time in this process: the main window
  // then finds the answers that are kept, and its build is timed without them.
  const double shell = bench::Seconds([] {
    platform::Win32ShellInfo names;
    names.ComputerFolder();
    const DWORD mask = GetLogicalDrives();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      if ((mask & (1u << (letter - 'A'))) == 0) continue;
      const std::string root = std::string(1, letter) + ":\\";
      names.DisplayName(root);
      names.SmallIcon(root);
      names.SmallOpenIcon(root);
    }
  });
  app::TMainForm::UseServices(services);
  // As the program makes its forms: the main one first; those it shows later are asked for
  // before it shows and made once it is painted.
  app::TMainForm* form = nullptr;
  const double build = bench::Seconds([&] { ui::Application->CreateForm(form); });
  app::TMainForm::UseServices(app::MainServices{});
  ui::Application->CreateForm(app::TransferForm, app::NewTransferForm);
  ui::Application->CreateForm(app::RenameForm, app::NewRenameForm);
  ui::Application->CreateForm(app::AboutForm, app::NewAboutForm);
  const double show = bench::Seconds([&] {
    form->Show();
    UpdateWindow(form->Handle());
    GdiFlush();
  });
  const double others = bench::Seconds([] { ui::Application->CreatePendingForms(); });
  std::printf(
      "start-up parts: process to main %.4f s, skin file written %.4f s and read %.4f s, skin's "
      "frame pictures %.4f s, drive tree's shell names and icons %.4f s, main window built %.4f s "
      "(drive scan %.4f s, file calls %.4f s), shown and painted %.4f s; after it: other forms "
      "built %.4f s\n",
      atMain, write, read, pictures, shell, build, drives.seconds, fs.seconds, show, others);
  Result("startup_process_seconds", atMain);
  Result("startup_skin_write_seconds", write);
  Result("startup_skin_read_seconds", read);
  Result("startup_skin_pictures_seconds", pictures);
  Result("startup_shell_seconds", shell);
  Result("startup_build_seconds", build);
  Result("startup_drive_scan_seconds", drives.seconds);
  Result("startup_file_seconds", fs.seconds);
  Result("startup_other_forms_seconds", others);
  Result("startup_show_seconds", show);
  std::fflush(stdout);
  delete form;
  return 0;
}

// Handles the messages waiting, as a transfer does between the steps of a copy.
void ServeWindows() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

DWORD CALLBACK ServeBetweenChunks(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                                  DWORD, HANDLE, HANDLE, LPVOID last) {
  double& served = *static_cast<double*>(last);
  if (Now() - served >= 0.015) {
    ServeWindows();
    served = Now();
  }
  return PROGRESS_CONTINUE;
}

// A copy of the files one by one, in one of the ways a transfer could make it:
//   system   CopyFileA, in one piece
//   systemex CopyFileExW with a progress routine that serves the windows every 15 ms
//   steps    the program's own copy in steps, serving the windows between them
int TimeCopy(const std::string& how, const std::string& toFolder,
             const std::vector<std::string>& files) {
  platform::Win32FileSystem fs;
  bool ok = true;
  const double seconds = bench::Seconds([&] {
    for (const auto& from : files) {
      const std::string to = toFolder + from.substr(from.find_last_of('\\') + 1);
      if (how == "system") {
        ok = CopyFileA(from.c_str(), to.c_str(), FALSE) && ok;
      } else if (how == "systemex") {
        const std::wstring wideFrom(from.begin(), from.end()), wideTo(to.begin(), to.end());
        double served = Now();
        ok = CopyFileExW(wideFrom.c_str(), wideTo.c_str(), ServeBetweenChunks, &served, nullptr,
                         0) &&
             ok;
      } else {
        ok = fs.CopyInSteps(from, to,
                            [](std::uint64_t, std::uint64_t) {
                              ServeWindows();
                              return true;
                            }) == platform::CopyResult::Done &&
             ok;
      }
    }
  });
  if (!ok) std::fprintf(stderr, "a copy (%s) failed: %lu\n", how.c_str(), GetLastError());
  Result("copy_seconds", seconds);
  std::fflush(stdout);
  return ok ? 0 : 1;
}

// The longest a window took to answer a message sent from here, every 20 ms until done()
// says so, as Windows asks before it calls a window hung. An answer counts from when its
// question was due, 20 ms after the last answer: a call that stalls Wine as a whole holds up
// this program's question too, and the user waits all the same.
double WorstAnswer(HWND window, const std::function<bool()>& done, double limit) {
  double worst = 0;
  double due = Now();
  // Asleep until the next question or for 10 ms: a tighter watch would take the time it measures.
  for (const double start = Now(); !done() && Now() - start < limit;) {
    const double now = Now();
    if (now < due) {
      Sleep(static_cast<DWORD>(std::clamp((due - now) * 1000, 1.0, 10.0)));
      continue;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    const double answered = Now();
    worst = std::max(worst, answered - due);
    due = answered + 0.020;
  }
  return worst;
}

HWND ShownWindow(const std::string& title) {
  HWND window = FindWindowA(nullptr, title.c_str());
  return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

// A person's click on a button of another program's window, in the same desktop, timed until
// a window titled BOX is shown; the box is then answered with its default button.
int TimeClick(const std::string& title, const std::string& button, const std::string& box) {
  HWND main = nullptr;
  for (const double start = Now(); main == nullptr && Now() - start < 60; Sleep(50)) {
    main = ShownWindow(title);
  }
  if (main == nullptr) {
    std::fprintf(stderr, "no window \"%s\"\n", title.c_str());
    return 1;
  }
  struct Search {
    const std::string& text;
    HWND found;
  } search{button, nullptr};
  EnumChildWindows(
      main,
      [](HWND child, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        char cls[32] = {}, text[256] = {};
        GetClassNameA(child, cls, sizeof cls);
        GetWindowTextA(child, text, sizeof text);
        if (lstrcmpiA(cls, "Button") != 0 || s.text != text) return TRUE;
        s.found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) {
    std::fprintf(stderr, "no button \"%s\" in \"%s\"\n", button.c_str(), title.c_str());
    return 1;
  }
  // A click during the program's start-up fill would be handled among the fill's messages,
  // on a list still being filled: the click waits until the program waits for input.
  DWORD processId = 0;
  GetWindowThreadProcessId(main, &processId);
  if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId)) {
    WaitForInputIdle(process, 30000);
    CloseHandle(process);
  }
  RECT r{};
  GetWindowRect(search.found, &r);
  SetForegroundWindow(main);
  // The position goes with each event: a cursor only set may not yet be where the display
  // puts the press.
  const int x = (r.left + r.right) / 2;
  const int y = (r.top + r.bottom) / 2;
  SetCursorPos(x, y);
  Sleep(200);
  INPUT press[2] = {};
  for (INPUT& input : press) {
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  press[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
  // Pressed and released apart, as a hand does: the button acts on the release.
  SendInput(1, &press[0], sizeof(INPUT));
  // The same program idle, as the baseline of its answers during the work.
  const double idle = WorstAnswer(
      main, [] { return false; }, 1.0);
  const double start = Now();
  SendInput(1, &press[1], sizeof(INPUT));
  HWND shown = nullptr;
  double seconds = 0;
  const double busy = WorstAnswer(
      main,
      [&] {
        if ((shown = ShownWindow(box)) != nullptr && seconds == 0) seconds = Now() - start;
        return shown != nullptr;
      },
      600);
  if (shown == nullptr) {
    std::fprintf(stderr, "no window \"%s\" after the click\n", box.c_str());
    return 1;
  }
  Result("click_seconds", seconds);
  Result("worst_answer_busy_seconds", busy);
  Result("worst_answer_idle_seconds", idle);
  std::fflush(stdout);
  PostMessageA(shown, WM_COMMAND, IDOK, 0);
  for (const double end = Now(); ShownWindow(box) != nullptr && Now() - end < 10;) Sleep(20);
  return ShownWindow(box) == nullptr ? 0 : 1;
}

}  // namespace

// The fill with pictures on and off, each in a window of its own made for it (the setting is read
// at start, and a new window has no picture yet), in turns ABBA.
int TimePictures(const std::string& folder, int repeats) {
  ProgramFolder program(folder + "DefaultPreview.THM");
  const auto fill = [&](bool pictures) {
    const std::string prefs =
        "[Main]\r\nFrame Thumbnails=" + std::string(pictures ? "1" : "0") + "\r\n";
    HANDLE file = CreateFileA((program.path + "Preferences.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, prefs.data(), static_cast<DWORD>(prefs.size()), &written, nullptr);
    CloseHandle(file);
    Window window(program.path);
    const double seconds = bench::Seconds(
        [&] { window.form->FillVideoList(folder, window.form->ltvPC, window.form->imlPC); });
    return std::make_pair(seconds, window.form->ltvPC->Count());
  };
  std::vector<double> on, off;
  int rows = 0;
  for (int i = 0; i < repeats; ++i) {
    const bool onFirst = i % 2 == 0;
    const auto a = fill(onFirst);
    const auto b = fill(!onFirst);
    (onFirst ? on : off).push_back(a.first);
    (onFirst ? off : on).push_back(b.first);
    rows = a.second;
  }
  std::printf("rows %d; fill %.4f s with pictures, %.4f s without (medians of %d)\n", rows,
              bench::Median(on), bench::Median(off), repeats);
  Result("pictures_rows", rows);
  Result("fill_pictures_seconds", bench::Median(on));
  Result("fill_no_pictures_seconds", bench::Median(off));
  std::fflush(stdout);
  return 0;
}

int TimeThumbs(const std::string& folder) {
  WIN32_FIND_DATAA data;
  std::vector<std::string> names;
  HANDLE find = FindFirstFileA((folder + "*.mp4").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do names.push_back(data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
  }
  CreateDirectoryA((folder + "out").c_str(), nullptr);
  media::VideoPictures pictures;
  int made = 0;
  const double seconds = bench::Seconds([&] {
    for (const auto& name : names) {
      const auto jpeg = pictures.ThumbnailOf(folder + name);
      if (jpeg.empty()) continue;
      HANDLE out = CreateFileA((folder + "out\\" + name + ".jpg").c_str(), GENERIC_WRITE, 0,
                               nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      DWORD written = 0;
      WriteFile(out, jpeg.data(), static_cast<DWORD>(jpeg.size()), &written, nullptr);
      CloseHandle(out);
      ++made;
    }
  });
  std::printf("%d pictures of %zu videos in %.3f s\n", made, names.size(), seconds);
  Result("thumbs_made", made);
  Result("thumbs_seconds", seconds);
  std::fflush(stdout);
  return made == static_cast<int>(names.size()) ? 0 : 1;
}

// The conversion as the transfer runs it, less the window: its steps back to back.
int TimeConversion(const std::string& source, const std::string& target, bool avc) {
  std::string error;
  const double started = SinceProcessStart();
  auto job = media::Conversion::Open(
      source, target, avc ? media::TargetKind::Avc : media::TargetKind::Mpeg4, error, "Bench");
  if (!job) {
    std::fprintf(stderr, "cannot convert: %s\n", error.c_str());
    return 1;
  }
  media::Conversion::Step step = media::Conversion::Step::Working;
  int steps = 0;
  while (step == media::Conversion::Step::Working) {
    step = job->Run();
    ++steps;
  }
  job.reset();
  const double seconds = SinceProcessStart() - started;
  std::printf("conversion in %d steps: %.3f s\n", steps, seconds);
  Result("convert_seconds", seconds);
  std::fflush(stdout);
  return step == media::Conversion::Step::Done ? 0 : 1;
}

int main(int argc, char** argv) {
  const double atMain = SinceProcessStart();
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: fill_bench time FOLDER [REPEATS] [whole] | fill_bench memory FOLDER | "
                 "fill_bench tree DRIVE [REPEATS] | fill_bench paint FOLDER [REPEATS] | fill_bench "
                 "tips FOLDER [REPEATS] | fill_bench titles FOLDER [REPEATS] | fill_bench copy HOW "
                 "TOFOLDER FILE... | "
                 "fill_bench click TITLE BUTTON BOX | fill_bench close TITLE | fill_bench startup "
                 "FOLDER | fill_bench hold SECONDS\n");
    return 2;
  }
  ui::TApplication application;
  application.Initialize();
  const std::string mode = argv[1];
  const std::string folder = WithBackslash(argv[2]);
  if (mode == "time") {
    return TimeFill(folder, argc > 3 ? std::max(1, std::atoi(argv[3])) : 5,
                    !(argc > 4 && std::string(argv[4]) == "whole"));
  }
  if (mode == "memory") return MeasureMemory(folder);
  if (mode == "paint") return TimePaint(folder, argc > 3 ? std::max(1, std::atoi(argv[3])) : 9);
  if (mode == "pictures") {
    return TimePictures(folder, argc > 3 ? std::max(1, std::atoi(argv[3])) : 5);
  }
  if (mode == "thumbs") return TimeThumbs(folder);
  if (mode == "scroll") return TimeScroll(folder, argc > 3 ? std::max(1, std::atoi(argv[3])) : 40);
  if (mode == "tips") return TimeTips(folder, argc > 3 ? std::max(1, std::atoi(argv[3])) : 9);
  if (mode == "titles") return TimeTitles(folder, argc > 3 ? std::max(1, std::atoi(argv[3])) : 5);
  if (mode == "tree") return TimeTree(argv[2][0], argc > 3 ? std::max(1, std::atoi(argv[3])) : 5);
  if (mode == "click" && argc > 4) return TimeClick(argv[2], argv[3], argv[4]);
  if (mode == "close") {
    HWND window = ShownWindow(argv[2]);
    if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
    return window != nullptr ? 0 : 1;
  }
  if (mode == "copy" && argc > 3) {
    return TimeCopy(argv[2], WithBackslash(argv[3]),
                    std::vector<std::string>(argv + 4, argv + argc));
  }
  if (mode == "startup") return TimeStartup(folder, atMain);
  if (mode == "convert" && argc > 3) {
    return TimeConversion(argv[2], argv[3], argc > 4 && std::string(argv[4]) == "avc");
  }
  if (mode == "hold") {
    // Keeps Wine's desktop up while other programs start and end, as a desktop is on Windows.
    Sleep(static_cast<DWORD>(std::max(1, std::atoi(argv[2]))) * 1000);
    return 0;
  }
  std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
  return 2;
}
