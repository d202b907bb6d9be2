// A long working day through the real window: load, edit, save and switch
// tabs and cards over and over, and commit now and then with the recording
// stand-ins. The process's kernel handles and its GDI and USER objects must
// stay flat: a leak of one per cycle would show as hundreds.
// KIP_SOAK_CYCLES sets the number of cycles (1000 for the full run; a short
// run by default); every tenth cycle commits.
#include <gtest/gtest.h>

#include <cstdio>

#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "MainIds.h"
#include "support/FormFixture.h"
#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip {
namespace {

const std::wstring kCardA = L"{0000000A-0000-0000-0000-4E6574446576}";
const std::wstring kCardB = L"{0000000B-0000-0000-0000-4E6574446576}";

struct ResourceCounts {
  DWORD handles = 0, gdi = 0, user = 0;
  // Where Windows' own counts are missing (Wine reports 0): the value a new
  // kernel handle gets (a leak keeps pushing it up, as the lowest free slot
  // is taken first) and the windows of this thread.
  uintptr_t nextHandle = 0;
  int windows = 0;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(window, CountWindow, count);
  return TRUE;
}

ResourceCounts Count() {
  ResourceCounts counts;
  GetProcessHandleCount(GetCurrentProcess(), &counts.handles);
  counts.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  counts.nextHandle = reinterpret_cast<uintptr_t>(probe);
  CloseHandle(probe);
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&counts.windows));
  return counts;
}

int Cycles() {
  wchar_t text[16] = {};
  return GetEnvironmentVariableW(L"KIP_SOAK_CYCLES", text, 16) > 0 ? _wtoi(text) : 60;
}

class SoakTest : public FormTest {};

TEST_F(SoakTest, HandlesAndWindowObjectsStayFlatOverADayOfWork) {
  test::ScratchFolder folder;
  for (const wchar_t* setting : {L"会社", L"自宅", L"客先"}) {
    for (const std::wstring& card : {kCardA, kCardB}) {
      SetMultiString(HKEY_LOCAL_MACHINE, std::wstring(kStoreRootKey) + L"\\" + setting + L"\\" + card, L"IPAddress",
                     {L"10.0.0.1"});
    }
  }
  SetDword(HKEY_LOCAL_MACHINE, kStoreRootKey, L"Shutdown Index", 3);  // carry on after a commit
  programPath = folder / L"kIpCnfg.exe";
  adjustEnvironment = [&](FormEnvironment& environment) {
    environment.commitEnvironment = [&] {
      CommitEnvironment commit = DefaultCommitEnvironment();
      commit.programFolder = folder.path();
      commit.tempFolder = folder.path();
      commit.systemFolder = folder.path();
      commit.commitLogPath = folder / L"kIpCnfg.log";
      commit.setComputerName = [](const std::wstring&) { return true; };
      return commit;
    };
  };
  TFormIpconfig& form = MakeForm();
  form.Editor().SetCards({kCardA, kCardB}, {L"LAN A", L"LAN B"});
  form.Editor().Open(ListSettingNames());

  auto cycle = [&](int i) {
    form.Editor().SelectSetting(i % 3);
    form.Editor().SelectCard(i % 2);
    TypeOnPage(form, 4, IDE_EditHostName, L"PC-" + std::to_wstring(i));
    form.Editor().Save();
    if (i % 10 == 0) form.ActionCommitExecute();
    win::PumpPendingMessages();
  };
  for (int i = 0; i < 20; ++i) cycle(i);  // first uses allocate what they keep
  const ResourceCounts before = Count();
  const int cycles = Cycles();
  for (int i = 0; i < cycles; ++i) cycle(i);
  const ResourceCounts after = Count();

  std::printf(
      "soak: %d cycles, %d commits; handles %lu -> %lu, GDI %lu -> %lu, USER %lu -> %lu, next handle %#llx -> %#llx, "
      "windows %d -> %d\n",
      cycles, cycles / 10, before.handles, after.handles, before.gdi, after.gdi, before.user, after.user,
      static_cast<unsigned long long>(before.nextHandle), static_cast<unsigned long long>(after.nextHandle),
      before.windows, after.windows);
  EXPECT_LE(after.handles, before.handles + 8);
  EXPECT_LE(after.nextHandle, before.nextHandle + 8 * sizeof(HANDLE));
  EXPECT_EQ(after.windows, before.windows);
  EXPECT_LE(after.gdi, before.gdi + 8);
  EXPECT_LE(after.user, before.user + 8);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, std::wstring(kStoreRootKey) + L"\\" + form.Editor().ShownName(),
                      L"Machine Name"),
            L"PC-" + std::to_wstring(cycles - 1));
}

}  // namespace
}  // namespace kip
