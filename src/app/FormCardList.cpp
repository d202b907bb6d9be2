// The card list of the main window: built once at start-up.
#include "app/UkIpConfig.h"
#include "apply/CommitSource.h"
#include "machine/CardList.h"
#include "machine/IPInfo.h"
#include "util/Guard.h"

namespace kip {

void TFormIpconfig::BuildCardList() {
  CardList cards;
  cards.ids = CardIds;
  cards.labels = CardLabels();

  // Each pass runs in its own guard: a failure ends that pass only and the
  // list keeps what the earlier passes made.
  RunGuarded([&] { ReadAdapters(cards, TIPInfo().Adapters()); });
  RunGuarded([&] { ReadClassDescriptions(cards, [this](const std::wstring& id) { return ReadLiveInterface(id); }); });
  RunGuarded([&] { ReadNetworkCards(cards); });

  int selected = ComboDescription.ItemIndex();
  CardIds = cards.ids;
  ComboDescription.Clear();
  for (const auto& label : cards.labels) ComboDescription.Add(label);
  ComboDescription.SetItemIndex(selected);
}

StringList TFormIpconfig::CardLabels() const {
  StringList labels;
  for (int i = 0; i < ComboDescription.Count(); ++i) labels.push_back(UnmarkedCardLabel(ComboDescription.Item(i)));
  return labels;
}

std::wstring TFormIpconfig::MarkCardParts(const std::wstring& settingName) {
  const StringList labels = CardLabels();
  const std::vector<CardPartChoice> choices = ChooseCardParts(settingName, CardIds, CommitEnvironmentOfWindow());
  for (size_t i = 0; i < labels.size(); ++i) {
    const std::wstring label = MarkedCardLabel(labels[i], i < choices.size() && choices[i].borrowed);
    if (ComboDescription.Item(static_cast<int>(i)) != label) ComboDescription.SetItem(static_cast<int>(i), label);
  }
  const int selected = ComboDescription.ItemIndex();
  const CardPartChoice shown =
      selected >= 0 && static_cast<size_t>(selected) < choices.size() ? choices[static_cast<size_t>(selected)]
                                                                      : CardPartChoice{};
  if (shown.borrowed) {
    StatusBar1.SetStatus(BorrowedPartText(shown.borrowedLabel));
  } else if (IsBorrowedPartText(StatusBar1.Status())) {
    StatusBar1.SetStatus(L"");
  }
  return shown.cardKey;
}

std::wstring TFormIpconfig::SelectedCardId() const { return CardIdAt(ComboDescription.ItemIndex()); }

std::wstring TFormIpconfig::CardIdAt(int index) const {
  return index >= 0 && index < static_cast<int>(CardIds.size()) ? CardIds[static_cast<size_t>(index)] : L"";
}

}  // namespace kip
