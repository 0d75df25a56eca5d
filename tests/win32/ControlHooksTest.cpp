// What the class library offers those who sit in front of a control: hooks that can be taken
// away at any moment, and notifications of the mouse, the enabled state and the text.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "Harness.h"
#include "ui/Builder.h"
#include "ui/Subclass.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {
constexpr UINT Probe = WM_USER + 77;

// Records the hooks a message passed, in order.
ui::TWndHook Recorder(std::vector<std::string>& log, const std::string& name) {
  return [&log, name](ui::TMessage& m, const ui::TWndNext& next) {
    if (m.Msg == Probe) log.push_back(name);
    next(m);
  };
}
}  // namespace

TEST(ControlHooks, ChainAndUnchainAtAnyMoment) {
  auto* form = new ui::TForm(ui::Application);
  auto* button = ui::NewButton(form, form, "b", 0, 0, 50, 20, "B");
  form->Handle();
  std::vector<std::string> log;
  const ui::TWndMethod own = button->WindowProc;
  button->WindowProc = [&log, own](ui::TMessage& m) {
    if (m.Msg == Probe) log.push_back("own");
    own(m);
  };

  ui::THookHandle inner = button->ChainWindowProc(Recorder(log, "inner"));
  ui::THookHandle outer = button->ChainWindowProc(Recorder(log, "outer"));
  button->Perform(Probe);
  EXPECT_EQ(log, (std::vector<std::string>{"outer", "inner", "own"}));

  // A hook that lets go of itself while it runs still passes the message on, and hears that
  // it is no longer chained.
  log.clear();
  bool stillChained = true;
  ui::THookHandle self;
  self = button->ChainWindowProc([&](ui::TMessage& m, const ui::TWndNext& next) {
    if (m.Msg != Probe) {
      next(m);
      return;
    }
    log.push_back("self");
    self.Unchain();
    stillChained = next(m);
  });
  button->Perform(Probe);
  EXPECT_FALSE(stillChained);
  EXPECT_EQ(log, (std::vector<std::string>{"self", "outer", "inner", "own"}));

  // An outer hook taking an inner one away mid-message: the message skips it.
  log.clear();
  ui::THookHandle remover = button->ChainWindowProc([&](ui::TMessage& m, const ui::TWndNext& next) {
    if (m.Msg == Probe) {
      log.push_back("remover");
      inner.Unchain();
    }
    next(m);
  });
  button->Perform(Probe);
  EXPECT_EQ(log, (std::vector<std::string>{"remover", "outer", "own"}));
  EXPECT_FALSE(inner.Chained());
  log.clear();
  SendMessageA(button->Handle(), Probe, 0, 0);  // from the window, the same road
  EXPECT_EQ(log, (std::vector<std::string>{"remover", "outer", "own"}));

  // The control going first: the owner of a hook hears it, and letting go later is harmless.
  int gone = 0;
  ui::THookHandle late = button->ChainWindowProc(Recorder(log, "late"), [&gone] { ++gone; });
  delete form;
  EXPECT_EQ(gone, 1);
  EXPECT_FALSE(late.Chained());
  late.Unchain();
  outer.Unchain();
}

TEST(ControlHooks, NotificationsOfMouseStateAndText) {
  auto* form = new ui::TForm(ui::Application);
  form->BorderStyle = ui::TBorderStyle::None;
  form->SetBounds(100, 100, 300, 100);
  form->SetClientSize(300, 100);
  auto* button = ui::NewButton(form, form, "b", 10, 10, 100, 40, "B");
  auto* label = ui::NewLabel(form, form, "l", 150, 10, "A label");
  form->Show();
  Pump(50);
  std::map<std::string, std::vector<std::string>> heard;  // by control
  auto watch = [&heard](ui::TControl* control) {
    return control->ChainWindowProc([&heard, control](ui::TMessage& m, const ui::TWndNext& next) {
      const char* what = m.Msg == ui::CM_MOUSEENTER       ? "enter"
                         : m.Msg == ui::CM_MOUSELEAVE     ? "leave"
                         : m.Msg == ui::CM_ENABLEDCHANGED ? "enabled"
                         : m.Msg == ui::CM_TEXTCHANGED    ? "text"
                                                          : nullptr;
      if (what != nullptr) heard[control->Name].push_back(what);
      next(m);
    });
  };
  ui::THookHandle onButton = watch(button);
  ui::THookHandle onLabel = watch(label);

  button->SetEnabled(false);
  button->SetEnabled(false);  // no change, no word
  button->SetEnabled(true);
  button->SetCaption("C");
  label->SetCaption("Another");
  EXPECT_EQ(heard["b"], (std::vector<std::string>{"enabled", "enabled", "text"}));
  EXPECT_EQ(heard["l"], std::vector<std::string>{"text"});

  // The platform tells a window late that the mouse left it: wait for each word a while.
  heard.clear();
  auto moveAndWait = [&](POINT screen, std::size_t forButton, std::size_t forLabel) {
    MoveMouse(screen);
    for (int i = 0; i < 100 && (heard["b"].size() < forButton || heard["l"].size() < forLabel); ++i)
      Pump(20);
  };
  const POINT origin = form->ClientToScreen(POINT{0, 0});
  moveAndWait(POINT{origin.x + 50, origin.y + 30}, 1, 0);   // onto the button
  moveAndWait(POINT{origin.x + 160, origin.y + 15}, 2, 1);  // onto the label
  moveAndWait(POINT{origin.x + 160, origin.y + 80}, 2, 2);  // beside it, still on the form
  MoveMouse(POINT{origin.x + 400, origin.y + 300});         // away: wait for the last leave too
  const auto left = [&](const char* name) {
    return !heard[name].empty() && heard[name].back() == "leave";
  };
  for (int i = 0; i < 100 && !(left("b") && left("l")); ++i) Pump(20);
  // Wine moves the mouse over a window again now and then on its own; whatever it does, each
  // control hears enter and leave in turn and ends having heard leave.
  for (const char* name : {"b", "l"}) {
    const std::vector<std::string>& seen = heard[name];
    ASSERT_FALSE(seen.empty()) << name;
    for (std::size_t i = 0; i < seen.size(); ++i) {
      EXPECT_EQ(seen[i], i % 2 == 0 ? "enter" : "leave") << name << " " << i;
    }
    EXPECT_EQ(seen.back(), "leave") << name;
  }
  EXPECT_FALSE(button->MouseInControl());
  EXPECT_FALSE(label->MouseInControl());
  delete form;
}

