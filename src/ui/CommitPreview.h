// The preview of a commit ("反映内容の確認"): on the first page each field of
// each card and of the machine-wide part as it is now and as the commit will
// make it, the fields that change highlighted; on the second the netsh
// script and the command lines the commit will run. A button turns from one
// page to the other (a tab control would cost the preview a sixth of its
// time to the screen). "反映" goes on, "キャンセル" (Escape, the close box)
// changes nothing.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "ui/DialogShells.h"
#include "ui/win/Controls.h"

namespace kip {

struct PreviewLine {
  std::wstring item;
  std::wstring before, after;
  bool heading = false;  // the title of a card or of the machine-wide part
  bool changed = false;
};

struct PreviewContent {
  std::vector<PreviewLine> lines;
  std::wstring scriptAndCommands;  // CR LF line ends
};

inline constexpr wchar_t kCommitPreviewTitle[] = L"反映内容の確認";

// The first page's list: changed rows and titles on their own colour. It
// draws its rows itself from the lines it holds, which puts a long preview
// on the screen in half the time the list's own drawing takes.
class PreviewGrid : public win::Grid {
 public:
  // The columns get their widths at once: each width set later makes the
  // list lay its header out again.
  void Create(win::Container& parent, int id, const win::Rect& r, const std::array<int, 3>& widths);
  void SetLines(const std::vector<PreviewLine>& lines);
  // WM_DRAWITEM of the list, handed on by its dialog.
  void DrawRow(const DRAWITEMSTRUCT& item) const;
  // The texts the virtual list asks for.
  void GiveText(NMLVDISPINFOW& info) const;

 private:
  void LayOutRows() const;

  std::vector<PreviewLine> lines_;
};

class CommitPreviewDialog : public DialogShell {
 public:
  // Creates the hidden dialog, centred over `owner`, with the content.
  void Create(HWND owner, HFONT font, const PreviewContent& content);
  // Shows it and waits for the answer; true for "反映".
  bool Execute();

  PreviewGrid Fields;
  win::Memo Script;  // made when its page is first shown
  win::Button ButtonPage;
  win::Button ButtonCommit;
  win::Button ButtonCancel;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::array<int, 3> ColumnWidths(const std::array<int, 3>& widest) const;
  void TurnPage();
  void Answer(bool commit);

  win::Rect pageArea_;
  std::wstring scriptText_;
};

// Shows the preview over `owner` and waits for the answer; true for "反映".
bool ShowCommitPreview(HWND owner, HFONT font, const PreviewContent& content);

}  // namespace kip
