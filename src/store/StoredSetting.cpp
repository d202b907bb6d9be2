#include "store/StoredSetting.h"

#include <algorithm>
#include <future>
#include <memory>
#include <system_error>

#include "store/SettingStore.h"
#include "util/Guard.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

// Fewer parts than this are read faster than a thread starts.
constexpr size_t kPartsWorthAThread = 4;

// The setting's card keys (its firewall key is not one), each opened below
// the open setting key at most once, and only when it is read.
class CardKeys {
 public:
  explicit CardKeys(const TkRegistry& setting) : setting_(setting.CurrentKey()) {
    StringList names;
    RunGuarded([&] { setting.GetKeyNames(names); });
    for (std::wstring& name : names) {
      if (IsCardKeyName(name)) names_.push_back(std::move(name));
    }
    keys_.resize(names_.size());
  }

  const StringList& Names() const { return names_; }

  // nullptr when the key does not open.
  const TkRegistry* Key(size_t k) {
    if (!keys_[k]) {
      keys_[k] = std::make_unique<TkRegistry>(setting_);
      keys_[k]->OpenKeyReadOnly(names_[k]);
    }
    return keys_[k]->CurrentKey() ? keys_[k].get() : nullptr;
  }

 private:
  HKEY setting_;
  StringList names_;
  std::vector<std::unique_ptr<TkRegistry>> keys_;
};

// The stored keys that are the own part of a listed card.
std::vector<bool> OwnKeys(const std::vector<CardPartMatch>& matches, size_t keyCount) {
  std::vector<bool> own(keyCount);
  for (const CardPartMatch& match : matches) {
    if (match.found == CardPartFound::Own) own[static_cast<size_t>(match.storedIndex)] = true;
  }
  return own;
}

// Most of the time every card has its own part, or the setting holds no
// part of an absent card: then nothing more needs to be read.
bool MayTakeAnotherPart(const std::vector<CardPartMatch>& matches, const StringList& cardIds, size_t keyCount) {
  bool cardWithout = false;
  for (size_t i = 0; i < matches.size(); ++i) {
    cardWithout = cardWithout || (matches[i].found == CardPartFound::None && !cardIds[i].empty());
  }
  const std::vector<bool> own = OwnKeys(matches, keyCount);
  return cardWithout && std::find(own.begin(), own.end(), false) != own.end();
}

// What identifies the listed cards that have no part of their own.
void IdentifyPresent(const StoredSettingRequest& request, const std::vector<CardPartMatch>& matches,
                     std::vector<CardIdentity>& present) {
  std::vector<size_t> needing;
  StringList ids;
  for (size_t i = 0; i < matches.size(); ++i) {
    if (matches[i].found != CardPartFound::None || present[i].cardId.empty()) continue;
    needing.push_back(i);
    ids.push_back(present[i].cardId);
  }
  const std::vector<CardIdentity> read = request.identify(ids);
  for (size_t n = 0; n < needing.size() && n < read.size(); ++n) {
    present[needing[n]].macAddress = read[n].macAddress;
    present[needing[n]].connectionName = read[n].connectionName;
  }
}

class PartChooser {
 public:
  // `readChosen`: the chosen parts are read too.
  PartChooser(const StoredSettingRequest& request, CardKeys& keys, bool readChosen)
      : request_(request), keys_(keys), readChosen_(readChosen), parts_(keys.Names().size()),
        labels_(keys.Names().size()) {}

  std::vector<ChosenCardPart> Choose() {
    std::vector<CardIdentity> present, stored;
    for (const std::wstring& id : request_.cardIds) present.push_back({id, L"", L""});
    for (const std::wstring& name : keys_.Names()) stored.push_back({name, L"", L""});
    std::vector<CardPartMatch> matches = MatchCardParts(present, stored);
    if (request_.identify && MayTakeAnotherPart(matches, request_.cardIds, stored.size())) {
      IdentifyPresent(request_, matches, present);
      ReadOtherParts(OwnKeys(matches, stored.size()), stored);
      matches = MatchCardParts(present, stored);
    }
    if (readChosen_) ReadChosenParts(matches);
    std::vector<ChosenCardPart> chosen(request_.cardIds.size());
    for (size_t i = 0; i < matches.size(); ++i) {
      if (matches[i].found != CardPartFound::None) chosen[i] = Chosen(matches[i], ReadsPartOf(i));
    }
    return chosen;
  }

