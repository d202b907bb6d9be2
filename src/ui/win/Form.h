// A top-level window that hosts controls: the main window and the dialogs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/win/WindowImpl.h"
#include "util/UniqueHandle.h"

namespace kip::win {

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
  HWND ToolTip() const { return tooltip_; }

  void Show();  // SW_SHOW (first show uses the process's start-up show command)
  void Hide();
  void Close();  // as the title-bar close box: runs the close query first
  void CenterOnScreen();
  void SetPosition(int left, int top);
  POINT Position() const;  // window (not client) top-left in screen pixels
  void Maximize();
  bool IsMaximized() const;
  // The form's own font (set by the caller, shared by its controls).
  void SetFormFont(HFONT font) { font_ = font; }
  HFONT FormFont() const { return font_; }
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
  // The form is the main window: its destruction ends the message loop.
  void SetMainWindow(bool isMain) { isMain_ = isMain; }
  // Keyboard messages seen first by the form (a dialog's "." handling);
  // return true to swallow the message.
  std::function<bool(MSG&)> OnPreviewKey;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void RestoreFocus();
  HFONT font_ = nullptr;
  bool isMain_ = false;
  bool shownOnce_ = false;
  HWND lastFocus_ = nullptr;  // the control to focus again on activation
  HWND tooltip_ = nullptr;    // destroyed with the form, which owns it
  std::wstring tipText_;      // the text handed to the tool-tip last
};

}  // namespace kip::win
