// The networks the PC is in now, read into plain values: per card its link,
// IPv4 addresses with prefix lengths, the DNS suffix the network gave, the
// default gateways with the hardware address the neighbour table holds for
// each, and the Wi-Fi network name (SSID) where the card is a connected
// Wi-Fi card. Reading never changes the machine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "util/Ipv4Text.h"
#include "util/Text.h"

namespace kip {

struct Ipv4Prefix {
  uint32_t address = 0;  // host order
  int length = 0;
  bool operator==(const Ipv4Prefix&) const = default;
};

struct GatewayNeighbour {
  std::wstring address;     // "192.168.10.1"
  std::wstring macAddress;  // "00-11-22-33-44-55"; empty while unresolved
  bool operator==(const GatewayNeighbour&) const = default;
};

struct NetworkCard {
  std::wstring cardId;  // "{GUID}", as the card list names it
  std::wstring name;    // the connection's name
  bool linkUp = false;
  std::vector<Ipv4Prefix> addresses;
  std::wstring dnsSuffix;
  std::vector<GatewayNeighbour> gateways;
  std::wstring ssid;  // empty: no Wi-Fi connection on this card
  bool operator==(const NetworkCard&) const = default;
};

struct PresentNetworks {
  std::vector<NetworkCard> cards;
  bool operator==(const PresentNetworks&) const = default;
  // One line per card with everything above, in a fixed order: two readings
  // of an unchanged network give the same text.
  std::wstring Fingerprint() const;
};

// Where a Wi-Fi card reports the network it is connected to (wlanapi on
// Windows; tests give their own).
class WifiReader {
 public:
  virtual ~WifiReader() = default;
  // Card identifier ("{GUID}") to the SSID of its current connection, for
  // the connected Wi-Fi cards only.
  struct Connection {
    std::wstring cardId;
    std::wstring ssid;
  };
  virtual std::vector<Connection> Connections() = 0;
};

// wlanapi, loaded when first asked; no connections where the library or a
// call is missing or fails (Wine has no Wi-Fi interfaces).
std::unique_ptr<WifiReader> CreateWlanReader();

// Reads the machine's adapters, IPv4 routes and neighbour table; the Wi-Fi
// connections from `wifi` when given. Cards without an IPv4 interface and
// loopback are left out. An empty list when the adapters cannot be read.
PresentNetworks ReadPresentNetworks(WifiReader* wifi);

// Windows' change notifications for interfaces, IPv4 addresses and routes,
// loaded at run time. `changed` is called on a thread of the system's pool;
// it must only set a flag. Works() turns true once the system confirmed the
// registration with its initial notification: where that never comes (Wine
// accepts the registration and never calls back) the caller must poll.
class NetworkChangeWatch {
 public:
  explicit NetworkChangeWatch(std::function<void()> changed);
  ~NetworkChangeWatch();
  NetworkChangeWatch(const NetworkChangeWatch&) = delete;
  NetworkChangeWatch& operator=(const NetworkChangeWatch&) = delete;
  bool Works() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace kip
