#pragma once

#include <array>
#include <string>

#include "platform/Shell.h"
#include "ui/Forms.h"

namespace brevlo::app {

// What the window shows and opens, handed to it by whoever makes it.
struct AboutValues {
  std::string ProductName;
  std::string ProgramVersion;
  std::string CompanyName;
  std::string YearRange;
  std::string WebSiteUrl;
  std::string HomePageUrl;
  std::string TechMailAddress;
  std::array<std::string, 3> ConverterNames;
  std::array<std::string, 3> ConverterPageUrls;
};

// The program's name, version and maker, with links that the shell opens.
class TAboutForm : public ui::TForm {
  BREVLO_CLASS(TAboutForm, ui::TForm)
 public:
  // mainWindow takes no input while this window is up.
  TAboutForm(ui::TComponent* owner, ui::TCustomForm* mainWindow, const AboutValues& values,
             platform::IShell& shell);
  ~TAboutForm() override;

  ui::TPanel* Panel1;
  ui::TImage* imgbk;
  ui::TImage* Image2;
  ui::TLabel* labProgramName;
  ui::TLabel* labVersion;
  ui::TLabel* labCopyright;
  ui::TLabel* labVisitWebsite;
  ui::TLabel* labWebsite;
  ui::TPanel* panBottom;
  ui::TLabel* Label7;
  ui::TLabel* labMore;
  ui::TLabel* Label8;
  ui::TLabel* Label9;
  ui::TLabel* Label10;
  ui::TButton* btnTech;
  ui::TButton* btnOK;

  void FormCreate();
  void FormShow(ui::TObject* sender);
  void FormClose(ui::TObject* sender, ui::TCloseAction& action);
  void btnOKClick(ui::TObject* sender);
  void labWebsiteClick(ui::TObject* sender);
  void labMoreClick(ui::TObject* sender);
  void Label8Click(ui::TObject* sender);
  void Label9Click(ui::TObject* sender);
  void Label10Click(ui::TObject* sender);
  void btnTechClick(ui::TObject* sender);

 private:
  void Open(const std::string& address);
  ui::TCustomForm* mainWindow_;
  const AboutValues values_;
  platform::IShell& shell_;
};

extern TAboutForm* AboutForm;

}  // namespace brevlo::app
