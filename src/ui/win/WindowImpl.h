// Windows whose procedure is ours: one thunk stores `this` and catches every
// exception at the Win32 boundary. Containers route their children's
// notifications back to the child's wrapper object.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>

#include "ui/win/Window.h"

namespace kip::win {

class Control;

// Generated command ids: menus number their items from the first, windows
// their own commands from the second; both stay above the ids of dialog
// controls and below the system commands (0xF000).
inline constexpr UINT kFirstMenuCommandId = 0x8000;
inline constexpr UINT kFirstWindowCommandId = 0xC000;
inline constexpr UINT kLastCommandId = 0xEFFF;

class WindowImpl : public Window {
 public:
  ~WindowImpl() override;

 protected:
  // Registers the class once (name, background brush) and creates the
  // window with this object bound to it.
  HWND CreateImpl(const wchar_t* className, DWORD exStyle, DWORD style, std::wstring_view title,
                  const Rect& r, HWND parent, HMENU menuOrId);
  // Default: DefWindowProcW.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  friend class Container;
  static LRESULT CALLBACK Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// A window that hosts controls: routes WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*
// and WM_CONTEXTMENU to the control wrapper that sent them, and menu and
// accelerator commands to the registered command handlers or to the items
// of the window's menu bar.
class Container : public WindowImpl {
 public:
  // Controls still registered lose their window with the container.
  ~Container() override;
  // The container object behind a window of this program, or null.
  static Container* FromHandle(HWND hwnd);
  // The wrapper of a control registered here, or null.
  Control* ControlOf(HWND child) const;
  void Register(Control& control);
  void Unregister(Control& control);
  // Handler for WM_COMMAND with no control (menu items, accelerators).
  void OnMenuCommand(UINT id, std::function<void()> handler);
  // A command id no other command of this window uses, for accelerators of
  // commands that have no menu item. Menus number their own items below
  // the range these come from.
  UINT NewCommandId();

 protected:
  // A short dispatch to the handlers below; a handler that returns nothing
  // leaves the message to the default procedure.
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual std::optional<LRESULT> OnCommand(WPARAM wParam, LPARAM lParam);
  virtual std::optional<LRESULT> OnNotify(NMHDR* header);
  std::optional<LRESULT> OnCtlColor(UINT message, HDC dc, HWND control);
  std::optional<LRESULT> OnContextMenu(HWND control, LPARAM screenPoint);
  // Moves the focus as the dialog navigation asks (Tab from a multi-line
  // edit, or a given control).
  virtual LRESULT OnNextDlgCtl(WPARAM wParam, LPARAM lParam);
  const std::map<HWND, Control*>& RegisteredControls() const { return controls_; }

 private:
  bool RunMenuCommand(UINT id);
  void DetachControls();
  std::map<HWND, Control*> controls_;
  std::map<UINT, std::function<void()>> menuCommands_;
  UINT nextCommandId_ = kFirstWindowCommandId;
};

// A plain child container (the pages of a page control, panels).
// WS_EX_CONTROLPARENT so that dialog navigation reaches its children.
class Panel : public Container {
 public:
  void Create(HWND parent, const Rect& r, int id = 0);

 protected:
  // Members are greyed with the panel when it is disabled.
  void ApplyEnabled() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace kip::win
