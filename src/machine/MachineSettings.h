// What the machine is configured to now, outside the cards: TCP/IP
// parameters, the browser's proxy and home page, the computer name and the
// domain membership. Read as plain values; a new setting starts from them.
// (The browser's proxy values are read by net/InternetSettings.h.)
#pragma once

#include <optional>
#include <string>

#include "util/Text.h"

namespace kip {

struct TcpipParameters {
  std::wstring hostsDirectory;  // "DataBasePath" expanded; empty when unreadable
  // One block: any failure gives these defaults together.
  bool ipEnableRouter = false;
  bool useDomainNameDevolution = true;
  StringList searchList;
};

// nullopt when the TCP/IP parameters key does not open.
std::optional<TcpipParameters> ReadTcpipParameters();

// The browser's home page; nullopt when its key does not open.
std::optional<std::wstring> ReadStartPage();

// The computer name, trimmed; "NV Hostname" of the TCP/IP parameters when
// the system call fails.
std::wstring ReadHostName();

struct DomainMembership {
  std::wstring domain;     // set when the machine is in a domain
  std::wstring workGroup;  // set when it is in a workgroup
};
DomainMembership ReadDomainMembership();

// What a domain change must know of the machine before it acts.
struct JoinFacts {
  DomainMembership membership;  // both empty: not known
  std::wstring dnsDomain;       // the machine's primary DNS domain, when it has one
  // A new computer name waits for the next start (its NetBIOS or DNS form
  // differs from the one in use).
  bool renamePending = false;
};
JoinFacts ReadJoinFacts();

}  // namespace kip
