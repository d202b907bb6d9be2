#include "app/pages/BatchPage.h"

#include "MainIds.h"
#include "app/pages/PageMetrics.h"

namespace kip {

void BatchPage::CreateControls(win::Panel& panel, const win::DialogUnits& du) {
  before_.Create(panel, IDE_MemoBefore, du.R(6, 6, kPageWidth, 94));
  before_.SetHint(L"右クリックでメニューが出ます");
  label_.Create(panel, IDT_LabelBat, L"[↑]切替え前　[↓]切替え後", du.R(6, 104, kPageWidth, 8), SS_CENTER);
  after_.Create(panel, IDE_MemoAfter, du.R(6, 116, kPageWidth, 94));
  after_.SetHint(L"右クリックでメニューが出ます");
  for (win::Memo* memo : {&before_, &after_}) {
    memo->OnChange = [this] { Edited(); };
    memo->OnContextMenu = [this](POINT at) {
      if (OnContextMenu) OnContextMenu(at);
    };
  }
}

void BatchPage::FillControls() {
  before_.SetLines(Kept().before);
  after_.SetLines(Kept().after);
}

BatchTexts BatchPage::ReadControls() const { return {before_.Lines(), after_.Lines()}; }

BatchMemo BatchPage::Target() const { return TargetMemo(Built() && GetFocus() == before_.Handle()); }

void BatchPage::Append(BatchMemo memo, std::wstring_view line) {
  if (!Built()) {
    BatchTexts texts = Collect();
    (memo == BatchMemo::Before ? texts.before : texts.after).emplace_back(line);
    Show(std::move(texts));
    Edited();
    return;
  }
  (memo == BatchMemo::Before ? before_ : after_).AppendLine(line);
}

}  // namespace kip
