#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppValues.h"
#include "dirtree/win32/FileExplorer.h"
#include "library/PaneFolders.h"
#include "library/RowPictures.h"
#include "library/VideoList.h"
#include "operations/DeleteVideos.h"
#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/JpegDecoder.h"
#include "platform/Locale.h"
#include "platform/MessagePump.h"
#include "platform/Profile.h"
#include "platform/Shell.h"
#include "ui/ComCtrls.h"
#include "ui/DragDrop.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "video/Mp4Info.h"

namespace brevlo::skin {
class TskSkinEngine;
}
namespace brevlo::operations {
class IVideoConverter;
struct TransferStopFlag;
}  // namespace brevlo::operations
namespace brevlo::media {
class IVideoPictures;
class PictureWorker;
struct PictureDone;
}  // namespace brevlo::media

namespace brevlo::app {

class VideoConverter;

// What the main window needs of the system; tests may put their own shell in.
struct MainServices {
  platform::IFileSystem* fs = nullptr;
  platform::IProfile* profile = nullptr;
  platform::ILocale* locale = nullptr;
  platform::IDialogs* dialogs = nullptr;
  platform::IMessagePump* pump = nullptr;
  platform::IShell* shell = nullptr;
  platform::IDrives* drives = nullptr;
  media::IVideoPictures* pictures = nullptr;
  std::string exePath;  // empty: the running program's own path
};

class ListViewSink;
class TTitleForm;

class TMainForm : public ui::TForm {
  BREVLO_CLASS(TMainForm, ui::TForm)
 public:
  explicit TMainForm(ui::TComponent* owner);
  ~TMainForm() override;

  // Used by the next TMainForm created; the Win32 adapters when never called.
  static void UseServices(const MainServices& services);

  // Title area.
  ui::TPanel* panTop;
  ui::TImage* Image1;
  ui::TImage* Image3;
  ui::TLabel* labTitle2;
  ui::TLabel* labTitle1;
  ui::TLabel* labAbout;
  ui::TLabel* labWebsite;
  ui::TLabel* labVersion;
  ui::TPanel* Panel1;
  ui::TImage* Image2;
  // Paths.
  ui::TLabel* labPath;
  ui::TEdit* edtPath;
  ui::TButton* btnBrowse;
  ui::TLabel* labPSP;
  dirtree::TDirTreeCombo* cmbPSP;
  // The two panes.
  ui::TGroupBox* gpbPC;
  ui::TListView* ltvPC;
  ui::TGroupBox* gpbPSP;
  ui::TLabel* Label3;
  ui::TComboBox* cmbType;
  ui::TListView* ltvPSP;
  // Operations between them.
  ui::TButton* btnMovePSP;
  ui::TButton* btnCopyPSP;
  ui::TButton* btnMovePC;
  ui::TButton* btnCopyPC;
  ui::TButton* btnRename;
  ui::TButton* btnDelete;
  // Under the panes.
  ui::TButton* btnRefreshPC;
  ui::TLabel* Label1;
  ui::TLabel* labPCNum;
  ui::TButton* btnRefreshPSP;
  ui::TLabel* Label2;
  ui::TLabel* labPSPNum;
  ui::TStatusBar* StatusBar1;
  ui::TImage* imgPreview;
  ui::TImageList* imlPC;
  ui::TImageList* imlPSP;
  ui::TImageList* imladv;
  ui::TTimer* Timer1;
  skin::TskSkinEngine* skSkinEngine1;
  ui::TPopupMenu* PopupMenu1;
  ui::TMenuItem* Play1;
  ui::TMenuItem* Openthedirectory1;
  ui::TMenuItem* Move1;
  ui::TMenuItem* Copy1;
  ui::TMenuItem* Rename1;
  ui::TMenuItem* Delete1;
  ui::TPopupMenu* PopupMenu2;
  ui::TMenuItem* Play2;
  ui::TMenuItem* Openthedirectory2;
  ui::TMenuItem* Move2;
  ui::TMenuItem* Copy2;
  ui::TMenuItem* Rename2;
  ui::TMenuItem* Delete2;
  ui::TMenuItem* SetTitle2;
  ui::TMenuItem* MakeThumbnails2;
  // The window of "Set Title...", made with the others and given what it works with.
  TTitleForm* TitleForm = nullptr;

  // The folders the two lists show; the transfer is handed them, tests set them as they need.
  const library::PaneFolders& Folders() const { return folders_; }
  library::PaneFolders& Folders() { return folders_; }

  const AppValues& Values() const { return values_; }
  MainServices& Services() { return services_; }

