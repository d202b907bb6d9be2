// The setting follows the network: while the program sits in the
// notification area, it watches the networks the PC is in, and when one
// that a stored rule recognises has settled, it offers that setting (or,
// where the rule says so, commits it with automatic return). Every
// recognition, offer and switch is a line in the step log.
//
// It knows the window only through Host: whether the window is busy, how to
// show an offer and how to commit.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apply/NetworkMatch.h"
#include "machine/NetworkRecognition.h"

namespace kip {

class AutoSwitch {
 public:
  class Host {
   public:
    virtual ~Host() = default;
    // A commit runs, a question or dialog is open, or a way back is pending.
    virtual bool Busy() = 0;
    // The window holds edits a commit would first ask about.
    virtual bool HoldsUnsavedEdits() = 0;
    virtual void ShowOffer(const std::wstring& text) = 0;
    // Commits the setting with automatic return; false when it was not.
    virtual bool CommitWithReturn(const std::wstring& settingName) = 0;
    // A tie: the setting the user picks among them; empty for none.
    virtual std::wstring Choose(const StringList& settingNames) = 0;
  };

  struct Options {
    std::wstring stepLogPath;  // empty: no log
    // The rules of every stored setting; the store's by default.
    std::function<std::vector<NamedRule>(StringList& notes)> readRules;
    // The present networks; the machine's by default.
    std::function<PresentNetworks()> readNetworks;
    // Milliseconds since some fixed point; GetTickCount64 by default.
    std::function<uint64_t()> clock;
  };

  AutoSwitch(Host& host, HWND window, Options options);
  ~AutoSwitch();
  AutoSwitch(const AutoSwitch&) = delete;
  AutoSwitch& operator=(const AutoSwitch&) = delete;

  // The rules may have changed (a setting saved, imported, deleted).
  void RulesChanged();
  // A setting was committed by hand: it stays while this network does.
  void CommittedByHand();
  // The user clicked the offer.
  void OfferClicked();
  // One look at the networks, as the timer takes it (tests call it directly).
  void Tick();
  // True once Windows' notifications proved to work (no poll then).
  bool Notified() const;

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR self, DWORD);
  void Schedule(uint64_t now);
  bool ShouldRead(uint64_t now) const;
  void Settled(const PresentNetworks& present);
  void DecideWhenFree();
  void Log(const std::wstring& text, const std::wstring& result) const;
  void CommitAndLog(const std::wstring& settingName);
  void LoadRules();

  Host& host_;
  HWND window_;
  Options options_;
  std::unique_ptr<WifiReader> wifi_;
  std::unique_ptr<NetworkChangeWatch> watch_;
  std::shared_ptr<std::atomic<bool>> changed_;
  NetworkDebounce debounce_;
  SwitchPolicy policy_;
  std::vector<NamedRule> rules_;
  std::wstring lastNotes_;
  uint64_t rulesReadAt_ = 0;
  uint64_t lastReadAt_ = 0;
  bool readOnce_ = false;
  StringList matched_;            // of the settled network
  bool decisionPending_ = false;  // a settled network waits for the window
  StringList offered_;            // what a click on the offer commits
  bool timerSet_ = false;
};

}  // namespace kip
