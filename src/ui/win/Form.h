// A top-level window that hosts controls: the main window and the dialogs.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/win/Layout.h"
#include "ui/win/WindowImpl.h"
#include "util/UniqueHandle.h"

namespace kip::win {

class Accelerators;

// The work area (the screen without the task bar) of the monitor that holds
// most of `window`.
RECT WorkAreaOf(HWND window);

class Form : public Container {
 public:
  // Creates the window hidden. style e.g. WS_OVERLAPPEDWINDOW, or
  // WS_CAPTION | WS_SYSMENU | DS_MODALFRAME-like fixed border for dialogs
  // (use FixedDialogStyle()). The client area gets `clientWidth` x
  // `clientHeight` pixels. The font is used for every control created on it.
  void CreateForm(const wchar_t* className, std::wstring_view caption, int clientWidth, int clientHeight,
                  DWORD style, DWORD exStyle = WS_EX_CONTROLPARENT, HWND owner = nullptr);
  static DWORD FixedDialogStyle();
  // Resizes the window so that its client area (below the menu bar, if one
  // is attached) has this size.
  void SetClientSize(int width, int height);
  // The form bound to a top-level window of this process, or null.
  static Form* FromHandle(HWND hwnd);

  // The form's tool-tip shows the Hint() of every control created on it
  // (Control does this itself); an empty hint shows nothing.
  void AddHintTool(Window& control);
  void RemoveHintTool(Window& control);
  // Hands a mouse message for a window of this form to its tool-tip. The
  // message loop does this for every mouse message: the controls are not
  // subclassed for their hints, which made creating each one slower.
  void RelayHintEvent(const MSG& msg);
  // The tool-tip window, made with the controls' tools on first use (the
  // first mouse message, or this call): a form the mouse never reaches,
  // like a dialog answered from the keyboard, never pays for a top-level
  // window of its own. Null only when it cannot be made.
  HWND ToolTip() const;

  // SW_SHOW (first show uses the process's start-up show command). An owned
  // form that would open on another monitor than its owner opens at the
  // owner's top-left corner instead, and every form opens at the DPI of
  // the monitor it appears on.
  void Show();
  void Hide();
  void Close();  // as the title-bar close box: runs the close query first
  void CenterOnScreen();
  void SetPosition(int left, int top);
  POINT Position() const;  // window (not client) top-left in screen pixels
  void Maximize();
  bool IsMaximized() const;
  // The font the form is built with (set by the caller before CreateForm,
  // not owned, made for the DPI of the owning form or else the screen's).
  void SetFormFont(HFONT font) { font_ = font; }
  // The font its controls use now: the one given, or the form's own copy of
  // it for another DPI.
  HFONT FormFont() const { return scaledFont_ ? scaledFont_.get() : font_; }

  // The DPI the form's font and layout are made for.
  int Dpi() const { return dpi_; }
  // Rebuilds the font and places the controls for `dpi` (the form moved to
  // a monitor of another DPI). A resizable form takes the suggested window
  // rectangle when there is one; a fixed one its top-left corner, with the
  // size its layout has at that DPI. Nothing happens when the form is
  // already made for `dpi`.
  void ChangeDpi(int dpi, const RECT* suggested = nullptr);
  // Run after a change of DPI: fonts of the form's own, and whatever is
  // placed from the window's size rather than from the layout.
  std::function<void()> OnDpiChanged;
  // Controls made on `parent` after the form was built (a page built the
  // first time it shows) follow the changes of DPI from now on as well.
  void AdoptControls(HWND parent);

  // Tab and Shift+Tab reach `control` right after `after`: for controls
  // whose place in the z-order (which painting needs) is not their place in
  // the layout.
  void MoveInTabOrder(const Window& control, const Window& after);
  // The control that Tab (or Shift+Tab) moves the focus to from `from`.
  HWND NextTabStop(HWND from, bool previous) const;
  // Keys the message loop hands the form before the dialog navigation: Tab
  // through the form's tab order, Enter on a focused push button (also on a
  // page, where the dialog navigation cannot find it). True when handled.
  bool TranslateKey(const MSG& msg);
  void SetIcon(HICON icon);

  // Default push button (Enter) and cancel button (Escape) of a dialog:
  // IDOK / IDCANCEL commands run these.
  std::function<void()> OnEnter;
  std::function<void()> OnEscape;

  std::function<void()> OnActivate;      // every WM_ACTIVATE to active
  std::function<bool()> OnCloseQuery;    // false keeps the window open
  std::function<void()> OnClose;         // after a granted close, before destruction
  std::function<void()> OnDestroy;
  std::function<void(int, int)> OnResize;  // new client width, height
  // The smallest client area the user may size a resizable form to.
  std::function<SIZE()> MinimumClientSize;
  // The form is the main window: its destruction ends the message loop.
  void SetMainWindow(bool isMain) { isMain_ = isMain; }
  // Keyboard messages seen first by the form (a dialog's "." handling);
  // return true to swallow the message.
  std::function<bool(MSG&)> OnPreviewKey;

  // Keyboard shortcuts the message loop translates for this form (not
  // owned; the table may still grow while the loop runs).
  void SetAccelerators(Accelerators* table) { accelerators_ = table; }
  Accelerators* KeyboardShortcuts() const { return accelerators_; }

  // Errors that escape the handlers of this form, and of the forms it owns
  // that have no hook of their own, go to this hook (ReportException).
  void SetExceptionHook(ExceptionHook hook) { exceptionHook_ = std::move(hook); }
  const ExceptionHook& GetExceptionHook() const { return exceptionHook_; }
  // Runs body; an exception goes to this form's hook. For work started
  // outside a window procedure (posted messages, timers, idle work).
  template <typename Body>
  void Guarded(Body&& body) noexcept {
    win::Guarded(hwnd_, std::forward<Body>(body));
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  std::optional<LRESULT> OnCommand(WPARAM wParam, LPARAM lParam) override;
  std::optional<LRESULT> OnNotify(NMHDR* header) override;
  LRESULT OnNextDlgCtl(WPARAM wParam, LPARAM lParam) override;

 private:
  // Handlers of the form's own messages.
  std::optional<LRESULT> DefaultButtonId() const;
  void Activated(WPARAM wParam);
  void CloseRequested();
  void Destroying();
  void Resized(int width, int height);
  std::optional<LRESULT> LimitTrackSize(MINMAXINFO& info) const;
  void RestoreFocus();
  void PlaceForDpi(const RECT* suggested, const DialogUnits& before, const DialogUnits& now);
  void FollowOwnerMonitor();
  std::vector<HWND> TabOrder() const;
  HFONT font_ = nullptr;
  UniqueHFont scaledFont_;
  int baseDpi_ = 96;  // the DPI font_ and the controls were made for
  int dpi_ = 96;
  // Set while the controls and the window change their DPI: the least size
  // asked for meanwhile would mix the two.
  bool changingDpi_ = false;
  ScaledLayout layout_;
  std::vector<std::pair<HWND, HWND>> tabMoves_;  // control, the one it follows
  bool isMain_ = false;
  bool shownOnce_ = false;
  HWND lastFocus_ = nullptr;  // the control to focus again on activation
  // Destroyed with the form, which owns it; made by ToolTip().
  mutable HWND tooltip_ = nullptr;
  // The controls the tool-tip knows or will know, by window: a control
  // whose window died with its parent is never asked for its hint.
  std::vector<std::pair<HWND, Window*>> hintTools_;
  std::wstring tipText_;      // the text handed to the tool-tip last
  Accelerators* accelerators_ = nullptr;
  ExceptionHook exceptionHook_;
};

}  // namespace kip::win