// The window subclass chain under the class library and the skin: the rules of the platform's
// own, which other code (and the platform's chain on top of ours) relies on.
namespace {
std::vector<std::string> passed;
HWND other = nullptr;

LRESULT CALLBACK Original(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == Probe) passed.push_back("original");
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Link `id` logs itself; on the probe, id 2 lets go of itself and id 3 of link 1.
LRESULT CALLBACK Link(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (msg != Probe) return ui::DefSubclass(hwnd, msg, wParam, lParam);
  passed.push_back("link" + std::to_string(id));
  if (id == 2 && wParam == 1) ui::Unsubclass(hwnd, Link, 2);
  if (id == 3 && wParam == 1) ui::Unsubclass(hwnd, Link, 1);
  // A message sent from inside a link runs the whole chain again, and comes back here.
  if (id == 3 && wParam == 2) SendMessageW(other, Probe, 0, 0);
  return ui::DefSubclass(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK PlatformLink(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
  if (msg == Probe) passed.push_back("platform");
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}
}  // namespace

TEST(ControlHooks, SubclassChainKeepsThePlatformsRules) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Original;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"BrevloSubclassProbe";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            wc.hInstance, nullptr);
  other = CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                        wc.hInstance, nullptr);
  ASSERT_NE(hwnd, nullptr);
  const LONG_PTR own = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
  for (UINT_PTR id : {1, 2, 3}) ASSERT_TRUE(ui::Subclass(hwnd, Link, id, 0));
  ASSERT_TRUE(ui::Subclass(other, Link, 4, 0));
  using Log = std::vector<std::string>;
  const struct {
    WPARAM what;
    Log expected;
  } rounds[] = {
      // Newest first; 3 lets go of 1 before 1's turn, 2 of itself during its own.
      {1, {"link3", "link2", "original"}},
      {0, {"link3", "original"}},
      // A message sent to another window from inside a link, then the rest of this chain.
      {2, {"link3", "link4", "original", "original"}},
  };
  for (const auto& round : rounds) {
    passed.clear();
    SendMessageW(hwnd, Probe, round.what, 0);
    EXPECT_EQ(passed, round.expected) << "round " << round.what;
  }
  // Outside any message the default goes straight to the window's own procedure.
  passed.clear();
  ui::DefSubclass(hwnd, Probe, 0, 0);
  EXPECT_EQ(passed, Log{"original"});

  // The platform's chain on top of ours: ours stays in place under it until it goes.
  ASSERT_TRUE(SetWindowSubclass(hwnd, PlatformLink, 9, 0));
  EXPECT_TRUE(ui::Unsubclass(hwnd, Link, 3));
  passed.clear();
  SendMessageW(hwnd, Probe, 0, 0);
  EXPECT_EQ(passed, (Log{"platform", "original"}));
  RemoveWindowSubclass(hwnd, PlatformLink, 9);
  // Empty and on top again: the window's own procedure comes back on the next link let go.
  ASSERT_TRUE(ui::Subclass(hwnd, Link, 5, 0));
  EXPECT_TRUE(ui::Unsubclass(hwnd, Link, 5));
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), own);
  EXPECT_FALSE(ui::Unsubclass(hwnd, Link, 5));
  // A window that goes with its links in place takes them with it.
  DestroyWindow(other);
  EXPECT_FALSE(ui::Unsubclass(other, Link, 4));
  DestroyWindow(hwnd);
  UnregisterClassW(wc.lpszClassName, wc.hInstance);
}
