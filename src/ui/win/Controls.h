// Standard controls. Each wrapper creates its child window inside a
// Container and receives that window's notifications through it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/win/WindowImpl.h"
#include "ui/win/WindowProcHook.h"
#include "util/Text.h"

namespace kip::win {

class Control : public Window {
 public:
  ~Control() override;
  // Notification handlers, called by the container; return true when handled.
  virtual bool OnCommand(WORD /*code*/) { return false; }
  virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
  // Return a brush to paint the control's background (WM_CTLCOLOR*), or null.
  virtual HBRUSH OnCtlColor(HDC /*dc*/) { return nullptr; }
  // Right click / context-menu key over the control (screen coordinates).
  std::function<void(POINT)> OnContextMenu;
  // Called by the container for WM_CONTEXTMENU; runs OnContextMenu.
  virtual void ContextMenuAt(POINT screen);

 protected:
  // Creates the child window in `parent` with the layer's font and registers
  // this wrapper with the container.
  void CreateChild(Container& parent, const wchar_t* className, std::wstring_view text, DWORD style,
                   DWORD exStyle, int id, const Rect& r);

 private:
  friend class Container;
  Container* container_ = nullptr;
};

class Label : public Control {
 public:
  // SS_LEFT by default; pass SS_CENTER for centred text. Text may hold "\n".
  void Create(Container& parent, int id, std::wstring_view caption, const Rect& r, DWORD align = SS_LEFT);
};

// A frame with a caption. Its members are greyed out with it; their own
// Enabled state is kept and applies again when the group is re-enabled.
class GroupBox : public Control {
 public:
  void Create(Container& parent, int id, std::wstring_view caption, const Rect& r);
  void AddMember(Window& member);

 protected:
  void ApplyEnabled() override;

 private:
  std::vector<Window*> members_;
};

class Button : public Control {
 public:
  void Create(Container& parent, int id, std::wstring_view caption, const Rect& r, bool isDefault = false);
  // Runs OnClick as a user's click would (only when enabled).
  void Click();
  std::function<void()> OnClick;
  bool OnCommand(WORD code) override;
};

// Check box. Setting Checked from code runs OnClick exactly when the state
// changes, as a user's click does; loaders rely on this.
class CheckBox : public Control {
 public:
  void Create(Container& parent, int id, std::wstring_view caption, const Rect& r);
  bool Checked() const;
  void SetChecked(bool checked);
  std::function<void()> OnClick;
  bool OnCommand(WORD code) override;
};

// Radio button; buttons passed to the same RadioGroup exclude one another.
// Setting Checked from code unchecks the others of the group and runs the
// OnClick of the button that became checked, exactly when it changed.
class RadioButton : public Control {
 public:
  void Create(Container& parent, int id, std::wstring_view caption, const Rect& r, bool firstOfGroup);
  bool Checked() const;
  void SetChecked(bool checked);
  std::function<void()> OnClick;
  bool OnCommand(WORD code) override;
  void JoinGroup(std::vector<RadioButton*>* group) { group_ = group; }

 private:
  std::vector<RadioButton*>* group_ = nullptr;
};

// Owns the list that ties radio buttons together.
class RadioGroup {
 public:
  void Add(RadioButton& button);
 private:
  std::vector<RadioButton*> buttons_;
};

// One-line edit. OnChange runs on every text change (user or code).
class Edit : public Control {
 public:
  void Create(Container& parent, int id, std::wstring_view text, const Rect& r, DWORD extraStyle = 0);
  void SetMaxLength(int characters);
  void SetReadOnly(bool readOnly);
  // Switches the input method editor off for this box (addresses, paths).
  void DisableImeInput();
  std::function<void()> OnChange;
  // The box lost the input focus.
  std::function<void()> OnExit;
  bool OnCommand(WORD code) override;
};

// Multi-line edit with both scroll bars and no word wrap.
class Memo : public Edit {
 public:
  void Create(Container& parent, int id, const Rect& r);
  StringList Lines() const;
  void SetLines(const StringList& lines);
  void AppendLine(std::wstring_view line);

 private:
  WindowProcHook hook_;  // Escape goes to the form (Controls.cpp)
};

// Drop-down list without free text. Setting ItemIndex from code does not run
// OnChange (only the user's choice does).
class ComboList : public Control {
 public:
  void Create(Container& parent, int id, const Rect& r, int dropDownRows = 12);
  void Clear();
  int Add(std::wstring_view item);
  int Count() const;
  std::wstring Item(int index) const;
  // Replaces the text of one item in place (keeps the selection).
  void SetItem(int index, std::wstring_view item);
  int ItemIndex() const;  // -1 when nothing is selected
  void SetItemIndex(int index);  // out-of-range selects nothing
  // The height includes the drop-down list.
  void SetBounds(const Rect& r) override;
  Rect LayoutBounds() const override;
  std::function<void()> OnChange;
  bool OnCommand(WORD code) override;

