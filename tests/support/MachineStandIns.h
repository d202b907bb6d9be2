// Stand-ins for WinINet's per-connection option, the accounts and
// INetFwPolicy2 that keep state as Windows does (what is set reads back),
// refuse what Windows refuses (a group or rule it does not have: S_FALSE),
// and log every call with its arguments in one list.
#pragma once

#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "apply/MachineWriters.h"
#include "util/Text.h"

namespace kip::test {

using CallLog = std::vector<std::string>;

class RecordingInternet final : public InternetOptions {
 public:
  explicit RecordingInternet(CallLog& log) : log_(log) {}
  DWORD SetLanOptions(const std::vector<PerConnOption>& options) override {
    std::string call = "per-connection set LAN:";
    for (const PerConnOption& o : options) {
      char flags[16];
      std::snprintf(flags, sizeof flags, "0x%lX", static_cast<unsigned long>(o.number));
      call += " " + std::to_string(o.option) + "=" + (o.option == kPerConnFlags ? flags : ToUtf8(o.text));
    }
    log_.push_back(call);
    if (refuseSet != ERROR_SUCCESS || ignoreSet) return refuseSet;
    for (const PerConnOption& o : options) {
      if (o.option == kPerConnFlags) flags = o.number;
      else texts[o.option] = o.text;
    }
    return ERROR_SUCCESS;
  }
  DWORD QueryLanOptions(std::vector<PerConnOption>& options) override {
    log_.push_back("per-connection query LAN");
    for (PerConnOption& o : options) {
      if (o.option == kPerConnFlagsUi) o.number = flags;
      else o.text = texts[o.option];
    }
    return ERROR_SUCCESS;
  }
  DWORD Announce(DWORD option) override { return log_.push_back("option " + std::to_string(option)), ERROR_SUCCESS; }
  bool QueryIsWhole() const override { return true; }

  DWORD flags = kProxyTypeDirect;
  std::map<DWORD, std::wstring> texts;
  DWORD refuseSet = ERROR_SUCCESS;
  bool ignoreSet = false;  // success, and nothing changes

 private:
  CallLog& log_;
};

class FixedAccounts final : public SessionAccounts {
 public:
  FixedAccounts(std::wstring process, std::wstring user) : process_(std::move(process)), user_(std::move(user)) {}
  std::wstring ProcessAccount() override { return process_; }
  std::wstring InteractiveAccount() override { return user_; }

 private:
  std::wstring process_, user_;
};

class RecordingAnnouncer final : public SettingsAnnouncer {
 public:
  explicit RecordingAnnouncer(CallLog& log) : log_(log) {}
  void InternetSettingsChanged() override { log_.push_back("option 39 (announcer)"); }
  void BroadcastIniChange() override { log_.push_back("WM_WININICHANGE"); }

 private:
  CallLog& log_;
};

// The firewall's state; `frozen`: every write succeeds and changes nothing
// (a write Windows ignored).
struct FirewallModel {
  std::map<long, bool> on{{kPrivateProfile, true}, {kPublicProfile, true}};
  std::map<long, bool> blockAll{{kPrivateProfile, false}, {kPublicProfile, false}};
  std::map<std::wstring, bool> groups;  // the groups Windows has
  std::vector<FirewallRuleFacts> rules;
  bool frozen = false;
  CallLog log;
};

class ModelFirewall final : public FirewallApi {
 public:
  explicit ModelFirewall(FirewallModel& model) : m_(model) {}
  HRESULT FirewallEnabled(long profile, bool& enabled) override { return enabled = m_.on[profile], S_OK; }
  HRESULT SetFirewallEnabled(long profile, bool on) override {
    return Put("put_FirewallEnabled " + std::to_string(profile), on, [&] { m_.on[profile] = on; });
  }
  HRESULT BlockAllInbound(long profile, bool& block) override { return block = m_.blockAll[profile], S_OK; }
  HRESULT SetBlockAllInbound(long profile, bool block) override {
    return Put("put_BlockAllInboundTraffic " + std::to_string(profile), block, [&] { m_.blockAll[profile] = block; });
  }
  HRESULT RuleGroupEnabled(long, const std::wstring& group, bool& enabled) override {
    if (!m_.groups.count(group)) return S_FALSE;
    return enabled = m_.groups[group], S_OK;
  }
  HRESULT EnableRuleGroup(long profiles, const std::wstring& group, bool on) override {
    const std::string call = "EnableRuleGroup " + std::to_string(profiles) + " " + ToUtf8(group);
    if (!m_.groups.count(group)) return Put(call, on, nullptr);
    return Put(call, on, [&] { m_.groups[group] = on; });
  }
  HRESULT ReadRules(std::vector<FirewallRuleFacts>& rules) override { return rules = m_.rules, S_OK; }
  HRESULT EnableRules(const RuleEntryKey& entry, bool on) override {
    const std::string call = "rules " + ToUtf8(entry.kind) + " " + ToUtf8(entry.key);
    bool found = false;
    for (const FirewallRuleFacts& rule : m_.rules) found = found || EntryKeyOfRule(rule) == entry;
    if (!found) return Put(call, on, nullptr);
    return Put(call, on, [&] {
      for (FirewallRuleFacts& rule : m_.rules) rule.enabled = EntryKeyOfRule(rule) == entry ? on : rule.enabled;
    });
  }

 private:
  // Logs the call; no change at all (null) is a target Windows lacks.
  template <typename Change>
  HRESULT Put(const std::string& call, bool on, Change&& change) {
    m_.log.push_back(call + (on ? " on" : " off"));
    if constexpr (std::is_null_pointer_v<std::decay_t<Change>>) {
      return S_FALSE;
    } else {
      if (!m_.frozen) change();
      return S_OK;
    }
  }
  FirewallModel& m_;
};

// An opener over `model`; `missing` answers as Windows does without the
// COM class (REGDB_E_CLASSNOTREG).
inline FirewallOpener OpenerOf(FirewallModel& model, bool missing = false) {
  return [&model, missing](HRESULT& error) -> std::unique_ptr<FirewallApi> {
    error = missing ? REGDB_E_CLASSNOTREG : S_OK;
    return missing ? nullptr : std::make_unique<ModelFirewall>(model);
  };
}

}  // namespace kip::test
