#include "app/AutoSwitch.h"

#include <algorithm>

#include "apply/StepLog.h"
#include "store/SettingStore.h"
#include "util/Guard.h"

namespace kip {

namespace {

// Without Windows' notifications the networks are read this often: a
// change then counts within 2.5 s (a read, then the two seconds it must
// hold), for about 0.2 % of one core (measured by bench/autoswitch.sh).
constexpr uint64_t kPollMs = 500;
// With them, a look now and then still catches what no notification
// reports (a gateway's neighbour entry resolved later).
constexpr uint64_t kNotifiedLookMs = 30000;
// The rules are read again this often when nothing said they changed.
constexpr uint64_t kRulesMs = 10000;

std::vector<NamedRule> StoredRules(StringList& notes) {
  std::vector<NamedRule> rules;
  for (const std::wstring& name : ListSettingNames()) {
    std::optional<StoredSwitchRule> stored;
    RunGuarded([&] { stored = LoadSwitchRule(name); });
    if (!stored) continue;
    for (const std::wstring& note : stored->notes) notes.push_back(L"設定[" + name + L"]の自動切替の条件を無視しました: " + note);
    if (stored->rule.ConditionCount() > 0) rules.push_back({name, std::move(stored->rule)});
  }
  return rules;
}

std::wstring Names(const StringList& names) {
  std::wstring text;
  for (const std::wstring& name : names) text += (text.empty() ? L"" : L", ") + name;
  return text;
}

}  // namespace

AutoSwitch::AutoSwitch(Host& host, HWND window, Options options)
    : host_(host), window_(window), options_(std::move(options)), changed_(std::make_shared<std::atomic<bool>>(false)) {
  if (!options_.clock) options_.clock = [] { return static_cast<uint64_t>(GetTickCount64()); };
  if (!options_.readRules) options_.readRules = StoredRules;
  if (!options_.readNetworks) {
    wifi_ = CreateWlanReader();
    options_.readNetworks = [this] { return ReadPresentNetworks(wifi_.get()); };
    watch_ = std::make_unique<NetworkChangeWatch>([flag = changed_] { *flag = true; });
  }
  LoadRules();
  if (window_) Schedule(options_.clock());
}

AutoSwitch::~AutoSwitch() {
  if (timerSet_) KillTimer(window_, reinterpret_cast<UINT_PTR>(this));
}

bool AutoSwitch::Notified() const { return watch_ && watch_->Works(); }

void AutoSwitch::Log(const std::wstring& text, const std::wstring& result) const {
  StepLog(options_.stepLogPath).Write(text, result);
}

void AutoSwitch::LoadRules() {
  StringList notes;
  RunGuarded([&] { rules_ = options_.readRules(notes); });
  rulesReadAt_ = options_.clock();
  // A damaged rule is noted once, not at every look.
  const std::wstring joined = JoinLines(notes);
  if (joined != lastNotes_) {
    for (const std::wstring& note : notes) Log(note, L"無視");
    lastNotes_ = joined;
  }
}

void AutoSwitch::RulesChanged() {
  LoadRules();
  // A new or changed rule may recognise the network the PC is in now.
  if (readOnce_ && debounce_.Settled()) {
    const PresentNetworks present = options_.readNetworks();
    Settled(present);
  }
}

void CALLBACK AutoSwitch::OnTimer(HWND, UINT, UINT_PTR self, DWORD) {
  RunGuarded([&] { reinterpret_cast<AutoSwitch*>(self)->Tick(); });
}

// The next look: when the network now seen settles, else at the next poll.
void AutoSwitch::Schedule(uint64_t now) {
  uint64_t due = now + kPollMs;
  if (const std::optional<uint64_t> settles = debounce_.SettlesAt()) due = std::min(due, std::max(*settles, now + 10));
  const UINT delay = static_cast<UINT>(due - now);
  timerSet_ = SetTimer(window_, reinterpret_cast<UINT_PTR>(this), delay, &AutoSwitch::OnTimer) != 0;
}

bool AutoSwitch::ShouldRead(uint64_t now) const {
  if (rules_.empty()) return false;  // nothing to recognise: no cost at all
  if (!readOnce_ || debounce_.SettlesAt()) return true;
  if (changed_->exchange(false)) return true;
  return Notified() ? now - lastReadAt_ >= kNotifiedLookMs : true;
}

void AutoSwitch::Tick() {
  const uint64_t now = options_.clock();
  if (now - rulesReadAt_ >= kRulesMs) LoadRules();
  if (ShouldRead(now)) {
    const PresentNetworks present = options_.readNetworks();
    lastReadAt_ = now;
    readOnce_ = true;
    if (debounce_.Observe(now, present.Fingerprint())) Settled(present);
  }
  if (decisionPending_) DecideWhenFree();
  if (window_) Schedule(options_.clock());
}

void AutoSwitch::Settled(const PresentNetworks& present) {
  matched_ = MatchSettings(rules_, present);
  // An offer still shown for a network that is gone commits nothing.
  if (offered_ != matched_) offered_.clear();
  Log(matched_.empty() ? L"ネットワークを認識しました: 該当する設定なし" : L"ネットワークを認識しました: " + Names(matched_),
      L"");
  decisionPending_ = true;
  DecideWhenFree();
}

void AutoSwitch::DecideWhenFree() {
  if (host_.Busy()) return;  // the settled network waits for the window
  decisionPending_ = false;
  bool atOnce = false;
  if (matched_.size() == 1) {
    for (const NamedRule& named : rules_) {
      if (named.settingName == matched_.front()) atOnce = named.rule.commitWithoutAsking;
    }
  }
  const SwitchDecision decision = policy_.Decide(matched_, atOnce);
  if (decision.kind == SwitchDecision::Kind::Nothing) return;
  offered_ = decision.settings;
  // Edits in the window would be asked about first: offer instead.
  if (decision.kind == SwitchDecision::Kind::Commit && !host_.HoldsUnsavedEdits()) {
    CommitAndLog(std::exchange(offered_, {}).front());
    return;
  }
  const std::wstring text = OfferText(offered_);
  host_.ShowOffer(text);
  Log(text, L"通知");
}

void AutoSwitch::OfferClicked() {
  if (offered_.empty() || host_.Busy()) return;
  const StringList settings = std::exchange(offered_, {});
  const std::wstring chosen = settings.size() > 1 ? host_.Choose(settings) : settings.front();
  if (!chosen.empty()) CommitAndLog(chosen);
}

void AutoSwitch::CommitAndLog(const std::wstring& settingName) {
  Log(L"自動切替: 設定[" + settingName + L"]を確認付きで反映します", L"");
  const bool committed = host_.CommitWithReturn(settingName);
  Log(L"自動切替: 設定[" + settingName + L"]を確認付きで反映しました", committed ? L"OK" : L"失敗");
}

void AutoSwitch::CommittedByHand() { policy_.CommittedByHand(matched_); }

}  // namespace kip
