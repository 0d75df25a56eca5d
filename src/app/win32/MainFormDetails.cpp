// The tips of the two lists and the titles under their rows: what a video holds and whether the
// PSP plays it.
#include "app/win32/MainForm.h"

#include "app/VideoConverter.h"
#include "library/PspNaming.h"
#include "library/VideoList.h"
#include "video/PspPlayability.h"

namespace brevlo::app {

// Read when a row is first drawn or its tip first shown, kept until the list is filled again.
const std::optional<video::Mp4Details>* TMainForm::RowDetails(ui::TListView* list, int row) {
  if (row < 0 || row >= list->Count()) return nullptr;
  const std::string& name = list->Item(row).caption;
  auto& known = details_[list == ltvPC ? 0 : 1];
  auto found = known.find(name);
  if (found == known.end()) {
    const std::string folder = list == ltvPC ? folders_.PcFolder() : folders_.PspFolder();
    const auto file = services_.fs->OpenReader(folder + name);
    // A file that cannot be opened now (gone, or locked) is tried again next time.
    if (file == nullptr) return nullptr;
    found = known.emplace(name, video::ReadMp4Details(*file)).first;
  }
  return &found->second;
}

std::string TMainForm::VideoTip(ui::TListView* list, int row) {
  if (row < 0 || row >= list->Count()) return {};
  const auto* details = RowDetails(list, row);
  if (details == nullptr) return video::UnreadableText;
  // The kind chosen now: a video of the PC list goes to the PSP as that kind.
  const library::VideoKind kind = cmbType->ItemIndex() == 0 ? library::Mpeg4 : library::Mpeg4Avc;
  const char separator = services_.locale->DecimalSeparator();
  const std::string& name = list->Item(row).caption;
  // What goes converted, and why: the kind, the verdict, the subtitles to draw.
  if (list == ltvPC && converter_) {
    return converter_->Tip(folders_.PcFolder() + name, *details, kind, separator);
  }
  return video::DetailsTip(*details, kind, separator);
}

// The title the PSP lists the video under. A PC video without one gets its file name on the way,
// so only a title of its own that says something else is worth a line.
std::string TMainForm::RowTitle(ui::TListView* list, int row) {
  const auto* details = RowDetails(list, row);
  if (details == nullptr || !*details || !(*details)->pspTitle) return {};
  const std::string& title = (*details)->title;
  const std::string& name = list->Item(row).caption;
  if (list == ltvPC && (title == name || title == library::WithoutExtension(name))) return {};
  return title;
}

}  // namespace brevlo::app
