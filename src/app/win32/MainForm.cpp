#include "app/win32/MainForm.h"

#include <windows.h>

#include <cstdlib>

#include "about/win32/AboutForm.h"
#include "app/VideoConverter.h"
#include "app/win32/MainFormTransferHost.h"
#include "library/PspDetection.h"
#include "library/PspNaming.h"
#include "media/PictureWorker.h"
#include "operations/VideoPaths.h"
#include "operations/win32/TitleForm.h"
#include "operations/win32/TransferForm.h"
#include "platform/win32/BrowseForFolder.h"
#include "platform/win32/Win32Platform.h"
#include "skin/win32/BuiltInSkin.h"
#include "skin/win32/SkinEngine.h"
#include "ui/AppPorts.h"

namespace brevlo::app {

TMainForm* MainForm = nullptr;

namespace {
MainServices& PendingServices() {
  static MainServices services;
  return services;
}

std::string OwnExecutablePath() {
  char path[MAX_PATH * 4] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}
}  // namespace

// The rows of one list view, with what their pictures are read from.
class ListViewSink : public library::IVideoListSink {
 public:
  ListViewSink(ui::TListView* list, library::RowPictures& pictures)
      : list_(list), pictures_(pictures) {}
  ~ListViewSink() override {
    if (updating_) list_->EndUpdate();
  }

  void Clear() override {
    // Rows go in with the list's drawing held off; it shows them every so often, so that a
    // long fill is seen to progress without a repaint per row.
    if (!updating_) list_->BeginUpdate();
    updating_ = true;
    shown_ = GetTickCount64();
    list_->Clear();
    pictures_.Clear();
  }

  void Reserve(std::size_t count) override { list_->Reserve(static_cast<int>(count)); }

  void AddVideo(const library::ListedVideo& video, const std::string& sizeText) override {
    list_->AddItem(video.name, sizeText, -1);
    pictures_.AddRow(video);
    if (updating_ && GetTickCount64() - shown_ >= ShowEveryMs) {
      list_->EndUpdate();
      list_->BeginUpdate();
      shown_ = GetTickCount64();
    }
  }

  // The rows drawn at last, after their first pictures are in.
  void Finish() {
    if (updating_) list_->EndUpdate();
    updating_ = false;
  }

 private:
  ui::TListView* list_;
  library::RowPictures& pictures_;
  static constexpr ULONGLONG ShowEveryMs = 150;
  bool updating_ = false;
  ULONGLONG shown_ = 0;
};

// The window's messages during a fill, handled before a row only when the last round is a
// few milliseconds old: under Wine a round costs as much as reading a thumbnail, and a window
// that answers within a frame looks no different to the user.
class FillPump : public platform::IMessagePump {
 public:
  explicit FillPump(platform::IMessagePump& inner) : inner_(inner) {}
  void ProcessMessages() override {
    const ULONGLONG now = GetTickCount64();
    if (pumped_ && now - last_ < IntervalMs) return;
    inner_.ProcessMessages();
    pumped_ = true;
    last_ = GetTickCount64();
  }

