// The main window's pages, one of each, as its page control orders them
// (the firewall sheet, the IPv6 page and "自動切替" come last).
#pragma once

#include <array>
#include <functional>
#include <utility>

#include "app/pages/AutoSwitchPage.h"
#include "app/pages/BatchPage.h"
#include "app/pages/DnsPage.h"
#include "app/pages/DomainPage.h"
#include "app/pages/FirewallSheet.h"
#include "app/pages/InternetPage.h"
#include "app/pages/IpPage.h"
#include "app/pages/Ipv6Page.h"
#include "app/pages/OtherPage.h"

namespace kip {

struct FramePages {
  // `prompts`: where the IPv6 page asks its questions.
  explicit FramePages(std::function<Prompts&()> prompts) : ipv6(std::move(prompts)) {}

  IpPage ip;
  DnsPage dns;
  BatchPage batch;
  FirewallSheet firewall;
  DomainPage domain;
  InternetPage internet;
  OtherPage other;
  Ipv6Page ipv6;
  AutoSwitchPage autoSwitch;

  // The pages in the page control's order.
  std::array<Page*, 9> InOrder() {
    return {&ip, &dns, &other, &internet, &domain, &batch, &firewall, &ipv6, &autoSwitch};
  }
};

}  // namespace kip
