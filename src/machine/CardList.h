// The LAN cards of the machine, as the window and the command line list
// them: identifiers and labels, index-parallel. Built in three passes;
// later passes only relabel cards that the first pass found.
#pragma once

#include <functional>
#include <string>

#include "machine/IPInfo.h"
#include "util/Text.h"

namespace kip {

struct CardList {
  StringList ids;
  StringList labels;

  // Index of the identifier, ignoring letter case; -1 when absent.
  int IndexOf(const std::wstring& id) const;
  void Append(const std::wstring& id, const std::wstring& label);
  // Replaces the label of the card, if it is listed.
  void Relabel(const std::wstring& id, const std::wstring& label);
};

// The label of an adapter description: the text before the first " - "
// (which drops tails such as "- Packet Scheduler Miniport").
std::wstring ShortAdapterLabel(const std::wstring& description);

// Pass 1: every adapter with a name, in the order Windows reports them.
void ReadAdapters(CardList& cards, const std::vector<TAdapter>& adapters);

// Pass 2: the network adapter class key. For each adapter instance bound to
// TCP/IP whose interface key exists (`readLive` loads it and says so), the
// driver description becomes the label.
using LiveInterfaceReader = std::function<bool(const std::wstring& cardId)>;
void ReadClassDescriptions(CardList& cards, const LiveInterfaceReader& readLive);

// Pass 3: the NetWorkCards key: connection name and description.
void ReadNetworkCards(CardList& cards);

// The one way the cards are listed: the three passes above in order, each
// in its own guard (a failure ends that pass only; the list keeps what the
// earlier passes made). Appends to `cards`. Pass 2 counts a card's live
// interface as there when its values read for `osMajorVersion`.
void BuildCardList(CardList& cards, DWORD osMajorVersion);

// The connection name of a card ("ローカル エリア接続"), or empty.
std::wstring GetConnectionName(const std::wstring& cardId);

}  // namespace kip
