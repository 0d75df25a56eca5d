// The tips of the two lists: what a video holds and whether the PSP plays it.
#include "app/win32/MainForm.h"

#include "library/PspNaming.h"
#include "video/PspPlayability.h"

namespace brevlo::app {

std::string TMainForm::VideoTip(ui::TListView* list, int row) {
  if (row < 0 || row >= list->Count()) return {};
  const std::string& name = list->Item(row).caption;
  auto& known = details_[list == ltvPC ? 0 : 1];
  auto found = known.find(name);
  if (found == known.end()) {
    const std::string folder = list == ltvPC ? PcFolder : PspFolder;
    const auto file = services_.fs->OpenReader(library::WithTrailingBackslash(folder) + name);
    // A file that cannot be opened now (gone, or locked) is tried again next time.
    if (file == nullptr) return video::UnreadableText;
    found = known.emplace(name, video::ReadMp4Details(*file)).first;
  }
  // The kind chosen now: a video of the PC list goes to the PSP as that kind.
  const library::VideoKind kind = cmbType->ItemIndex() == 0 ? library::Mpeg4 : library::Mpeg4Avc;
  return video::DetailsTip(found->second, kind, services_.locale->DecimalSeparator());
}

}  // namespace brevlo::app
