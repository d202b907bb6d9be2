// Whose account the program runs under, and who is logged on at the screen:
// a per-user setting written from a start-up script or a management agent
// (SYSTEM) lands in that account's profile, not the user's.
#pragma once

#include <string>

namespace kip {

class SessionAccounts {
 public:
  virtual ~SessionAccounts() = default;
  // "DOMAIN\name" of the process's own token.
  virtual std::wstring ProcessAccount() = 0;
  // "DOMAIN\name" of the user logged on in the program's session, or, where
  // that session has none (session 0 of services), at the console; empty
  // when nobody is logged on.
  virtual std::wstring InteractiveAccount() = 0;
};

SessionAccounts& WindowsSessionAccounts();

// The two accounts differ: names compared without regard to case, a missing
// domain on either side matching any.
bool IsAnotherAccount(const std::wstring& processAccount, const std::wstring& interactiveAccount);

}  // namespace kip