  void FormCreate();
  void FormClose(ui::TObject* sender, ui::TCloseAction& action);
  // Fills one of the two lists from a folder; a folder that does not exist changes nothing.
  void FillVideoList(const std::string& folder, ui::TListView* list, ui::TImageList* images);

  void ltvPCClick(ui::TObject* sender);
  void ltvPSPClick(ui::TObject* sender);
  void btnBrowseClick(ui::TObject* sender);
  void edtPathKeyPress(ui::TObject* sender, char& key);
  void btnRefreshPCClick(ui::TObject* sender);
  void btnRefreshPSPClick(ui::TObject* sender);
  // The PSP side: finding the drive, checking it is still there, listing the chosen kind.
  bool DetectPspDrive();
  bool EnsurePspConnected();
  void LoadPspList();
  void cmbPSPPathChange(ui::TObject* sender, const std::string& selectedPath);
  void cmbTypeChange(ui::TObject* sender);
  // The four transfer buttons.
  void btnMovePSPClick(ui::TObject* sender);
  void btnCopyPSPClick(ui::TObject* sender);
  void btnMovePCClick(ui::TObject* sender);
  void btnCopyPCClick(ui::TObject* sender);
  void TransferVideos(int mode);
  // Files dropped from another program: CopyToPsp or CopyToPc.
  void TransferDroppedFiles(int mode, const std::vector<std::string>& paths);
  // While a transfer runs, the windows are served during its copies, and no other operation may
  // start meanwhile, however its command arrives.
  bool TransferRunning() const { return transferRunning_; }
  // Renaming and deleting.
  void btnRenameClick(ui::TObject* sender);
  void SetTitle2Click(ui::TObject* sender);
  // Writes a picture of each selected PSP video without a thumbnail as its thumbnail.
  void MakeThumbnails2Click(ui::TObject* sender);
  // A video's picture as a thumbnail file's bytes, empty for none; made once per file, size and
  // time for the program's life. Blocks: call it off the window's thread.
  // stop: asked while the picture is made; true gives it up (nothing is then kept).
  std::vector<std::uint8_t> PictureOfFile(const std::string& path,
                                          const std::function<bool()>& stop = {});
  // Rows waiting for their pictures (tests wait on it).
  std::size_t PicturesPending() const;
  // The place in its list's image list of the picture a row shows now.
  int RowImage(int which, int row);
  // While files are moved, replaced, deleted or converted no picture is made.
  void PausePictures();
  void ResumePictures();
  void Rename1Click(ui::TObject* sender);
  void btnDeleteClick(ui::TObject* sender);
  void Delete1Click(ui::TObject* sender);
  std::vector<std::string> SelectedCaptions(ui::TListView* list);
  // Playing, opening folders, double clicks and dragging rows between the lists.
  // row: the one to open when it is selected (Enter opens the focused row); otherwise the
  // first selected.
  void PlaySelectedVideo(ui::TListView* list, int row = -1);
  void Play1Click(ui::TObject*) { PlaySelectedVideo(ltvPC); }
  void Play2Click(ui::TObject*) { PlaySelectedVideo(ltvPSP); }
  void Openthedirectory1Click(ui::TObject* sender);
  void Openthedirectory2Click(ui::TObject* sender);
  void ltvPCDblClick(ui::TObject*) { Play1->Click(); }
  void ltvPSPDblClick(ui::TObject*) { Play2->Click(); }
  bool ltvPSPDragOver(ui::TObject* sender, ui::TObject* source);
  bool ltvPCDragOver(ui::TObject* sender, ui::TObject* source);
  void ltvPSPDragDrop(ui::TObject* sender, ui::TObject* source);
  void ltvPCDragDrop(ui::TObject* sender, ui::TObject* source);
  // A drag of rows from one list, until the button is released: other programs (folder
  // windows) are offered the videos and their thumbnails as files to copy; the other list
  // takes them as before.
  void DragRows(ui::TListView* source);
  // The files a drag of the selected rows offers: each video and its thumbnail, where they are.
  std::vector<std::string> DraggedFiles(ui::TListView* source);
  // Whether a list takes what is dragged over it now: files of another program, or rows of
  // the other list.
  bool ListTakesDrop(ui::TListView* list);
  // Files (or rows of ours) dropped on a list: the work starts once the drop has returned.
  void FilesDropped(ui::TListView* list, const std::vector<std::string>& paths);
  // The keys of either list, as the shell's file windows answer them: Enter, F2, F5, Ctrl+A,
  // Delete; each through the button or menu item the mouse uses.
  void ListKeyDown(ui::TListView* list, WORD& key);
  // Whether the Delete key may delete the selected rows of a list: the one question it asks.
  bool ConfirmDeleteKey(ui::TListView* list);
  void TellNotDeleted(const std::vector<std::string>& captions, operations::DeleteKind kind);
  void labAboutClick(ui::TObject* sender);
  void labWebsiteClick(ui::TObject* sender);
  void Timer1Timer(ui::TObject* sender);
  void Image2Click(ui::TObject* sender);
  int BannerIndex() const { return values_.BannerIndex; }