 private:
  bool ReadsPartOf(size_t card) const {
    return readChosen_ && (!request_.onlyPartOf || *request_.onlyPartOf == card);
  }

  const CardPart* Part(size_t k) {
    if (!parts_[k]) {
      if (const TkRegistry* key = keys_.Key(k)) parts_[k] = ReadCardPart(*key, request_.osMajorVersion);
    }
    return parts_[k] ? &*parts_[k] : nullptr;
  }

  // The chosen parts are most of a setting's read, a call into the registry
  // per value: two threads halve the wait (16 cards under Wine: 13 ms read
  // one after the other, 8 ms in two halves). Each key is read by one thread.
  void ReadChosenParts(const std::vector<CardPartMatch>& matches) {
    std::vector<size_t> keys;
    for (size_t i = 0; i < matches.size(); ++i) {
      if (matches[i].found != CardPartFound::None && ReadsPartOf(i)) keys.push_back(static_cast<size_t>(matches[i].storedIndex));
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    const auto readRange = [this, &keys](size_t from, size_t to) {
      for (size_t k = from; k < to; ++k) Part(keys[k]);
    };
    size_t half = keys.size() >= kPartsWorthAThread ? keys.size() / 2 : keys.size();
    std::future<void> other;
    try {
      if (half < keys.size()) other = std::async(std::launch::async, readRange, half, keys.size());
    } catch (const std::system_error&) {
      half = keys.size();  // no thread to be had: all in this one
    }
    readRange(0, half);
    if (other.valid()) other.get();
  }

  // The parts of the keys no listed card owns, with what identified their
  // cards and their labels: one of them may go to a card without its own.
  void ReadOtherParts(const std::vector<bool>& own, std::vector<CardIdentity>& stored) {
    for (size_t k = 0; k < stored.size(); ++k) {
      if (own[k]) continue;
      const CardPart* part = Part(k);
      if (!part) continue;
      stored[k].macAddress = part->macAddress;
      stored[k].connectionName = part->connectionName;
      stored[k].macRecorded = part->macRecorded;
      labels_[k] = keys_.Key(k)->TryReadString(L"Description").value_or(L"");
    }
  }

  // A key that went away meanwhile gives none: the card keeps its live values.
  ChosenCardPart Chosen(const CardPartMatch& match, bool readPart) {
    const size_t k = static_cast<size_t>(match.storedIndex);
    ChosenCardPart chosen{match.found, keys_.Names()[k], L"", std::nullopt};
    if (readPart) {
      const CardPart* part = Part(k);
      if (!part) return {};
      chosen.part = *part;
    }
    if (chosen.Borrowed()) chosen.borrowedLabel = labels_[k].empty() ? keys_.Names()[k] : labels_[k];
    return chosen;
  }

  const StoredSettingRequest& request_;
  CardKeys& keys_;
  const bool readChosen_;
  std::vector<std::optional<CardPart>> parts_;
  StringList labels_;
};

}  // namespace

StoredSetting ReadStoredSetting(const StoredSettingRequest& request) {
  StoredSetting setting;
  setting.cards.resize(request.cardIds.size());
  setting.machineWide = request.defaults;
  TkRegistry key(HKEY_LOCAL_MACHINE);
  // Without a name the setting key would be the store root.
  setting.keyFound = !request.settingName.empty() && key.OpenKeyReadOnly(SettingKeyPath(request.settingName));
  if (setting.keyFound) {
    CardKeys cardKeys(key);
    setting.cards = PartChooser(request, cardKeys, true).Choose();
    setting.machineWide = ReadMachineWide(key, request.defaults);
    setting.firewall = ReadStoredFirewallPart(key);
  }
  if (!request.programFolder.empty()) {
    const BatchFilePaths files = BatchFilesOf(request.settingName, request.programFolder);
    setting.batch = {ReadBatchFile(files.before), ReadBatchFile(files.after)};
  }
  return setting;
}

std::vector<ChosenCardPart> ChooseStoredParts(const StoredSettingRequest& request) {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (request.settingName.empty() || !key.OpenKeyReadOnly(SettingKeyPath(request.settingName))) {
    return std::vector<ChosenCardPart>(request.cardIds.size());
  }
  CardKeys cardKeys(key);
  return PartChooser(request, cardKeys, false).Choose();
}

}  // namespace kip
