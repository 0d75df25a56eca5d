// The main window's controls, places and menus.
#include "app/win32/MainForm.h"

#include "ui/Builder.h"

namespace brevlo::app {
namespace {

using ui::NewControl;

ui::TLabel* MakeLabel(ui::TComponent* owner, ui::TWinControl* parent, const char* name, int left,
                      int top, const std::string& caption) {
  return ui::NewLabel(owner, parent, name, left, top, caption);
}

ui::TButton* MakeButton(ui::TComponent* owner, ui::TWinControl* parent, const char* name, int left,
                        int top, int width, const std::string& caption) {
  return ui::NewButton(owner, parent, name, left, top, width, 25, caption);
}

ui::TListView* MakeList(ui::TComponent* owner, ui::TWinControl* parent, const char* name, int left,
                        int top, int width, int height, ui::TImageList* images) {
  auto* list = new ui::TListView(owner);
  list->Name = name;
  list->ColumnWidth = 220;
  list->MultiSelect = true;
  list->ReadOnly = true;
  list->ShowColumnHeaders = false;
  list->SmallImages = images;
  list->Font = static_cast<ui::TControl*>(parent)->Font;
  list->SetBounds(left, top, width, height);
  list->SetParent(parent);
  return list;
}

}  // namespace

void TMainForm::BuildControls() {
  imlPC = new ui::TImageList(this, 80, 60);
  imlPC->Name = "imlPC";
  imlPSP = new ui::TImageList(this, 80, 60);
  imlPSP->Name = "imlPSP";
  // A few hundred pictures a list: those of the rows last shown.
  for (auto& rows : rowPictures_) rows = std::make_unique<library::RowPictures>(258);
  imladv = new ui::TImageList(this, 200, 69, false);
  imladv->Name = "imladv";

  panTop = NewControl<ui::TPanel>(this, this, "panTop", 0, 0, 661, 69);
  panTop->Bevel = false;
  panTop->Font = Font;
  Image1 = NewControl<ui::TImage>(this, panTop, "Image1", 0, 0, 120, 69);
  Image1->AutoSize = true;
  // Beside Panel1, not under it: the artwork is as wide as the gap.
  Image3 = NewControl<ui::TImage>(this, panTop, "Image3", 120, 0, 661 - 120 - 200, 69);
  Image3->Stretch = true;

  ui::TFont title;
  title.Name = "Tahoma";
  title.Height = -24;
  title.Bold = true;
  title.Color = ui::clWindowText;
  labTitle2 = MakeLabel(this, panTop, "labTitle2", 120, 2, "");
  labTitle2->Font = title;
  labTitle2->Transparent = true;
  title.Color = ui::clSilver;
  labTitle1 = MakeLabel(this, panTop, "labTitle1", 118, 1, "");
  labTitle1->Font = title;
  labTitle1->Transparent = true;

  labAbout = MakeLabel(this, panTop, "labAbout", 128, 33, "About this Freeware");
  labAbout->Font.Color = ui::clBlue;
  labAbout->Cursor = ui::TCursor::Hand;
  labAbout->Transparent = true;
  labAbout->OnClick = [this](ui::TObject* s) { labAboutClick(s); };
  labWebsite = MakeLabel(this, panTop, "labWebsite", 128, 53, "");
  labWebsite->Font.Color = ui::clBlue;
  labWebsite->Cursor = ui::TCursor::Hand;
  labWebsite->Transparent = true;
  labWebsite->OnClick = [this](ui::TObject* s) { labWebsiteClick(s); };
  labVersion = MakeLabel(this, panTop, "labVersion", 384, 33, "");
  labVersion->Font.Bold = true;
  labVersion->Transparent = true;

  Panel1 = NewControl<ui::TPanel>(this, panTop, "Panel1", 661 - 200, 0, 200, 69);
  Panel1->Bevel = false;
  Image2 = NewControl<ui::TImage>(this, Panel1, "Image2", 0, 0, 200, 69);
  Image2->Stretch = true;
  Image2->Cursor = ui::TCursor::Hand;
  Image2->OnClick = [this](ui::TObject* s) { Image2Click(s); };

  labPath = MakeLabel(this, this, "labPath", 7, 82, "Path:");
  edtPath = NewControl<ui::TEdit>(this, this, "edtPath", 37, 78, 147, 21);
  edtPath->TabOrder = 0;
  edtPath->OnKeyPress = [this](ui::TObject* s, char& key) { edtPathKeyPress(s, key); };
  btnBrowse = MakeButton(this, this, "btnBrowse", 191, 77, 72, "&Browse");
  btnBrowse->TabOrder = 1;
  btnBrowse->OnClick = [this](ui::TObject* s) { btnBrowseClick(s); };
  labPSP = MakeLabel(this, this, "labPSP", 398, 82, "PSP:");
  cmbPSP = new dirtree::TDirTreeCombo(this);
  cmbPSP->Name = "cmbPSP";
  cmbPSP->SetReadOnly(true);
  cmbPSP->SetTreeHeight(240);
  cmbPSP->SetBounds(430, 78, 219, 21);
  cmbPSP->SetParent(this);
  cmbPSP->TabOrder = 2;
  cmbPSP->OnPathChange = [this](ui::TObject* s, const std::string& path) {
    cmbPSPPathChange(s, path);
  };

  gpbPC = NewControl<ui::TGroupBox>(this, this, "gpbPC", 5, 103, 260, 350);
  gpbPC->SetCaption("Videos in the Computer");
  gpbPC->Font = Font;
  ltvPC = MakeList(this, gpbPC, "ltvPC", 8, 15, 243, 328, imlPC);
  ltvPC->OnClick = [this](ui::TObject* s) { ltvPCClick(s); };

  gpbPSP = NewControl<ui::TGroupBox>(this, this, "gpbPSP", 395, 103, 260, 350);
  gpbPSP->SetCaption("Videos in the PSP");
  gpbPSP->Font = Font;
  Label3 = MakeLabel(this, gpbPSP, "Label3", 16, 21, "Video Type:");
  cmbType = NewControl<ui::TComboBox>(this, gpbPSP, "cmbType", 80, 16, 169, 21);
  cmbType->Items = {"MPEG-4 Video", "MPEG-4 AVC Video"};
  cmbType->OnChange = [this](ui::TObject* s) { cmbTypeChange(s); };
  ltvPSP = MakeList(this, gpbPSP, "ltvPSP", 8, 48, 243, 295, imlPSP);
  ltvPSP->OnClick = [this](ui::TObject* s) { ltvPSPClick(s); };
  gpbPC->TabOrder = 3;
  gpbPSP->TabOrder = 4;

  btnMovePSP = MakeButton(this, this, "btnMovePSP", 272, 144, 118, "&Move to PSP -->");
  btnCopyPSP = MakeButton(this, this, "btnCopyPSP", 272, 176, 118, "&Copy to PSP -->");
  btnMovePC = MakeButton(this, this, "btnMovePC", 272, 228, 118, "<-- M&ove to PC");
  btnCopyPC = MakeButton(this, this, "btnCopyPC", 272, 260, 118, "<-- Co&py to PC");
  btnRename = MakeButton(this, this, "btnRename", 272, 311, 118, "&Rename (PSP Video)");
  btnDelete = MakeButton(this, this, "btnDelete", 272, 343, 118, "&Delete (PSP Video)");
  int order = 5;
  for (ui::TButton* b : {btnMovePSP, btnCopyPSP, btnMovePC, btnCopyPC, btnRename, btnDelete}) {
    b->TabOrder = order++;
  }
  btnMovePSP->OnClick = [this](ui::TObject* s) { btnMovePSPClick(s); };
  btnCopyPSP->OnClick = [this](ui::TObject* s) { btnCopyPSPClick(s); };
  btnMovePC->OnClick = [this](ui::TObject* s) { btnMovePCClick(s); };
  btnCopyPC->OnClick = [this](ui::TObject* s) { btnCopyPCClick(s); };
  btnRename->OnClick = [this](ui::TObject* s) { btnRenameClick(s); };
  btnDelete->OnClick = [this](ui::TObject* s) { btnDeleteClick(s); };

  btnRefreshPC = MakeButton(this, this, "btnRefreshPC", 8, 460, 75, "Refr&esh");
  btnRefreshPC->TabOrder = 11;
  btnRefreshPC->OnClick = [this](ui::TObject* s) { btnRefreshPCClick(s); };
  Label1 = MakeLabel(this, this, "Label1", 96, 468, "Video Num:");
  labPCNum = ui::NewLabel(this, this, "labPCNum", 168, 469, "0", 113);
  btnRefreshPSP = MakeButton(this, this, "btnRefreshPSP", 395, 460, 75, "Re&fresh");
  btnRefreshPSP->TabOrder = 12;
  btnRefreshPSP->OnClick = [this](ui::TObject* s) { btnRefreshPSPClick(s); };
  Label2 = MakeLabel(this, this, "Label2", 483, 468, "Video Num:");
  labPSPNum = ui::NewLabel(this, this, "labPSPNum", 547, 468, "0", 91);

  StatusBar1 = NewControl<ui::TStatusBar>(this, this, "StatusBar1", 0, 516 - 20, 661, 20);
  StatusBar1->PanelWidths = {260, 138, 260, 50};

  imgPreview = NewControl<ui::TImage>(this, this, "imgPreview", 0, 0, 80, 60);
  imgPreview->SetVisible(false);

  Timer1 = new ui::TTimer(this);
  Timer1->Name = "Timer1";
  Timer1->Interval = 3000;
  Timer1->OnTimer = [this](ui::TObject* s) { Timer1Timer(s); };
}

void TMainForm::BuildMenus() {
  PopupMenu1 = new ui::TPopupMenu(this);
  PopupMenu1->Name = "PopupMenu1";
  Play1 = PopupMenu1->Add("Play1", "Play", [this](ui::TObject* s) { Play1Click(s); });
  Openthedirectory1 = PopupMenu1->Add("Openthedirectory1", "Open the directory",
                                      [this](ui::TObject* s) { Openthedirectory1Click(s); });
  PopupMenu1->Add("N1", "-");
  Move1 = PopupMenu1->Add("Move1", "Move to PSP", [this](ui::TObject*) { btnMovePSP->Click(); });
  Copy1 = PopupMenu1->Add("Copy1", "Copy to PSP", [this](ui::TObject*) { btnCopyPSP->Click(); });
  PopupMenu1->Add("N2", "-");
  Rename1 = PopupMenu1->Add("Rename1", "Rename", [this](ui::TObject* s) { Rename1Click(s); });
  Delete1 = PopupMenu1->Add("Delete1", "Delete", [this](ui::TObject* s) { Delete1Click(s); });
  ltvPC->PopupMenu = PopupMenu1;

  PopupMenu2 = new ui::TPopupMenu(this);
  PopupMenu2->Name = "PopupMenu2";
  Play2 = PopupMenu2->Add("Play2", "Play", [this](ui::TObject* s) { Play2Click(s); });
  Openthedirectory2 = PopupMenu2->Add("Openthedirectory2", "Open the directory",
                                      [this](ui::TObject* s) { Openthedirectory2Click(s); });
  PopupMenu2->Add("N3", "-");
  Move2 = PopupMenu2->Add("Move2", "Move to PC", [this](ui::TObject*) { btnMovePC->Click(); });
  Copy2 = PopupMenu2->Add("Copy2", "Copy to PC", [this](ui::TObject*) { btnCopyPC->Click(); });
  PopupMenu2->Add("N4", "-");
  Rename2 = PopupMenu2->Add("Rename2", "Rename", [this](ui::TObject*) { btnRename->Click(); });
  Delete2 = PopupMenu2->Add("Delete2", "Delete", [this](ui::TObject*) { btnDelete->Click(); });
  PopupMenu2->Add("N5", "-");
  SetTitle2 =
      PopupMenu2->Add("SetTitle2", "Set Title...", [this](ui::TObject* s) { SetTitle2Click(s); });
  MakeThumbnails2 = PopupMenu2->Add("MakeThumbnails2", "Make Thumbnails",
                                    [this](ui::TObject* s) { MakeThumbnails2Click(s); });
  ltvPSP->PopupMenu = PopupMenu2;

  ltvPC->OnDblClick = [this](ui::TObject* s) { ltvPCDblClick(s); };
  ltvPSP->OnDblClick = [this](ui::TObject* s) { ltvPSPDblClick(s); };
  ltvPC->OnStartDrag = [this](ui::TObject*, int) { DragRows(ltvPC); };
  ltvPSP->OnStartDrag = [this](ui::TObject*, int) { DragRows(ltvPSP); };
  ltvPC->OnKeyDown = [this](ui::TObject*, WORD& key, UINT) { ListKeyDown(ltvPC, key); };
  ltvPSP->OnKeyDown = [this](ui::TObject*, WORD& key, UINT) { ListKeyDown(ltvPSP, key); };
  ltvPC->OnInfoTip = [this](ui::TObject*, int row) { return VideoTip(ltvPC, row); };
  ltvPSP->OnInfoTip = [this](ui::TObject*, int row) { return VideoTip(ltvPSP, row); };
  ltvPC->OnSecondLine = [this](ui::TObject*, int row) { return RowTitle(ltvPC, row); };
  ltvPC->OnRowImage = [this](ui::TObject*, int row) { return RowImage(0, row); };
  ltvPSP->OnRowImage = [this](ui::TObject*, int row) { return RowImage(1, row); };
  ltvPSP->OnSecondLine = [this](ui::TObject*, int row) { return RowTitle(ltvPSP, row); };
}

void TMainForm::LoadArtwork() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (Image1->Picture.LoadFromResource(instance, "LOGO")) Image1->PictureChanged();
  if (Image3->Picture.LoadFromResource(instance, "TITLEBACK")) Image3->PictureChanged();
  static const char* const banners[] = {"BANNER0", "BANNER1", "BANNER2", "BANNER3"};
  for (const char* name : banners) {
    ui::TBitmap banner;
    if (banner.LoadFromResource(instance, name)) imladv->Add(banner.Handle());
  }
  // The picture shown until the banner first turns: the maker's own page.
  if (Image2->Picture.LoadFromResource(instance, "BANNER3")) Image2->PictureChanged();
}

}  // namespace brevlo::app