 private:
  void FitDroppedWidth();
  int givenHeight_ = 0;  // with the list: the window reports its field only
};

// Grid of text: row 0 holds the column titles (the header), data rows start
// at 1. Whole-row selection, no in-place editing, vertical scroll bar.
// A new grid has the title row and one empty data row.
class Grid : public Control {
 public:
  // `style`: list-view styles added to the grid's own. `widths`, one per
  // title, makes each column that wide at once; else they share the width.
  // A virtual list (LVS_OWNERDATA) starts without rows: its owner sets
  // their count.
  void Create(Container& parent, int id, const Rect& r, const StringList& columnTitles, DWORD style = 0,
              const std::vector<int>& widths = {});
  int ColCount() const;
  // Rows including the title row; never below 1.
  int RowCount() const;
  // Adds empty rows at the end or removes rows from the end.
  void SetRowCount(int rows);
  // Row 0 reads and writes the column titles; cells beyond the grid read
  // empty and are ignored on write.
  std::wstring Cell(int col, int row) const;
  void SetCell(int col, int row, std::wstring_view text);
  // The selected data row (1 .. RowCount()-1); 1 when nothing is selected
  // and the grid has a data row, 0 when it has none.
  int Row() const;
  void SetRow(int row);
  // Background colour of the cells (greyed look versus normal).
  void SetColor(COLORREF color);
  std::function<void()> OnClick;
  // Insert, Enter and Delete pressed on the focused grid (a list's add,
  // edit and delete commands).
  std::function<void()> OnInsertKey;
  std::function<void()> OnEnterKey;
  std::function<void()> OnDeleteKey;
  bool OnNotify(NMHDR* header, LRESULT& result) override;

 private:
  int cols_ = 0;
  WindowProcHook hook_;  // Enter reaches the grid (ListControls.cpp)
};

// List with a check box per row.
class CheckList : public Control {
 public:
  void Create(Container& parent, int id, const Rect& r);
  void Clear();
  int Add(std::wstring_view item, bool checked = false);
  int Count() const;
  std::wstring Item(int index) const;
  bool Checked(int index) const;
  // From code: no OnClickCheck.
  void SetChecked(int index, bool checked);
  // The user checked or unchecked a row.
  std::function<void(int index)> OnClickCheck;
  bool OnNotify(NMHDR* header, LRESULT& result) override;

 private:
  bool settingFromCode_ = false;
};

// A tab strip (the setting tabs). Setting TabIndex from code runs no event.
class TabStrip : public Control {
 public:
  void Create(Container& parent, int id, const Rect& r);
  // Every tab in as many rows as it takes (TCS_MULTILINE), or one row that
  // scrolls.
  void SetMultiLine(bool multiLine);
  int RowCount() const;
  // Replaces every tab at once: one repaint and one OnItemsChanged, however
  // many tabs (hundreds of settings load as fast as a few).
  void SetTabs(const StringList& captions);
  int Count() const;
  std::wstring Tab(int index) const;
  int TabIndex() const;  // -1 when there is none
  void SetTabIndex(int index);
  // Selects the next (or previous) tab, after the last the first, as the
  // user's choice of it would.
  void SelectNext(bool forward);
  std::function<void()> OnChange;
  // Tabs were replaced: the rows of tabs, and with them the
  // display area below them, may have changed.
  std::function<void()> OnItemsChanged;
  bool OnNotify(NMHDR* header, LRESULT& result) override;
  void ContextMenuAt(POINT screen) override;

 private:
  void ItemsChanged() {
    if (OnItemsChanged) OnItemsChanged();
  }
  // The tab control reports a right click both as NM_RCLICK and, through
  // the default window procedure, as WM_CONTEXTMENU: run the handler once.
  LONG rightClickTime_ = -1;
  WindowProcHook hook_;  // repairs TCM_SETCURFOCUS (TabControls.cpp)
};

// A tab control with one Panel per page; the page of the selected tab is
// shown, the others hidden.
class PageControl : public Control {
 public:
  void Create(Container& parent, int id, const Rect& r);
  // Adds a page; the returned panel is owned by the page control.
  Panel& AddPage(std::wstring_view caption);
  int PageCount() const;
  Panel& Page(int index);
  // Client area of the pages inside the page control (pixels, page coordinates
  // start at 0,0).
  Rect PageArea() const;
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);  // out-of-range is ignored
  // Shows the next (or previous) page, after the last the first, as the
  // user's choice of its tab would. The focus, when it was on the page
  // that goes, moves to the new page's first control.
  void SelectNext(bool forward);
  std::function<void()> OnChange;
  // Called with a page's index just before it shows, however it came to be
  // shown (a page may build its controls then).
  std::function<void(int index)> OnPageShowing;
  bool OnNotify(NMHDR* header, LRESULT& result) override;
  // Moves the pages with the tab control.
  void SetBounds(const Rect& r) override;

 private:
  void ShowActivePage();
  Rect PageBounds() const;  // in the parent's client coordinates
  HWND parent_ = nullptr;
  std::vector<std::unique_ptr<Panel>> pages_;
  WindowProcHook hook_;  // repairs TCM_SETCURFOCUS (TabControls.cpp)
};

// Single-panel status bar: the text is also kept as its hint.
class StatusBar : public Control {
 public:
  void Create(Container& parent, int id);
  void SetStatus(std::wstring_view text);
  std::wstring Status() const;
  // Height in pixels, for laying out the window above it.
  int Height() const;
  // Fits the bar to the bottom of its parent again (after the parent was
  // resized; Form does this itself on WM_SIZE).
  void AutoSize();
};

}  // namespace kip::win