 private:
  static constexpr ULONGLONG IntervalMs = 15;
  platform::IMessagePump& inner_;
  bool pumped_ = false;
  ULONGLONG last_ = 0;
};

namespace {
// The window in front owns a box, but never the progress window: a box disables its owner, and
// Stop has to stay usable while a transfer asks its question.
void* BoxOwner(TMainForm& form) {
  HWND front = ui::Application != nullptr ? ui::Application->FrontWindow() : nullptr;
  if (front == nullptr || (TransferForm != nullptr && TransferForm->HandleAllocated() &&
                           front == TransferForm->Handle())) {
    return form.Handle();
  }
  return front;
}
}  // namespace

struct TMainForm::OwnedAdapters {
  explicit OwnedAdapters(TMainForm& form)
      : dialogs([&form] { return BoxOwner(form); },
                [] { return ui::Application != nullptr ? ui::Application->Title : std::string(); }),
        shell([&form] { return static_cast<void*>(form.Handle()); }) {
    fs.ServeWindowsWith(&pump);
  }
  platform::Win32FileSystem fs;
  platform::Win32Profile profile;
  platform::Win32Locale locale;
  platform::Win32Dialogs dialogs;
  ui::AppPump pump;
  platform::Win32Shell shell;
  platform::Win32Drives drives;
};

TMainForm::~TMainForm() {
  // The application may have let it go first, at the program's end.
  if (titleFormAlive_ != nullptr && *titleFormAlive_ != nullptr) delete TitleForm;
  TitleForm = nullptr;
  dropPC_.Revoke();
  dropPSP_.Revoke();
  if (oleReady_) OleUninitialize();
  transferHost_.reset();
  pictures_.reset();  // its thread gone before the window
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::UseServices(const MainServices& services) {
  PendingServices() = services;
}

TMainForm::TMainForm(ui::TComponent* owner)
    : ui::TForm(owner), adapters_(std::make_unique<OwnedAdapters>(*this)) {
  MainForm = this;
  Name = "MainForm";
  services_ = PendingServices();
  if (services_.fs == nullptr) services_.fs = &adapters_->fs;
  if (services_.profile == nullptr) services_.profile = &adapters_->profile;
  if (services_.locale == nullptr) services_.locale = &adapters_->locale;
  if (services_.dialogs == nullptr) services_.dialogs = &adapters_->dialogs;
  if (services_.pump == nullptr) services_.pump = &adapters_->pump;
  if (services_.shell == nullptr) services_.shell = &adapters_->shell;
  if (services_.drives == nullptr) services_.drives = &adapters_->drives;
  if (services_.exePath.empty()) services_.exePath = OwnExecutablePath();

  BeginLoading();
  BorderStyle = ui::TBorderStyle::Single;
  BorderIcons = ui::biSystemMenu | ui::biMinimize;
  Position = ui::TPosition::ScreenCenter;
  Font.SetSize(8);
  SetClientSize(661, 516);
  BuildControls();
  BuildMenus();
  BuildSkinEngine();
  OnClose = [this](ui::TObject* sender, ui::TCloseAction& action) { FormClose(sender, action); };
  Handle();
  // The skin is read and the window wrapped before the form's own start-up, which may already
  // ask a question in a message box.
  EndLoading();
  RegisterDrops();
  LoadArtwork();
  FormCreate();
  TitlePorts ports{services_.fs, services_.dialogs, services_.pump,
                   [] { return static_cast<operations::ITransferProgress*>(TransferForm); },
                   TitleEncoder()};
  // A window of its own beside this one, as the other forms are, but made and let go here.
  TitleForm = new TTitleForm(Owner(), this, std::move(ports));
  titleFormAlive_ = TitleForm->Observe();
}

void TMainForm::DpiChanged() {
  ui::TForm::DpiChanged();
  // The pictures are read again at the new size, as the rows are shown.
  for (int which = 0; which < 2; ++which) {
    if (!rowPictures_[which]) continue;
    ui::TImageList* images = which == 0 ? imlPC : imlPSP;
    images->SetSize(Scaled(platform::ThumbnailWidth), Scaled(platform::ThumbnailHeight));
    rowPictures_[which]->Forget();
    if (!pictures_) continue;  // not started yet: nothing shown
    pictures_->Drop(which);
    PreparePlaces(which);
    (which == 0 ? ltvPC : ltvPSP)->ImagesChanged();
    asked_[which][0] = asked_[which][1] = 0;
    WantPictures(which);
  }
}

void TMainForm::BuildSkinEngine() {
  std::string error;
  skSkinEngine1 = skin::TskSkinEngine::Create(this, error);
  skSkinEngine1->Name = "skSkinEngine1";
  skSkinEngine1->SetActive(true);
  // No skin file is looked for: one lying in whatever folder the program starts from would be
  // read. The skin carried with the form is the only one.
  skSkinEngine1->DisabledTag = 9999;
  skSkinEngine1->DrawScrollBar = true;
  skSkinEngine1->SetBuiltIn(true);
  skSkinEngine1->SkinDialogs = true;
  skSkinEngine1->SetSkinAllForms(true);
  skSkinEngine1->SkinData = skin::BuiltInSkinBytes();
}

namespace {

// A style naming a font the system lacks gets a family every Windows has (a Windows without
// system-wide font fallback would otherwise draw nothing), then a font file of the system's.
media::SubtitleFonts SystemSubtitleFonts() {
  media::SubtitleFonts fonts;
  fonts.fallbackFamily = "Tahoma";
  char windows[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return fonts;
  for (const char* name : {"arial.ttf", "tahoma.ttf", "segoeui.ttf"}) {
    const std::string path = std::string(windows) + "\\Fonts\\" + name;
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
      fonts.fallbackFile = path;
      break;
    }
  }
  return fonts;
}

}  // namespace

void TMainForm::FormCreate() {
  // 1-3: the banner has not turned yet; the program's folder and the marker beside it.
  values_ = MakeAppValues(FolderOfExecutable(services_.exePath));
  // 4: preferences.
  const StartupPreferences prefs = ReadPreferences(*services_.profile, values_);
  values_.ProgramVersion = prefs.version;
  pspTitles_ = prefs.pspTitles;
  framePictures_ = prefs.frameThumbnails;
  convert_ = prefs.convert;
  if (convert_) {
    SubtitleSettings subtitles;
    subtitles.draw = prefs.subtitles;
    subtitles.viewerLanguage = services_.locale->DisplayLanguage();
    subtitles.fonts = SystemSubtitleFonts();
    converter_ = std::make_unique<VideoConverter>(*services_.fs, nullptr, std::move(subtitles));
  }
  StartPictures();
  edtPath->SetText(prefs.outputPath);
  // 6-7: help file and the task bar's title.
  HelpFile = values_.HelpFile;
  if (ui::Application != nullptr) {
    ui::Application->HelpFile = values_.HelpFile;
    ui::Application->Title = values_.ProductName;
  }
  SetCaption(WindowTitle(values_));
  // 9-12: title area and the video kind.
  labTitle1->SetCaption(values_.ProductName);
  labTitle2->SetCaption(values_.ProductName);
  labVersion->SetCaption("Version " + values_.ProgramVersion);
  labWebsite->SetCaption("Visit our website: " + values_.WebSiteUrl);
  cmbType->SetItemIndex(library::Mpeg4);
  folders_.SetKind(library::Mpeg4);
  // 13-15: the PSP scan, the PC list, then the PSP refresh.
  DetectPspDrive();
  FillVideoList(edtPath->Text(), ltvPC, imlPC);
  btnRefreshPSPClick(this);
  // The banner turns from the start.
  Timer1->SetEnabled(true);
}

void TMainForm::FormClose(ui::TObject*, ui::TCloseAction& action) {
  if (StopForEnd()) {
    action = ui::TCloseAction::None;
    return;
  }
  const SaveOutcome outcome =
      SaveOutputPath(*services_.profile, *services_.fs, values_, edtPath->Text());
  if (outcome == SaveOutcome::Failed) {
    // Say so, but never keep the user from quitting.
    services_.dialogs->ShowError(UnableToWriteText(PreferencesPath(values_)));
  }
  action = ui::TCloseAction::Free;
}

void TMainForm::FillVideoList(const std::string& folder, ui::TListView* list, ui::TImageList*) {
  // A PC folder without its drive or share would be read against the current folder.
  if (list == ltvPC && !operations::IsRootedFolder(folder)) return;
  const int which = list == ltvPC ? 0 : 1;
  // Only a fill that lists its folder takes the list over; a folder that does not exist leaves
  // a running fill alone.
  unsigned generation = 0;
  ListViewSink sink(list, *rowPictures_[which]);
  FillPump pump(*services_.pump);
  library::FillEnvironment env{*services_.fs, *services_.locale, pump, values_.AppFolder, nullptr};
  env.listed = [&] {
    generation = ++fillGeneration_[which];
    details_[which].clear();
    if (pictures_) pictures_->Drop(which);
    pictureFolder_[which] = library::WithTrailingBackslash(folder);
    jpegError_[which] = 0;
    jpegReported_[which] = false;
    asked_[which][0] = asked_[which][1] = 0;
    // The PSP list is only ever filled from the PSP folder that the drive and kind make.
    if (list == ltvPC) folders_.SetPcFolder(folder);
  };
  env.superseded = [&] { return fillGeneration_[which] != generation; };
  // The PC list shows what can be converted on the way; the PSP keeps only what it plays.
  env.otherVideos = list == ltvPC && convert_;
  const library::FillReport report = library::FillVideoList(folder, sink, env);
  // A newer fill has left list, count and folder consistent with each other.
  if (!report.listed || report.superseded) return;
  ShowFirstPictures(which);
  sink.Finish();
  labPCNum->SetCaption(std::to_string(ltvPC->Count()));
  labPSPNum->SetCaption(std::to_string(ltvPSP->Count()));
  if (jpegError_[which] != 0 && !jpegReported_[which]) {
    jpegReported_[which] = true;
    services_.dialogs->ShowError(platform::JpegErrorText(jpegError_[which]));
  }
}

std::string TMainForm::SelectionSummaryOf(ui::TListView* list) {
  const std::vector<int> selected = list->SelectedIndexes();
  if (selected.empty()) return {};
  const char separator = services_.locale->DecimalSeparator();
  double total = 0;
  for (int index : selected) {
    const auto& item = list->Item(index);
    total +=
        library::ParseSizeMB(item.subItems.empty() ? std::string() : item.subItems[0], separator);
  }
  return library::SelectionSummary(static_cast<int>(selected.size()), total, separator);
}

void TMainForm::ShowSelectionSummary(ui::TListView* list, int panel) {
  const std::string text = SelectionSummaryOf(list);
  if (!text.empty()) StatusBar1->SetPanelText(panel, text);
}

void TMainForm::ltvPCClick(ui::TObject*) {
  ShowSelectionSummary(ltvPC, 0);
}

void TMainForm::ltvPSPClick(ui::TObject*) {
  ShowSelectionSummary(ltvPSP, 2);
}

void TMainForm::btnBrowseClick(ui::TObject*) {
  if (transferRunning_) return;
  // The dialog forgets a start folder that is gone, and so does the PC side, even on Cancel.
  std::string folder = folders_.PcFolder();
  const bool picked = platform::BrowseForFolder(Handle(), "Select the video directory.", folder);
  folders_.SetPcFolder(folder);
  if (picked) {
    FillVideoList(folder, ltvPC, imlPC);
    edtPath->SetText(folder);
  }
}

void TMainForm::edtPathKeyPress(ui::TObject*, char& key) {
  if (key == '\r' && !transferRunning_) {
    key = 0;  // no beep from the edit
    FillVideoList(edtPath->Text(), ltvPC, imlPC);
  }
}

void TMainForm::btnRefreshPCClick(ui::TObject*) {
  if (transferRunning_ && !transferRefresh_) return;
  FillVideoList(edtPath->Text(), ltvPC, imlPC);
}

void TMainForm::btnRefreshPSPClick(ui::TObject*) {
  if (transferRunning_ && !transferRefresh_) return;
  if (EnsurePspConnected()) {
    LoadPspList();
  } else {
    services_.dialogs->Show(library::NoPspText, library::NoPspCaption,
                            platform::MbOk | platform::MbIconInformation);
  }
}

bool TMainForm::DetectPspDrive() {
  const auto root = library::FindPspDrive(*services_.drives, *services_.fs);
  if (!root) return false;
  folders_.SetPspDrive(*root);
  cmbPSP->SetSelectedPath(*root + "\\");
  cmbPSP->SetText("(" + *root + ")");
  cmbPSPPathChange(this, cmbPSP->SelectedPath());
  return true;
}

bool TMainForm::EnsurePspConnected() {
  if (library::PspReachable(folders_.PspDrive(), *services_.fs)) return true;
  const platform::Answer answer =
      services_.dialogs->Show(library::PspConnectionText, library::PspConnectionCaption,
                              platform::MbYesNo | platform::MbIconInformation);
  return answer == platform::Answer::Yes && DetectPspDrive();
}

void TMainForm::LoadPspList() {
  // The transfer works on the list and folders as they are, until it reloads them itself.
  if (transferRunning_ && !transferRefresh_) return;
  folders_.SetKind(cmbType->ItemIndex() == 0 ? library::Mpeg4 : library::Mpeg4Avc);
  // A choice without a drive ("Drives", or nothing yet) is no PSP at all: nothing is listed,
  // rather than whatever drive happens to be current.
  folders_.SetPspDrive(library::PspDriveOf(cmbPSP->SelectedPath()));
  if (folders_.PspDrive().empty()) return;
  FillVideoList(folders_.PspFolder(), ltvPSP, imlPSP);
}

void TMainForm::cmbPSPPathChange(ui::TObject*, const std::string&) {
  LoadPspList();
}

void TMainForm::cmbTypeChange(ui::TObject*) {
  LoadPspList();
}

void TMainForm::labAboutClick(ui::TObject*) {
  if (AboutForm != nullptr) AboutForm->Show();
}

void TMainForm::labWebsiteClick(ui::TObject*) {
  services_.shell->Open(values_.HomePageUrl);
}

}  // namespace brevlo::app
