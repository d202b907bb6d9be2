#include "apply/CommitLock.h"

#include <utility>

#include "apply/AutoReturn.h"
#include "store/ReturnSnapshot.h"
#include "util/Process.h"

namespace kip {

namespace {

constexpr wchar_t kCommitLockName[] = L"kIpCnfg.Commit";
// A helper that was told to keep ends at once; one already going back ends
// with its way back. Past this, something else holds the state.
constexpr DWORD kSettleWaitMs = 120000;

// A mutex whose holder died without releasing it is ours all the same.
bool Acquired(int signalled) { return signalled == 0; }

}  // namespace

CommitLock::CommitLock(CommitLock&& other) noexcept
    : mutex_(std::move(other.mutex_)), held_(std::exchange(other.held_, false)) {}

CommitLock& CommitLock::operator=(CommitLock&& other) noexcept {
  if (this != &other) {
    Release();
    mutex_ = std::move(other.mutex_);
    held_ = std::exchange(other.held_, false);
  }
  return *this;
}

CommitLock::~CommitLock() { Release(); }

void CommitLock::Release() {
  if (held_) ReleaseMutex(mutex_.get());
  held_ = false;
}

CommitLock CommitLock::Acquire(std::wstring& whyNot, MessageFilter filter) {
  CommitLock lock;
  lock.mutex_ = AdminMutex::Open(kCommitLockName);
  if (!lock.mutex_ || lock.mutex_.Verdict() == NameVerdict::Untrusted) {
    whyNot = L"反映のロックを管理者以外が作っています";
    return {};
  }
  const HANDLE mutex = lock.mutex_.get();
  lock.held_ = Acquired(WaitWithMessages({&mutex, 1}, INFINITE, filter));
  if (!lock.held_) whyNot = L"反映のロックを得られませんでした";
  return lock;
}

CommitLock CommitLock::AcquireForReturn(HANDLE giveUp, bool& gaveUp) {
  gaveUp = false;
  CommitLock lock;
  lock.mutex_ = AdminMutex::Open(kCommitLockName);
  if (!lock.mutex_ || lock.mutex_.Verdict() == NameVerdict::Untrusted) return {};
  const HANDLE waits[] = {lock.mutex_.get(), giveUp};
  const int signalled = WaitWithMessages({waits, giveUp ? 2u : 1u}, INFINITE);
  lock.held_ = Acquired(signalled);
  gaveUp = signalled == 1;
  return lock;
}

void SettlePendingReturns(MessageFilter filter) {
  for (const std::wstring& token : ReturnSnapshotTokens()) SettleReturn(token);
  const ULONGLONG deadline = GetTickCount64() + kSettleWaitMs;
  while (ReturnPending() && GetTickCount64() < deadline) WaitWithMessages({}, 100, filter);
}

}  // namespace kip
