#include "about/win32/AboutForm.h"

#include "ui/Builder.h"

namespace brevlo::app {

TAboutForm* AboutForm = nullptr;

namespace {

ui::TLabel* Link(ui::TLabel* label) {
  label->Font.Color = ui::clBlue;
  label->Cursor = ui::TCursor::Hand;
  return label;
}

ui::TLabel* AddLabel(ui::TComponent* owner, ui::TWinControl* parent, const char* name, int left,
                     int top, const std::string& caption) {
  auto* label = ui::NewLabel(owner, parent, name, left, top, caption);
  label->Transparent = true;
  return label;
}

ui::TButton* AddButton(ui::TComponent* owner, ui::TWinControl* parent, const char* name, int left,
                       int top, const std::string& caption) {
  return ui::NewButton(owner, parent, name, left, top, 75, 25, caption);
}

}  // namespace

TAboutForm::TAboutForm(ui::TComponent* owner, ui::TCustomForm* mainWindow,
                       const AboutValues& values, platform::IShell& shell)
    : ui::TForm(owner), mainWindow_(mainWindow), values_(values), shell_(shell) {
  AboutForm = this;
  ui::MakeDialogForm(this, "AboutForm", "About", 503, 290);

  Panel1 = ui::NewControl<ui::TPanel>(this, this, "Panel1", 0, 0, 503, 167);
  Panel1->Font = Font;
  imgbk = ui::NewControl<ui::TImage>(this, Panel1, "imgbk", 0, 0, 117, 167);
  imgbk->Stretch = true;
  Image2 = ui::NewControl<ui::TImage>(this, Panel1, "Image2", 117, 0, 503 - 117, 167);
  Image2->Stretch = true;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  imgbk->Picture.LoadFromResource(instance, "ABOUTSIDE");
  Image2->Picture.LoadFromResource(instance, "ABOUTBACK");

  // Placeholders until FormCreate, as the form data has them.
  labProgramName = AddLabel(this, Panel1, "labProgramName", 136, 14, "Xxxx Xxxx Xxxxx Xxxxxxxxx");
  labProgramName->Font.Bold = true;
  labProgramName->Font.SetSize(10);
  labProgramName->FontChanged();
  labVersion = AddLabel(this, Panel1, "labVersion", 136, 32, "Version x.x");
  labCopyright = AddLabel(this, Panel1, "labCopyright", 136, 50, "Copyright (C) Xxxxx");
  labVisitWebsite = AddLabel(this, Panel1, "labVisitWebsite", 136, 123, "Visit our website");
  labWebsite = Link(AddLabel(this, Panel1, "labWebsite", 136, 139, "www.xxxx.xxx"));
  labWebsite->Font.Underline = true;
  labWebsite->FontChanged();
  labWebsite->OnClick = [this](ui::TObject* s) { labWebsiteClick(s); };

  panBottom = ui::NewControl<ui::TPanel>(this, this, "panBottom", 0, 167, 503, 123);
  panBottom->Font = Font;
  Label7 = AddLabel(this, panBottom, "Label7", 16, 8, "More video converting softwares");
  labMore = Link(AddLabel(this, panBottom, "labMore", 184, 8, "(More)"));
  labMore->OnClick = [this](ui::TObject* s) { labMoreClick(s); };
  Label8 = Link(AddLabel(this, panBottom, "Label8", 16, 27, "Xxxxx"));
  Label8->OnClick = [this](ui::TObject* s) { Label8Click(s); };
  Label9 = Link(AddLabel(this, panBottom, "Label9", 16, 43, "Xxxxx"));
  Label9->OnClick = [this](ui::TObject* s) { Label9Click(s); };
  Label10 = Link(AddLabel(this, panBottom, "Label10", 16, 59, "Xxxxx"));
  Label10->OnClick = [this](ui::TObject* s) { Label10Click(s); };
  btnTech = AddButton(this, panBottom, "btnTech", 16, 88, "Tech Support");
  btnTech->OnClick = [this](ui::TObject* s) { btnTechClick(s); };
  btnOK = AddButton(this, panBottom, "btnOK", 408, 88, "&OK");
  btnOK->OnClick = [this](ui::TObject* s) { btnOKClick(s); };
  // Nothing to cancel: Escape closes the window as OK does.
  btnOK->Default = true;
  btnOK->Cancel = true;

  OnShow = [this](ui::TObject* s) { FormShow(s); };
  OnClose = [this](ui::TObject* s, ui::TCloseAction& a) { FormClose(s, a); };
  Handle();
  FormCreate();
}

void TAboutForm::FormCreate() {
  labProgramName->SetCaption(values_.ProductName);
  labVersion->SetCaption("Version " + values_.ProgramVersion);
  labCopyright->SetCaption("Copyright (C) " + values_.CompanyName + " " + values_.YearRange);
  labWebsite->SetCaption(values_.WebSiteUrl);
  Label8->SetCaption(values_.ConverterNames[0]);
  Label9->SetCaption(values_.ConverterNames[1]);
  Label10->SetCaption(values_.ConverterNames[2]);
}

void TAboutForm::FormShow(ui::TObject*) {
  if (mainWindow_ != nullptr) mainWindow_->SetEnabled(false);
  btnOK->SetFocus();
}

void TAboutForm::FormClose(ui::TObject*, ui::TCloseAction& action) {
  action = ui::TCloseAction::Hide;
  if (mainWindow_ != nullptr) {
    mainWindow_->SetEnabled(true);
    SetForegroundWindow(mainWindow_->Handle());
  }
}

void TAboutForm::Open(const std::string& address) {
  shell_.Open(address);
}

void TAboutForm::btnOKClick(ui::TObject*) {
  Close();
}
void TAboutForm::labWebsiteClick(ui::TObject*) {
  Open(labWebsite->Caption());
}
void TAboutForm::labMoreClick(ui::TObject*) {
  Open(values_.HomePageUrl);
}
void TAboutForm::Label8Click(ui::TObject*) {
  Open(values_.ConverterPageUrls[0]);
}
void TAboutForm::Label9Click(ui::TObject*) {
  Open(values_.ConverterPageUrls[1]);
}
void TAboutForm::Label10Click(ui::TObject*) {
  Open(values_.ConverterPageUrls[2]);
}
void TAboutForm::btnTechClick(ui::TObject*) {
  Open("mailto:" + values_.TechMailAddress);
}

TAboutForm::~TAboutForm() {
  if (AboutForm == this) AboutForm = nullptr;
}

}  // namespace brevlo::app
