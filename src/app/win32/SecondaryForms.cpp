#include "app/win32/SecondaryForms.h"

#include "app/win32/MainForm.h"

namespace brevlo::app {

TTransferForm* NewTransferForm(ui::TComponent* owner) {
  return new TTransferForm(owner, MainForm);
}

TRenameForm* NewRenameForm(ui::TComponent* owner) {
  MainServices& services = MainForm->Services();
  return new TRenameForm(owner, MainForm, *services.fs, *services.dialogs);
}

TAboutForm* NewAboutForm(ui::TComponent* owner) {
  const AppValues& values = MainForm->Values();
  const AboutValues about{.ProductName = values.ProductName,
                          .ProgramVersion = values.ProgramVersion,
                          .CompanyName = values.CompanyName,
                          .YearRange = values.YearRange,
                          .WebSiteUrl = values.WebSiteUrl,
                          .HomePageUrl = values.HomePageUrl,
                          .TechMailAddress = values.TechMailAddress,
                          .ConverterNames = values.ConverterNames,
                          .ConverterPageUrls = values.ConverterPageUrls};
  return new TAboutForm(owner, MainForm, about, *MainForm->Services().shell);
}

}  // namespace brevlo::app
