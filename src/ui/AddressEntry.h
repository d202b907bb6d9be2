// What the address lists ask of an address dialog: offer a row's texts in
// its boxes and give back the composed texts once the user confirmed.
#pragma once

#include <optional>
#include <string>

namespace kip {

struct AddressRow {
  std::wstring address;
  std::wstring second;  // the mask or the metric; empty for one-column lists
};

class AddressEntry {
 public:
  virtual ~AddressEntry() = default;
  // Shows the offered texts and waits for the user: the composed texts when
  // confirmed, nothing when cancelled.
  virtual std::optional<AddressRow> Ask(const AddressRow& offered) = 0;
};

}  // namespace kip
