// The card list of the main window: built once at start-up.
#include "app/UkIpConfig.h"
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
  for (int i = 0; i < ComboDescription.Count(); ++i) labels.push_back(ComboDescription.Item(i));
  return labels;
}

std::wstring TFormIpconfig::SelectedCardId() const { return CardIdAt(ComboDescription.ItemIndex()); }

std::wstring TFormIpconfig::CardIdAt(int index) const {
  return index >= 0 && index < static_cast<int>(CardIds.size()) ? CardIds[static_cast<size_t>(index)] : L"";
}

}  // namespace kip
