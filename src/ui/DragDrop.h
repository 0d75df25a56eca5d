#pragma once

// Files dragged between programs, as the shell's folder windows drag them: a list of paths
// (CF_HDROP) through OLE drag and drop. Needs OleInitialize on the thread.

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brevlo::ui {

// The paths of a CF_HDROP block in global memory, in the program's code page; none when the
// block is malformed.
std::vector<std::string> PathsOfDrop(HGLOBAL block);
// The paths a data object offers as CF_HDROP in global memory; nothing when it offers none.
std::optional<std::vector<std::string>> PathsOfData(IDataObject* data);
// A CF_HDROP block with wide paths, in movable global memory; null when it cannot be made.
HGLOBAL MakeDropFiles(const std::vector<std::string>& paths);

// Runs an action once the message in hand and the loop it runs in are done: a drop must
// return to the program it came from before the work it starts (boxes, a transfer) begins.
void RunSoon(std::function<void()> action);

// A window that takes files dragged from any program, ours included. While a drag of files is
// over it, accepts() tells whether it may be dropped there: the pointer shows a copy, or that
// it cannot be dropped. dropped() gets the paths inside the drop; it should only note them.
class TFileDropTarget {
 public:
  struct Events {
    std::function<bool()> accepts;
    std::function<void(const std::vector<std::string>& paths)> dropped;
  };
  TFileDropTarget() = default;
  ~TFileDropTarget();
  TFileDropTarget(const TFileDropTarget&) = delete;
  TFileDropTarget& operator=(const TFileDropTarget&) = delete;
  bool Register(HWND window, Events events);
  void Revoke();

 private:
  class Target;
  HWND window_ = nullptr;
  Target* target_ = nullptr;
};

// How a drag goes on, as IDropSource::QueryContinueDrag answers; empty: as the mouse says
// (dropped when the left button is released, given up on Escape).
using TDragStep = std::function<HRESULT(BOOL escapePressed, DWORD keyState)>;

// Drags the files out as copies (never a move) until they are dropped or the drag is given up;
// the effect the target took, DROPEFFECT_NONE when none.
DWORD DragFiles(const std::vector<std::string>& paths, TDragStep step = {});

}  // namespace brevlo::ui
