// The batch page: the lines run before and after a commit ("バッチ処理").
#pragma once

#include <string_view>

#include "app/pages/Page.h"
#include "store/BatchFiles.h"
#include "app/pages/PageValues.h"
#include "ui/BatchMemo.h"
#include "ui/win/Controls.h"
#include "util/Text.h"

namespace kip {

class BatchPage final : public ValuesPage<BatchTexts> {
 public:
  // A right click on a memo (screen coordinates); the frame owns the menu.
  std::function<void(POINT)> OnContextMenu;
  // The memo a line of the right-click menu goes to, by the focus now.
  BatchMemo Target() const;
  // Appends a line as the memo's new last line; an edit.
  void Append(BatchMemo memo, std::wstring_view line);

 private:
  void CreateControls(win::Panel& panel, const win::DialogUnits& du) override;
  void FillControls() override;
  BatchTexts ReadControls() const override;

  win::Memo before_;
  win::Label label_;
  win::Memo after_;
};

}  // namespace kip
