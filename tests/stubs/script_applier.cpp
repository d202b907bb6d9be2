// What netsh on Windows does with a script, for the recording stand-in:
// the addresses, gateways, DNS and WINS servers (and, on the XP class, the
// registration) of each named connection written into its interface keys
// of this prefix, so that a commit really changes the test machine.
#include "script_applier.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <vector>

namespace {

constexpr wchar_t kInterfaces[] = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
constexpr wchar_t kNetBT[] = L"SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters\\Interfaces\\Tcpip_";
constexpr wchar_t kConnections[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

using List = std::vector<std::wstring>;

// --- registry ------------------------------------------------------------

// The value as stored: a text, or a multi-string's entries.
List Read(const std::wstring& key, const wchar_t* name) {
  std::vector<wchar_t> buffer(16384, L'\0');
  DWORD size = static_cast<DWORD>((buffer.size() - 2) * sizeof(wchar_t));
  List list;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_MULTI_SZ, nullptr, buffer.data(),
                   &size) != ERROR_SUCCESS) {
    return list;
  }
  for (const wchar_t* p = buffer.data(); *p; p += wcslen(p) + 1) list.emplace_back(p);
  return list;
}

std::wstring ReadText(const std::wstring& key, const wchar_t* name) {
  const List text = Read(key, name);
  return text.empty() ? std::wstring() : text.front();
}

void Write(const std::wstring& key, const wchar_t* name, DWORD type, const void* data, size_t bytes) {
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, type, data, static_cast<DWORD>(bytes));
}

void WriteText(const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  Write(key, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

void WriteList(const std::wstring& key, const wchar_t* name, const List& list) {
  std::wstring data;
  for (const std::wstring& item : list) data += item + L'\0';
  data += L'\0';
  Write(key, name, REG_MULTI_SZ, data.data(), data.size() * sizeof(wchar_t));
}

void WriteDword(const std::wstring& key, const wchar_t* name, DWORD value) {
  Write(key, name, REG_DWORD, &value, sizeof value);
}

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

// The card a script line names: a connection name, or the identifier.
std::wstring CardOf(const std::wstring& name) {
  if (!name.empty() && name[0] == L'{') return name;
  HKEY classKey = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kConnections, 0, KEY_READ, &classKey) != ERROR_SUCCESS) return {};
  std::wstring found;
  wchar_t sub[256];
  for (DWORD i = 0; found.empty(); ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(classKey, i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (ReadText(std::wstring(kConnections) + L"\\" + sub + L"\\Connection", L"Name") == name) found = sub;
  }
  RegCloseKey(classKey);
  return found;
}

// --- one line --------------------------------------------------------------

struct Line {
  std::vector<std::wstring> words;              // verb, object, then the bare arguments
  std::map<std::wstring, std::wstring> named;   // name=value arguments, names lower-cased
};

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

Line Parse(const std::wstring& text) {
  Line line;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && iswspace(text[i])) ++i;
    if (i >= text.size()) break;
    std::wstring word;
    bool quoted = false;
    for (; i < text.size() && (quoted || !iswspace(text[i])); ++i) {
      if (text[i] == L'"') {
        quoted = !quoted;
      } else {
        word += text[i];
      }
    }
    const size_t equals = word.find(L'=');
    if (equals != std::wstring::npos && line.words.size() >= 2) {
      line.named[Lower(word.substr(0, equals))] = word.substr(equals + 1);
    } else {
      line.words.push_back(word);
    }
  }
  return line;
}

std::wstring Named(const Line& line, const wchar_t* name) {
  auto it = line.named.find(name);
  return it == line.named.end() ? std::wstring() : it->second;
}

std::wstring Bare(const Line& line, size_t i) { return i + 2 < line.words.size() ? line.words[i + 2] : std::wstring(); }

std::wstring JoinComma(const List& list) {
  std::wstring text;
  for (const std::wstring& item : list) text += (text.empty() ? L"" : L",") + item;
  return text;
}

List SplitComma(const std::wstring& text) {
  List list;
  std::wstring item;
  for (wchar_t c : text + L",") {
    if (c == L',' || c == L' ') {
      if (!item.empty()) list.push_back(item);
      item.clear();
    } else {
      item += c;
    }
  }
  return list;
}

void AddToServers(List& servers, const std::wstring& address, const std::wstring& index) {
  if (index == L"1") {
    servers.insert(servers.begin(), address);
  } else {
    servers.push_back(address);
  }
}

