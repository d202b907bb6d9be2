// The firewall's own COM interface, INetFwPolicy2, and the pure rule that
// says which rule a page entry stands for.
#include "machine/FirewallApi.h"

#include <netfw.h>
#include <oleauto.h>

#include <cstdio>

#include "util/ComOwners.h"
#include "util/Errors.h"
#include "util/Text.h"

namespace kip {

namespace {

VARIANT_BOOL AsVariant(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

template <typename Get>
std::wstring TextOf(Get&& get) {
  Bstr text;
  return SUCCEEDED(get(text.Out())) ? text.Text() : std::wstring();
}

FirewallRuleFacts FactsOf(INetFwRule* rule) {
  FirewallRuleFacts facts;
  facts.name = TextOf([&](BSTR* out) { return rule->get_Name(out); });
  facts.applicationName = TextOf([&](BSTR* out) { return rule->get_ApplicationName(out); });
  facts.localPorts = TextOf([&](BSTR* out) { return rule->get_LocalPorts(out); });
  facts.grouping = TextOf([&](BSTR* out) { return rule->get_Grouping(out); });
  LONG protocol = 0, profiles = 0;
  if (SUCCEEDED(rule->get_Protocol(&protocol))) facts.protocol = protocol;
  if (SUCCEEDED(rule->get_Profiles(&profiles))) facts.profiles = profiles;
  NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_OUT;
  facts.inbound = SUCCEEDED(rule->get_Direction(&direction)) && direction == NET_FW_RULE_DIR_IN;
  NET_FW_ACTION action = NET_FW_ACTION_BLOCK;
  facts.allow = SUCCEEDED(rule->get_Action(&action)) && action == NET_FW_ACTION_ALLOW;
  VARIANT_BOOL enabled = VARIANT_FALSE;
  facts.enabled = SUCCEEDED(rule->get_Enabled(&enabled)) && enabled == VARIANT_TRUE;
  return facts;
}

class Policy2 final : public FirewallApi {
 public:
  // COM stays set up for this thread while the object lives (a thread that
  // already runs another apartment model keeps it).
  explicit Policy2(bool entered) : apartment_(entered) {}
  INetFwPolicy2** Out() { return policy_.Out(); }

  HRESULT FirewallEnabled(long profile, bool& enabled) override {
    VARIANT_BOOL value = VARIANT_FALSE;
    const HRESULT hr = policy_->get_FirewallEnabled(static_cast<NET_FW_PROFILE_TYPE2>(profile), &value);
    enabled = value == VARIANT_TRUE;
    return hr;
  }
  HRESULT SetFirewallEnabled(long profile, bool enabled) override {
    return policy_->put_FirewallEnabled(static_cast<NET_FW_PROFILE_TYPE2>(profile), AsVariant(enabled));
  }
  HRESULT BlockAllInbound(long profile, bool& block) override {
    VARIANT_BOOL value = VARIANT_FALSE;
    const HRESULT hr = policy_->get_BlockAllInboundTraffic(static_cast<NET_FW_PROFILE_TYPE2>(profile), &value);
    block = value == VARIANT_TRUE;
    return hr;
  }
  HRESULT SetBlockAllInbound(long profile, bool block) override {
    return policy_->put_BlockAllInboundTraffic(static_cast<NET_FW_PROFILE_TYPE2>(profile), AsVariant(block));
  }
  HRESULT RuleGroupEnabled(long profiles, const std::wstring& group, bool& enabled) override {
    Bstr name(group);
    VARIANT_BOOL value = VARIANT_FALSE;
    const HRESULT hr = policy_->IsRuleGroupEnabled(profiles, name.get(), &value);
    enabled = value == VARIANT_TRUE;
    return hr;
  }
  HRESULT EnableRuleGroup(long profiles, const std::wstring& group, bool enable) override {
    Bstr name(group);
    return policy_->EnableRuleGroup(profiles, name.get(), AsVariant(enable));
  }
  HRESULT ReadRules(std::vector<FirewallRuleFacts>& rules) override {
    return EachRule([&](INetFwRule* rule) {
      rules.push_back(FactsOf(rule));
      return S_OK;
    });
  }
  HRESULT EnableRules(const RuleEntryKey& entry, bool enable) override {
    bool found = false;
    const HRESULT hr = EachRule([&](INetFwRule* rule) {
      if (EntryKeyOfRule(FactsOf(rule)) != entry) return S_OK;
      found = true;
      return rule->put_Enabled(AsVariant(enable));
    });
    return FAILED(hr) ? hr : (found ? S_OK : S_FALSE);
  }

 private:
  // Calls `each` for every rule; the first failure of `each` ends the walk.
  template <typename Each>
  HRESULT EachRule(Each&& each) {
    ComPtr<INetFwRules> rules;
    HRESULT hr = policy_->get_Rules(rules.Out());
    if (FAILED(hr)) return hr;
    ComPtr<IUnknown> unknown;
    if (FAILED(hr = rules->get__NewEnum(unknown.Out()))) return hr;
    ComPtr<IEnumVARIANT> items;
    if (FAILED(hr = unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(items.Out())))) return hr;
    for (;;) {
      VARIANT item;
      VariantInit(&item);
      ULONG fetched = 0;
      if (items->Next(1, &item, &fetched) != S_OK || fetched == 0) break;
      HRESULT result = S_OK;
      if (item.vt == VT_DISPATCH && item.pdispVal) {
        ComPtr<INetFwRule> rule;
        if (SUCCEEDED(item.pdispVal->QueryInterface(__uuidof(INetFwRule), reinterpret_cast<void**>(rule.Out())))) {
          result = each(rule.get());
        }
      }
      VariantClear(&item);
      if (FAILED(result)) return result;
    }
    return S_OK;
  }

  ComApartment apartment_;  // left only after the policy is released
  ComPtr<INetFwPolicy2> policy_;
};

bool IsPortList(const std::wstring& ports) { return !ports.empty() && ports != L"*"; }

}  // namespace

std::optional<RuleEntryKey> EntryKeyOfRule(const FirewallRuleFacts& rule) {
  if (!rule.inbound || !rule.allow || !rule.grouping.empty() || (rule.profiles & kSwitchedProfileMask) == 0) {
    return std::nullopt;
  }
  if (!rule.applicationName.empty()) return RuleEntryKey{L"AA", rule.applicationName};
  if (!IsPortList(rule.localPorts)) return std::nullopt;
  if (rule.protocol == kProtocolTcp) return RuleEntryKey{L"GP", rule.localPorts + L":TCP"};
  if (rule.protocol == kProtocolUdp) return RuleEntryKey{L"GP", rule.localPorts + L":UDP"};
  return std::nullopt;
}

std::unique_ptr<FirewallApi> OpenFirewallPolicy2(HRESULT& error) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(init) && init != RPC_E_CHANGED_MODE) {
    error = init;
    return nullptr;
  }
  auto policy = std::make_unique<Policy2>(SUCCEEDED(init));
  error = CoCreateInstance(__uuidof(NetFwPolicy2), nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetFwPolicy2),
                           reinterpret_cast<void**>(policy->Out()));
  if (FAILED(error)) return nullptr;
  return policy;
}

std::wstring HresultText(HRESULT result) {
  wchar_t code[16];
  std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(result));
  const std::wstring text = SystemErrorText(static_cast<DWORD>(result));
  return text.empty() ? std::wstring(code) : text + L" (" + code + L")";
}

}  // namespace kip
