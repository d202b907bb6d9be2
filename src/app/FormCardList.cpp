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

// The labels of the present cards, in the order of `CardIds` (without the
// mark of a card that uses another card's part).
StringList TFormIpconfig::CardLabels() const {
  StringList labels;
  for (int i = 0; i < ComboDescription.Count(); ++i) labels.push_back(UnmarkedCardLabel(ComboDescription.Item(i)));
  return labels;
}

// Marks the cards that use, under the setting, the stored part of a card
// no longer present, and says in the status bar whose part the selected
// card uses (`cards`: index-parallel to the card list).
void TFormIpconfig::MarkCardParts(const std::vector<ChosenCardPart>& cards) {
  const StringList labels = CardLabels();
  for (size_t i = 0; i < labels.size(); ++i) {
    const std::wstring label = MarkedCardLabel(labels[i], i < cards.size() && cards[i].Borrowed());
    if (ComboDescription.Item(static_cast<int>(i)) != label) ComboDescription.SetItem(static_cast<int>(i), label);
  }
  const int selected = ComboDescription.ItemIndex();
  const ChosenCardPart shown =
      selected >= 0 && static_cast<size_t>(selected) < cards.size() ? cards[static_cast<size_t>(selected)]
                                                                    : ChosenCardPart{};
  if (shown.Borrowed()) {
    StatusBar1.SetStatus(BorrowedPartText(shown.borrowedLabel));
  } else if (IsBorrowedPartText(StatusBar1.Status())) {
    StatusBar1.SetStatus(L"");
  }
}

// The card identifier of the selected card, or empty.
std::wstring TFormIpconfig::SelectedCardId() const { return CardIdAt(ComboDescription.ItemIndex()); }

// The identifier of card `index`, or empty when there is none.
std::wstring TFormIpconfig::CardIdAt(int index) const {
  return index >= 0 && index < static_cast<int>(CardIds.size()) ? CardIds[static_cast<size_t>(index)] : L"";
}

}  // namespace kip