  // The selection summary of a list ("2 Selected.  3.75MB Total."), or empty without a selection.
  std::string SelectionSummaryOf(ui::TListView* list);
  // The tip of a row: the video's title, its facts and whether the PSP plays it.
  std::string VideoTip(ui::TListView* list, int row);
  std::string RowTitle(ui::TListView* list, int row);
  const std::optional<video::Mp4Details>* RowDetails(ui::TListView* list, int row);

 protected:
  void DpiChanged() override;
  void WndProc(ui::TMessage& message) override;

 private:
  void StartPictures();
  void PreparePlaces(int which);
  void PutPicture(ui::TImageList* images, int place, const platform::Thumbnail& picture);
  void ShowFirstPictures(int which);
  void WantPictures(int which);
  void AskPictures(int which);
  void ApplyPictures(const std::vector<media::PictureDone>& done);
  // The worker's word that pictures are ready; false for any other message.
  bool PicturesMessage(ui::TMessage& message);
  void BuildControls();
  void BuildMenus();
  void BuildSkinEngine();
  void RegisterDrops();
  void LoadArtwork();
  void ShowSelectionSummary(ui::TListView* list, int panel);

  MainServices services_;
  std::unique_ptr<MainServices> owned_;
  struct OwnedAdapters;
  std::unique_ptr<OwnedAdapters> adapters_;
  AppValues values_;
  library::PaneFolders folders_;
  unsigned fillGeneration_[2] = {0, 0};
  // Each list's rows with the places of their pictures, and the folder they were listed from.
  std::unique_ptr<library::RowPictures> rowPictures_[2];
  std::string pictureFolder_[2];
  int asked_[2][2] = {{0, 0}, {0, 0}};  // the rows on screen when pictures were last asked for
  bool wanted_[2] = {false, false};
  int jpegError_[2] = {0, 0};  // the fill's first broken thumbnail, and whether it was told
  bool jpegReported_[2] = {false, false};
  // The details of the rows whose tips were shown since each list was filled, by file name:
  // read once, when first asked for.
  std::map<std::string, std::optional<video::Mp4Details>> details_[2];
  class TransferHost;
  std::unique_ptr<TransferHost> transferHost_;
  bool transferRunning_ = false;
  // Asked to end during a transfer: stopped as Stop does, the program ends once it has.
  bool endAfterTransfer_ = false;
  // Runs a transfer, then ends the program if that was asked for meanwhile.
  void RunTransfer(const std::function<void()>& transfer);
  // Whether a transfer (or "Make Thumbnails") runs; if so, it is stopped and the program ends
  // after it.
  bool StopForEnd();
  // Ends the program if that was asked for while the operation that just ended ran.
  bool EndIfAsked();
  // The session ends: the process may be ended once the message has been answered.
  void SessionEnds();
  // The Stop of a running "Make Thumbnails", which has no progress window.
  operations::TransferStopFlag* thumbnailsStop_ = nullptr;
  bool pspTitles_ = true;      // "PSP Titles" in the preferences
  bool framePictures_ = true;  // "Frame Thumbnails" in the preferences
  bool convert_ = true;        // "Convert" in the preferences
  std::unique_ptr<media::IVideoPictures> ownPictures_;
  std::unique_ptr<media::PictureWorker> pictures_;
  std::unique_ptr<VideoConverter> converter_;
  platform::JpegThumbnailDecoder pictureDecoder_;
  std::shared_ptr<ui::TComponent* const> titleFormAlive_;
  // The program as it names itself in the PSP titles it writes.
  std::string TitleEncoder() const { return values_.ProductName + " " + values_.ProgramVersion; }
  ui::TFileDropTarget dropPC_;
  ui::TFileDropTarget dropPSP_;
  ui::TListView* draggingFrom_ = nullptr;  // the list a drag of ours started from
  bool oleReady_ = false;
  // Work that waits for a drop to return asks this whether the window is still there.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  bool transferRefresh_ = false;  // the transfer's own clicks of the refresh buttons
};

extern TMainForm* MainForm;

}  // namespace brevlo::app
