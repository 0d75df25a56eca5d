#include "ui/Subclass.h"

#include <unordered_map>

namespace brevlo::ui {
namespace {

struct Link {
  SUBCLASSPROC proc;
  UINT_PTR id;
  DWORD_PTR data;
  Link* next;
  bool removed;
};

struct Chain {
  WNDPROC original = nullptr;
  Link* links = nullptr;     // newest first
  Link* position = nullptr;  // the link DefSubclass calls next
  int running = 0;
  bool destroyed = false;
};

// One GUI thread: no lock.
std::unordered_map<HWND, Chain*>& Chains() {
  static std::unordered_map<HWND, Chain*> chains;
  return chains;
}

Chain* ChainOf(HWND hwnd) {
  const auto it = Chains().find(hwnd);
  return it == Chains().end() ? nullptr : it->second;
}

// Links are freed only while no message runs through the chain: a message further out may
// still hold one as its place.
void Purge(Chain& chain) {
  Link** at = &chain.links;
  while (*at != nullptr) {
    Link* link = *at;
    if (link->removed) {
      *at = link->next;
      delete link;
    } else {
      at = &link->next;
    }
  }
}

void Free(HWND hwnd, Chain* chain) {
  for (Link* link = chain->links; link != nullptr;) {
    Link* next = link->next;
    delete link;
    link = next;
  }
  Chains().erase(hwnd);
  delete chain;
}

LRESULT CALLBACK ChainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The window gets its own procedure back once the chain is empty and idle, unless somebody
// subclassed it after us: the chain then stays, empty, until the window goes.
void Settle(HWND hwnd, Chain* chain) {
  if (chain->running > 0) return;
  if (chain->destroyed) {
    Free(hwnd, chain);
    return;
  }
  Purge(*chain);
  if (chain->links != nullptr) return;
  if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(ChainProc)) return;
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->original));
  Free(hwnd, chain);
}

LRESULT CALLBACK ChainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Chain* chain = ChainOf(hwnd);
  if (chain == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  Link* const outer = chain->position;
  chain->position = chain->links;
  ++chain->running;
  const LRESULT result = DefSubclass(hwnd, msg, wParam, lParam);
  --chain->running;
  chain->position = outer;
  if (msg == WM_NCDESTROY) chain->destroyed = true;
  Settle(hwnd, chain);
  return result;
}

}  // namespace

bool Subclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  if (hwnd == nullptr || proc == nullptr || !IsWindow(hwnd)) return false;
  Chain* chain = ChainOf(hwnd);
  if (chain != nullptr) {
    for (Link* link = chain->links; link != nullptr; link = link->next) {
      if (!link->removed && link->proc == proc && link->id == id) {
        link->data = data;
        return true;
      }
    }
  } else {
    chain = new Chain;
    chain->original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChainProc)));
    if (chain->original == nullptr) {
      delete chain;
      return false;
    }
    Chains()[hwnd] = chain;
  }
  chain->links = new Link{proc, id, data, chain->links, false};
  return true;
}

bool Unsubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) {
  Chain* chain = ChainOf(hwnd);
  if (chain == nullptr) return false;
  for (Link* link = chain->links; link != nullptr; link = link->next) {
    if (!link->removed && link->proc == proc && link->id == id) {
      link->removed = true;
      Settle(hwnd, chain);
      return true;
    }
  }
  return false;
}

LRESULT DefSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Chain* chain = ChainOf(hwnd);
  if (chain == nullptr) {
    return CallWindowProcW(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)), hwnd,
                           msg, wParam, lParam);
  }
  Link* link = chain->position;
  while (link != nullptr && link->removed) link = link->next;
  if (link == nullptr) {
    chain->position = nullptr;
    return CallWindowProcW(chain->original, hwnd, msg, wParam, lParam);
  }
  chain->position = link->next;
  return link->proc(hwnd, msg, wParam, lParam, link->id, link->data);
}

}  // namespace brevlo::ui
