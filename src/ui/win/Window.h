// The thin control layer: non-owning wrappers over one HWND each, plus the
// behaviour the forms rely on. Nothing application-specific lives here.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace kip::win {

// Every exception that reaches a window procedure is handed to the exception
// hook of the form the window belongs to (the main window shows it in its
// status bar) and never escapes into Win32.
using ExceptionHook = std::function<void(const std::wstring& message)>;
// Hands the text of the exception (KipError::Message(), what() converted
// from UTF-8, or a generic text) to the hook of the form that holds `where`,
// or else of the nearest form that owns that one; with none, to
// OutputDebugString.
void ReportException(HWND where, std::exception_ptr error) noexcept;
std::wstring ExceptionText(std::exception_ptr error);

// Runs body; any exception goes to ReportException for `where`. For
// handlers invoked outside a window procedure (timers, idle hooks).
template <typename Body>
void Guarded(HWND where, Body&& body) noexcept {
  try {
    body();
  } catch (...) {
    ReportException(where, std::current_exception());
  }
}

// SendMessageW; 0 for a window not made yet.
inline LRESULT Send(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return hwnd ? SendMessageW(hwnd, message, wParam, lParam) : 0;
}
// True when the window is of this window class (case ignored).
bool HasClass(HWND hwnd, const wchar_t* className);

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Non-owning view of a window.
class Window {
 public:
  Window() = default;
  explicit Window(HWND hwnd) : hwnd_(hwnd) {}
  virtual ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return hwnd_; }
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  int Id() const;

  void SetText(std::wstring_view text);
  std::wstring Text() const;

  // Enabled is the control's own state (what the program set); a group box
  // or page that is disabled greys its members without changing it.
  virtual void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  void SetVisible(bool visible);
  bool Visible() const;

  // Position in the parent's client coordinates, in pixels. Virtual so that
  // a control with companion windows (the pages of a page control) moves them.
  virtual void SetBounds(const Rect& r);
  Rect Bounds() const;
  // The rectangle a layout gives the window, which SetBounds takes back (a
  // drop-down list reports the height of its field alone as Bounds()).
  virtual Rect LayoutBounds() const { return Bounds(); }
  void SetFont(HFONT font);
  void Focus();
  // Starts a group for the dialog navigation (WS_GROUP): the arrow keys of
  // the group before it stop here.
  void StartGroup();
  // A tool-tip text; shown by the owning form's tool-tip control.
  void SetHint(std::wstring_view hint) { hint_ = hint; }
  const std::wstring& Hint() const { return hint_; }

  // Called by a group box or page when its own effective state changes.
  void SetParentEnabled(bool enabled);
  // Own state and that of the enclosing group: what the window really shows.
  bool EffectiveEnabled() const { return enabled_ && parentEnabled_; }
  // The group box that greys this window (set by GroupBox::AddMember); a
  // panel leaves such members to their group box.
  Window* EnableParent() const { return enableParent_; }
  void SetEnableParent(Window* parent) { enableParent_ = parent; }

 protected:
  // Applies EffectiveEnabled() to the window; containers of other windows
  // pass their state on to their members.
  virtual void ApplyEnabled();
  HWND hwnd_ = nullptr;

 private:
  bool enabled_ = true;
  bool parentEnabled_ = true;
  Window* enableParent_ = nullptr;
  std::wstring hint_;
};

}  // namespace kip::win
