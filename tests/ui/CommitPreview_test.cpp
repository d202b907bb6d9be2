// The preview's window over a main window at the screen's corner: it stays
// on the screen, its columns are as wide as their longest texts, so that a
// setting's long values can be read whole, and its list holds every text.
#include "ui/CommitPreview.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "WinTestForm.h"
#include "ui/win/Layout.h"

namespace kip {
namespace {

int TextWidth(HFONT font, const std::wstring& text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cx;
}

TEST(CommitPreviewWindow, StaysOnTheScreenAndShowsLongValuesWhole) {
  UniqueHFont font = win::CreateUiFont(96);
  win::test::TestForm owner;  // 480 pixels wide, narrower than the preview
  owner.SetPosition(0, 0);
  const std::wstring addresses = L"192.168.10.20/255.255.255.0, 192.168.10.21/255.255.255.0, 10.0.0.1/255.0.0.0";
  PreviewContent content;
  content.lines = {{L"ローカル エリア接続 2", L"", L"", true, false},
                   {L"IP アドレス", L"自動", addresses, false, true},
                   {L"DNS サーバー", L"自動", L"なし", false, true}};
  CommitPreviewDialog dialog;
  dialog.Create(owner.Handle(), font.get(), content);

  RECT self{};
  GetWindowRect(dialog.Handle(), &self);
  const RECT work = win::WorkAreaOf(owner.Handle());
  EXPECT_GE(self.left, work.left);
  EXPECT_GE(self.top, work.top);
  EXPECT_LE(self.right, work.right);
  EXPECT_GE(SendMessageW(dialog.Fields.Handle(), LVM_GETCOLUMNWIDTH, 2, 0), TextWidth(font.get(), addresses));
  EXPECT_GE(SendMessageW(dialog.Fields.Handle(), LVM_GETCOLUMNWIDTH, 0, 0),
            TextWidth(font.get(), L"■ ローカル エリア接続 2"));
  // What a screen reader reads: every cell's text held by the list itself,
  // not only drawn.
  for (size_t i = 0; i < content.lines.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    EXPECT_EQ(dialog.Fields.Cell(0, row), content.lines[i].item);
    EXPECT_EQ(dialog.Fields.Cell(1, row), content.lines[i].before);
    EXPECT_EQ(dialog.Fields.Cell(2, row), content.lines[i].after);
  }
}

}  // namespace
}  // namespace kip
