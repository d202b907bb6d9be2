// The machine-wide commit lock: who gets it, who waits, and what a name
// someone else made first does to a commit and to a way back.
#include "apply/CommitLock.h"

#include <gtest/gtest.h>

#include <thread>

namespace kip {
namespace {

TEST(CommitLock, OneHolderAtATimeAndAWayBackMayBeToldToGiveUp) {
  enum class Other { None, ReleasesLater, EndsHoldingIt, HoldsOn };
  const struct {
    const char* title;
    Other other;
    bool forReturn, giveUp, held;
  } cases[] = {
      {"nobody holds it", Other::None, false, false, true},
      {"a commit waits for the one before", Other::ReleasesLater, false, false, true},
      {"a holder that died leaves it to the next", Other::EndsHoldingIt, false, false, true},
      {"a way back waits for a commit", Other::ReleasesLater, true, false, true},
      {"a way back the user settled stops waiting", Other::HoldsOn, true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    // Keeps the mutex in being when its holder's handle closes.
    const AdminMutex witness = AdminMutex::Open(L"kIpCnfg.Commit");
    const UniqueKernelHandle holding(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueKernelHandle giveUp(CreateEventW(nullptr, TRUE, c.giveUp, nullptr));
    ULONGLONG released = 0;
    // The mutex belongs to a thread: another holder has one of its own.
    std::thread other([&] {
      if (c.other == Other::None) return SetEvent(holding.get());
      const AdminMutex mutex = AdminMutex::Open(L"kIpCnfg.Commit");
      WaitForSingleObject(mutex.get(), INFINITE);
      SetEvent(holding.get());
      if (c.other == Other::EndsHoldingIt) return TRUE;
      Sleep(c.other == Other::HoldsOn ? 500 : 200);
      released = GetTickCount64();
      return ReleaseMutex(mutex.get());
    });
    WaitForSingleObject(holding.get(), INFINITE);
    if (c.other == Other::EndsHoldingIt) other.join();
    std::wstring whyNot;
    bool gaveUp = false;
    CommitLock lock = c.forReturn ? CommitLock::AcquireForReturn(giveUp.get(), gaveUp) : CommitLock::Acquire(whyNot);
    const ULONGLONG acquired = GetTickCount64();
    EXPECT_EQ(static_cast<bool>(lock), c.held);
    EXPECT_EQ(gaveUp, c.giveUp);
    EXPECT_TRUE(whyNot.empty());
    if (c.other == Other::ReleasesLater) EXPECT_LE(released, acquired);  // never both at once
    lock = {};
    if (other.joinable()) other.join();
  }
}

// A standard user can make a "Global\" name first. Where the system has no
// private namespaces (Wine), that is where the lock would be: a commit then
// refuses, a way back goes on without it.
TEST(CommitLock, ANameSomeoneElseMadeStopsACommitButNoWayBack) {
  const HANDLE made = CreateMutexW(nullptr, TRUE, L"Global\\kIpCnfg.Commit");
  const DWORD madeError = GetLastError();
  const UniqueKernelHandle squatter(made);
  ASSERT_TRUE(squatter);
  // A commit of a test running beside this one made the name first: then
  // there is nobody to squat it.
  if (madeError == ERROR_ALREADY_EXISTS) GTEST_SKIP() << "the lock's name is held by another test's commit";
  HANDLE boundary = CreateBoundaryDescriptorW(L"probe", 0);
  const bool privateNamespaces = boundary != nullptr;
  if (boundary) DeleteBoundaryDescriptor(boundary);
  std::wstring whyNot;
  EXPECT_EQ(static_cast<bool>(CommitLock::Acquire(whyNot)), privateNamespaces);
  EXPECT_EQ(whyNot.empty(), privateNamespaces);
  bool gaveUp = true;
  CommitLock::AcquireForReturn(nullptr, gaveUp);
  EXPECT_FALSE(gaveUp);
}

}  // namespace
}  // namespace kip