void SetRegistration(const std::wstring& tcpip, const std::wstring& mode) {
  if (mode.empty()) return;
  const std::wstring upper = Lower(mode);
  WriteDword(tcpip, L"RegistrationEnabled", upper != L"none");
  WriteDword(tcpip, L"RegisterAdapterName", upper == L"both");
}

void SetGateways(const std::wstring& tcpip, const List& gateways, const List& metrics) {
  WriteList(tcpip, L"DefaultGateway", gateways);
  WriteList(tcpip, L"DefaultGatewayMetric", metrics);
}

void AddGateway(const std::wstring& tcpip, const std::wstring& gateway, const std::wstring& metric) {
  List gateways = Read(tcpip, L"DefaultGateway"), metrics = Read(tcpip, L"DefaultGatewayMetric");
  gateways.push_back(gateway);
  metrics.push_back(metric);
  SetGateways(tcpip, gateways, metrics);
}

void ApplyAddress(const std::wstring& tcpip, const Line& line) {
  const std::wstring verb = Lower(line.words[0]);
  if (verb == L"delete") {
    SetGateways(tcpip, {}, {});
    return;
  }
  const std::wstring gateway = Named(line, L"gateway");
  if (Lower(Named(line, L"source")) == L"dhcp") {
    WriteDword(tcpip, L"EnableDHCP", 1);
    WriteList(tcpip, L"IPAddress", {L"0.0.0.0"});
    WriteList(tcpip, L"SubnetMask", {L"0.0.0.0"});
  } else if (Lower(Named(line, L"source")) == L"static") {
    WriteDword(tcpip, L"EnableDHCP", 0);
    WriteList(tcpip, L"IPAddress", {Named(line, L"addr")});
    WriteList(tcpip, L"SubnetMask", {Bare(line, 0)});
    if (!Bare(line, 1).empty()) SetGateways(tcpip, {Bare(line, 1)}, {Bare(line, 2)});
  } else if (!gateway.empty()) {
    if (verb == L"set") SetGateways(tcpip, {}, {});
    AddGateway(tcpip, gateway, Named(line, L"gwmetric"));
  } else if (verb == L"add" && !Bare(line, 0).empty()) {
    List addresses = Read(tcpip, L"IPAddress"), masks = Read(tcpip, L"SubnetMask");
    addresses.push_back(Bare(line, 0));
    masks.push_back(Bare(line, 1));
    WriteList(tcpip, L"IPAddress", addresses);
    WriteList(tcpip, L"SubnetMask", masks);
  }
}

void ApplyRoute(const std::wstring& tcpip, const Line& line) {
  const std::wstring verb = Lower(line.words[0]);
  if (verb == L"delete" || verb == L"set") SetGateways(tcpip, {}, {});
  if (verb != L"delete") AddGateway(tcpip, Named(line, L"nexthop"), Named(line, L"metric"));
}

// A DNS (comma text) or WINS (multi-string) server list.
void ApplyServers(const std::wstring& key, const wchar_t* name, bool commaText, const Line& line) {
  const std::wstring verb = Lower(line.words[0]);
  List servers = commaText ? SplitComma(ReadText(key, name)) : Read(key, name);
  if (verb == L"delete" || Lower(Named(line, L"source")) == L"dhcp") servers.clear();
  if (verb == L"set" && Lower(Named(line, L"source")) == L"static") servers = {Named(line, L"addr")};
  if (verb == L"add") AddToServers(servers, Named(line, L"addr"), Named(line, L"index"));
  if (commaText) {
    WriteText(key, name, JoinComma(servers));
  } else {
    WriteList(key, name, servers);
  }
}

// --- IPv6, in the private network namespace of an end-to-end run ------------

