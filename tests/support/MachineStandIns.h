// Stand-ins for WinINet's per-connection option, the accounts and
// INetFwPolicy2 that keep state as Windows does (what is set reads back),
// refuse what Windows refuses (a group it does not have: S_FALSE), and log
// every call with its arguments in one list.
#pragma once

#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "apply/MachineWriters.h"
#include "util/Text.h"

namespace kip::test {

using CallLog = std::vector<std::string>;

inline std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
  return text;
}

class RecordingInternet final : public InternetOptions {
 public:
  explicit RecordingInternet(CallLog& log) : log_(log) {}
  DWORD SetLanOptions(const std::vector<PerConnOption>& options) override {
    std::string call = "per-connection set LAN:";
    for (const PerConnOption& o : options) {
      call += " " + std::to_string(o.option) + "=" + (o.option == kPerConnFlags ? Hex(o.number) : ToUtf8(o.text));
    }
    log_.push_back(call);
    if (refuseSet != ERROR_SUCCESS) return refuseSet;
    if (ignoreSet) return ERROR_SUCCESS;
    for (const PerConnOption& o : options) {
      if (o.option == kPerConnFlags) flags = o.number;
      else strings[o.option] = o.text;
    }
    return ERROR_SUCCESS;
  }
  DWORD QueryLanOptions(std::vector<PerConnOption>& options) override {
    log_.push_back("per-connection query LAN");
    for (PerConnOption& o : options) {
      if (o.option == kPerConnFlags || o.option == kPerConnFlagsUi) o.number = flags;
      else o.text = strings[o.option];
    }
    return ERROR_SUCCESS;
  }
  DWORD Announce(DWORD option) override {
    log_.push_back("option " + std::to_string(option));
    return ERROR_SUCCESS;
  }
  bool QueryIsWhole() const override { return true; }
  DWORD flags = kProxyTypeDirect;
  std::map<DWORD, std::wstring> strings;
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

// The firewall's state; `frozen` makes every write succeed and change
// nothing (a write Windows ignored).
struct FirewallModel {
  std::map<long, bool> on{{2, true}, {4, true}}, blockAll{{2, false}, {4, false}};
  std::map<std::wstring, bool> groups;  // the groups Windows has
  std::vector<FirewallRuleFacts> rules;
  std::set<std::string> refused;  // calls answered E_ACCESSDENIED, by name
  bool frozen = false;
  CallLog* log = nullptr;
};

class ModelFirewall final : public FirewallApi {
 public:
  explicit ModelFirewall(FirewallModel& model) : m_(model) {}
  HRESULT FirewallEnabled(long profile, bool& enabled) override { return Get("FirewallEnabled", m_.on, profile, enabled); }
  HRESULT SetFirewallEnabled(long profile, bool enabled) override {
    return Put("put_FirewallEnabled " + std::to_string(profile) + Flag(enabled), [&] { m_.on[profile] = enabled; });
  }
  HRESULT BlockAllInbound(long profile, bool& block) override { return Get("BlockAllInboundTraffic", m_.blockAll, profile, block); }
  HRESULT SetBlockAllInbound(long profile, bool block) override {
    return Put("put_BlockAllInboundTraffic " + std::to_string(profile) + Flag(block),
               [&] { m_.blockAll[profile] = block; });
  }
  HRESULT RuleGroupEnabled(long, const std::wstring& group, bool& enabled) override {
    auto found = m_.groups.find(group);
    if (found == m_.groups.end()) return S_FALSE;
    enabled = found->second;
    return S_OK;
  }
  HRESULT EnableRuleGroup(long profiles, const std::wstring& group, bool enable) override {
    const std::string call = "EnableRuleGroup " + std::to_string(profiles) + " " + ToUtf8(group) + Flag(enable);
    if (!m_.groups.count(group)) {
      Log(call);
      return S_FALSE;
    }
    return Put(call, [&] { m_.groups[group] = enable; });
  }
  HRESULT ReadRules(std::vector<FirewallRuleFacts>& rules) override {
    rules = m_.rules;
    return S_OK;
  }
  HRESULT EnableRules(const RuleEntryKey& entry, bool enable) override {
    const std::string call = "rules " + ToUtf8(entry.kind) + " " + ToUtf8(entry.key) + Flag(enable);
    bool found = false;
    for (FirewallRuleFacts& rule : m_.rules) found = found || EntryKeyOfRule(rule) == entry;
    if (!found) {
      Log(call);
      return S_FALSE;
    }
    return Put(call, [&] {
      for (FirewallRuleFacts& rule : m_.rules) {
        if (EntryKeyOfRule(rule) == entry) rule.enabled = enable;
      }
    });
  }

 private:
  static std::string Flag(bool on) { return on ? " on" : " off"; }
  void Log(const std::string& call) {
    if (m_.log) m_.log->push_back(call);
  }
  HRESULT Get(const char* what, std::map<long, bool>& values, long profile, bool& value) {
    if (m_.refused.count(what)) return E_ACCESSDENIED;
    value = values[profile];
    return S_OK;
  }
  template <typename Change>
  HRESULT Put(const std::string& call, Change&& change) {
    Log(call);
    if (m_.refused.count(call.substr(0, call.find(' ')))) return E_ACCESSDENIED;
    if (!m_.frozen) change();
    return S_OK;
  }
  FirewallModel& m_;
};

// An opener over `model`; `missing` answers as Windows does without the
// COM class (REGDB_E_CLASSNOTREG).
inline FirewallOpener OpenerOf(FirewallModel& model, bool missing = false) {
  return [&model, missing](HRESULT& error) -> std::unique_ptr<FirewallApi> {
    if (missing) {
      error = REGDB_E_CLASSNOTREG;
      return nullptr;
    }
    error = S_OK;
    return std::make_unique<ModelFirewall>(model);
  };
}

}  // namespace kip::test
