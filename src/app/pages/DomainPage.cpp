#include "app/pages/DomainPage.h"

#include "MainIds.h"
#include "app/pages/PageMetrics.h"

namespace kip {

namespace {

const wchar_t* const kCautionText =
    L"※ドメインで使用している場合、ネットワークID設定を変更すると\n"
    L"ドメインに参加できなくなることがあります。\n"
    L"ドメインを管理しているシステム管理者と相談してから設定してください.";

}  // namespace

void ChooseRadio(bool& choice, bool& other, bool checked) {
  choice = checked;
  if (checked) other = false;
}

void DomainPage::CreateControls(win::Panel& panel, const win::DialogUnits& du) {
  group_.Create(panel, IDG_GroupBoxNetID, L"ネットワーク ID", du.R(6, 6, kPageWidth, 128));
  machineNameLabel_.Create(panel, IDT_LabelCompName, L"コンピュータ名", du.R(14, 22, 64, 8));
  machineName_.Create(panel, IDE_EditHostName, L"", du.R(80, 20, 150, 12));
  change_.Create(panel, IDX_CheckChangeDomain, L"ドメイン、ワークグループを切り替える", du.R(14, 40, 280, 10));
  joinDomain_.Create(panel, IDR_RadioDomain, L"ドメイン", du.R(26, 56, 70, 10), true);
  domain_.Create(panel, IDE_EditDomainServer, L"", du.R(100, 54, 150, 12));
  joinWorkGroup_.Create(panel, IDR_RadioWorkGroup, L"ワークグループ", du.R(26, 72, 70, 10), false);
  workGroup_.Create(panel, IDE_EditWorkGroup, L"", du.R(100, 70, 150, 12));
  choices_.Add(joinDomain_);
  choices_.Add(joinWorkGroup_);
  caution_.Create(panel, IDT_LabelDomain, kCautionText, du.R(14, 94, 286, 30));
  caution_.StartGroup();
  ipRouter_.Create(panel, IDX_IPRouter, L"IP 転送を行う", du.R(14, 146, 120, 10));
  ipRouter_.SetVisible(false);

  for (win::Edit* edit : {&machineName_, &domain_, &workGroup_}) edit->OnChange = [this] { Edited(); };
  auto click = [this] {
    ApplyEnabling();
    Edited();
  };
  change_.OnClick = click;
  joinDomain_.OnClick = click;
  joinWorkGroup_.OnClick = click;
}

void DomainPage::FillControls() {
  const DomainPageValues& values = Kept();
  machineName_.SetText(values.machineName);
  change_.SetChecked(values.domain.change);
  domain_.SetText(values.domain.domain);
  joinDomain_.SetChecked(values.domain.joinDomain);
  workGroup_.SetText(values.domain.workGroup);
  joinWorkGroup_.SetChecked(values.domain.joinWorkGroup);
  ipRouter_.SetChecked(values.ipEnableRouter);
  ApplyEnabling();
}

DomainPageValues DomainPage::ReadControls() const {
  DomainPageValues values;
  values.machineName = machineName_.Text();
  values.domain.change = change_.Checked();
  values.domain.domain = domain_.Text();
  values.domain.joinDomain = joinDomain_.Checked();
  values.domain.workGroup = workGroup_.Text();
  values.domain.joinWorkGroup = joinWorkGroup_.Checked();
  values.ipEnableRouter = ipRouter_.Checked();
  return values;
}

DomainPageValues DomainPage::Tidied(DomainPageValues values) const {
  for (std::wstring* name : {&values.machineName, &values.domain.domain, &values.domain.workGroup}) {
    *name = Trim(*name);
  }
  return values;
}

void DomainPage::ApplyEnabling() {
  const bool change = change_.Checked();
  joinDomain_.SetEnabled(change);
  joinWorkGroup_.SetEnabled(change);
  domain_.SetEnabled(change && joinDomain_.Checked());
  workGroup_.SetEnabled(change && joinWorkGroup_.Checked());
}

}  // namespace kip