// The Linux interface of a card "{0000000N-...}" (N its index in hex), from
// the IPv6 interface list of this process's own network namespace (every
// interface that is up has a link-local address there). /sys is not asked:
// it may show the interfaces of the namespace it was mounted in.
std::wstring LinuxInterfaceOf(const std::wstring& card) {
  const unsigned long index = std::wcstoul(card.substr(1, 8).c_str(), nullptr, 16);
  HANDLE file = CreateFileW(L"Z:\\proc\\self\\net\\if_inet6", GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  CloseHandle(file);
  // Each line: address, index (hex), prefix length, scope, flags, name.
  std::istringstream lines(text);
  std::string address, ifindex, length, scope, flags, name;
  while (lines >> address >> ifindex >> length >> scope >> flags >> name) {
    if (std::strtoul(ifindex.c_str(), nullptr, 16) == index) return std::wstring(name.begin(), name.end());
  }
  return {};
}

// Runs a Unix command line (Wine starts Unix programs) and waits for it;
// its exit code, or -1 when it could not be started.
long RunUnix(const std::wstring& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring line = commandLine;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, 10000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<long>(code);
}

// DNS servers set by hand: "NameServer" of the card's Tcpip6 interface key,
// as Windows keeps them.
std::wstring ApplyIpv6Dns(const Line& line) {
  const std::wstring card = CardOf(Named(line, L"name"));
  if (card.empty()) return L"ipv6: no card for dns\n";
  const std::wstring key =
      L"SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces\\" + card;
  HKEY created = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr) ==
      ERROR_SUCCESS) {
    RegCloseKey(created);
  }
  List servers = SplitComma(ReadText(key, L"NameServer"));
  const std::wstring verb = Lower(line.words[0]), address = Named(line, L"address");
  if (verb == L"set") servers.clear();
  if (verb == L"set" && Lower(Named(line, L"source")) == L"static" && Lower(address) != L"none") servers = {address};
  if (verb == L"add") AddToServers(servers, address, Named(line, L"index"));
  WriteText(key, L"NameServer", JoinComma(servers));
  return L"ipv6: dns " + JoinComma(servers) + L"\n";
}

// Addresses are what the adapter list shows of IPv6 under Wine, DNS servers
// set by hand what the registry shows; the other lines change nothing it
// can see. Says what it ran (for the stand-in's log).
std::wstring ApplyIpv6Line(const Line& line) {
  if (line.words.size() >= 2 && Lower(line.words[1]) == L"dnsservers") return ApplyIpv6Dns(line);
  if (line.words.size() < 2 || Lower(line.words[1]) != L"address") return {};
  const std::wstring card = CardOf(Named(line, L"interface"));
  const std::wstring device = card.empty() ? std::wstring() : LinuxInterfaceOf(card);
  const std::wstring address = Named(line, L"address");
  if (device.empty() || address.empty()) return L"ipv6: no interface for " + card + L"\n";
  const std::wstring verb = Lower(line.words[0]) == L"add" ? L"add" : L"del";
  const std::wstring command =
      L"/usr/sbin/ip -6 addr " + verb + L" " + address + L" dev " + device + (verb == L"add" ? L" nodad" : L"");
  return L"ipv6: " + command + L" -> " + std::to_wstring(RunUnix(command)) + L"\n";
}

void ApplyLine(const std::wstring& text, bool ignoreDns) {
  const Line line = Parse(text);
  if (line.words.size() < 2) return;
  const std::wstring object = Lower(line.words[1]);
  if (ignoreDns && object == L"dns") return;
  std::wstring name = Named(line, L"name");
  if (name.empty()) name = Named(line, L"interface");
  const std::wstring card = CardOf(name);
  if (card.empty()) return;
  const std::wstring tcpip = kInterfaces + card, netbt = kNetBT + card;
  if (!KeyExists(tcpip)) return;
  if (object == L"address") ApplyAddress(tcpip, line);
  if (object == L"route") ApplyRoute(tcpip, line);
  if (object == L"dns") {
    ApplyServers(tcpip, L"NameServer", true, line);
    SetRegistration(tcpip, Named(line, L"register"));
  }
  if (object == L"wins" && KeyExists(netbt)) ApplyServers(netbt, L"NameServerList", false, line);
}

}  // namespace

std::wstring ApplyNetshScript(const std::string& bytes, bool ignoreDns, bool applyIpv6) {
  std::wstring notes;
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring script(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), script.data(), n);
  size_t start = 0;
  bool ipv6 = false;  // inside "pushd interface ipv6"
  while (start < script.size()) {
    size_t end = script.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = script.size();
    const std::wstring text = script.substr(start, end - start);
    const Line line = Parse(text);
    if (line.words.size() >= 3 && Lower(line.words[0]) == L"pushd") ipv6 = Lower(line.words[2]) == L"ipv6";
    if (!ipv6) {
      ApplyLine(text, ignoreDns);
    } else if (applyIpv6) {
      notes += ApplyIpv6Line(line);
    }
    start = end + 1;
  }
  return notes;
}
