// The machine-wide commit lock: who gets it, who waits, and what a name
// someone else made first does to a commit and to a way back.
#include "apply/CommitLock.h"

#include <gtest/gtest.h>

#include <thread>

#include "util/UniqueHandle.h"

namespace kip {
namespace {

UniqueKernelHandle Event(bool manual = true) { return UniqueKernelHandle(CreateEventW(nullptr, manual, FALSE, nullptr)); }

// Another holder of the lock in a thread of its own (the mutex belongs to
// a thread): it takes the lock, says so, and gives it up when told or, when
// `abandon`, ends without giving it up.
class OtherHolder {
 public:
  explicit OtherHolder(bool abandon) {
    thread_ = std::thread([this, abandon] {
      if (abandon) {
        AdminMutex mutex = AdminMutex::Open(L"kIpCnfg.Commit");
        WaitForSingleObject(mutex.get(), INFINITE);
        SetEvent(holding_.get());
        WaitForSingleObject(release_.get(), INFINITE);
        return;  // the thread ends holding it
      }
      std::wstring whyNot;
      CommitLock lock = CommitLock::Acquire(whyNot);
      SetEvent(holding_.get());
      WaitForSingleObject(release_.get(), INFINITE);
      released_ = GetTickCount64();
    });
    WaitForSingleObject(holding_.get(), INFINITE);
  }
  ~OtherHolder() { Stop(); }
  void ReleaseAfter(DWORD ms) {
    releaser_ = std::thread([this, ms] {
      Sleep(ms);
      SetEvent(release_.get());
    });
  }
  void Stop() {
    SetEvent(release_.get());
    if (releaser_.joinable()) releaser_.join();
    if (thread_.joinable()) thread_.join();
  }
  ULONGLONG released_ = 0;

 private:
  UniqueKernelHandle holding_ = Event(), release_ = Event();
  std::thread thread_, releaser_;
};

TEST(CommitLock, OneHolderAtATimeAndAWayBackMayBeToldToGiveUp) {
  enum class Other { None, ReleasesLater, EndsHoldingIt, HoldsOn };
  const struct {
    const char* title;
    Other other;
    bool forReturn, giveUp;
    bool held, gaveUp;
  } cases[] = {
      {"nobody holds it", Other::None, false, false, true, false},
      {"a commit waits for the one before", Other::ReleasesLater, false, false, true, false},
      {"a holder that died leaves it to the next", Other::EndsHoldingIt, false, false, true, false},
      {"a way back waits for a commit", Other::ReleasesLater, true, false, true, false},
      {"a way back the user settled stops waiting", Other::HoldsOn, true, true, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    // Keeps the mutex in being when its holder's handles close.
    const AdminMutex witness = AdminMutex::Open(L"kIpCnfg.Commit");
    std::unique_ptr<OtherHolder> other;
    if (c.other != Other::None) other = std::make_unique<OtherHolder>(c.other == Other::EndsHoldingIt);
    if (c.other == Other::EndsHoldingIt) other->Stop();
    if (c.other == Other::ReleasesLater) other->ReleaseAfter(200);
    const UniqueKernelHandle giveUp = Event();
    if (c.giveUp) SetEvent(giveUp.get());
    std::wstring whyNot;
    bool gaveUp = false;
    CommitLock lock = c.forReturn ? CommitLock::AcquireForReturn(giveUp.get(), gaveUp) : CommitLock::Acquire(whyNot);
    const ULONGLONG acquired = GetTickCount64();
    EXPECT_EQ(static_cast<bool>(lock), c.held);
    EXPECT_EQ(gaveUp, c.gaveUp);
    EXPECT_TRUE(whyNot.empty());
    if (c.other == Other::ReleasesLater) {
      lock = {};  // the other's thread may end only once it gave the lock up
      other->Stop();
      EXPECT_LE(other->released_, acquired);  // never both at once
    }
  }
}

// A standard user can make a "Global\" name first. Where the system has no
// private namespaces (Wine), that name is where the lock would be: a
// commit then refuses, a way back goes on without it.
TEST(CommitLock, ANameSomeoneElseMadeStopsACommitButNoWayBack) {
  const UniqueKernelHandle squatter(CreateMutexW(nullptr, TRUE, L"Global\\kIpCnfg.Commit"));
  ASSERT_TRUE(squatter);
  HANDLE boundary = CreateBoundaryDescriptorW(L"probe", 0);
  const bool privateNamespaces = boundary != nullptr;
  if (boundary) DeleteBoundaryDescriptor(boundary);
  std::wstring whyNot;
  const CommitLock commit = CommitLock::Acquire(whyNot);
  EXPECT_EQ(static_cast<bool>(commit), privateNamespaces);
  EXPECT_EQ(whyNot.empty(), privateNamespaces);
  bool gaveUp = true;
  const CommitLock wayBack = CommitLock::AcquireForReturn(nullptr, gaveUp);
  EXPECT_FALSE(gaveUp);
}

}  // namespace
}  // namespace kip
