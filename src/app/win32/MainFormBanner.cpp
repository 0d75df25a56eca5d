// The main window's advertisement banner: it turns every few seconds and a click opens the page
// of the picture on show.
#include "app/win32/MainForm.h"

namespace brevlo::app {

void TMainForm::Timer1Timer(ui::TObject*) {
  Timer1->SetEnabled(false);
  values_.BannerIndex = values_.BannerIndex + 1;
  if (values_.BannerIndex >= imladv->Count()) values_.BannerIndex = 0;
  Image2->Picture.Clear();
  Image2->Picture.Assign(imladv->CopyBitmap(values_.BannerIndex));
  Image2->PictureChanged();
  Timer1->SetEnabled(true);
}

void TMainForm::Image2Click(ui::TObject*) {
  const int index = values_.BannerIndex;
  if (index >= 0 && index < static_cast<int>(values_.BannerUrls.size())) {
    services_.shell->Open(values_.BannerUrls[static_cast<std::size_t>(index)]);
  }
}

}  // namespace brevlo::app
