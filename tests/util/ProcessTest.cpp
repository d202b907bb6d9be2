#include "util/Process.h"

#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "UtilTestSupport.h"
#include "util/Files.h"
#include "util/Text.h"

namespace kip {
namespace {

using test::CountingWindow;
using test::EnvOverride;
using test::ScratchFolder;
using test::Stopwatch;

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// Each test runs the stand-ins with a log of its own.
class ProcessTest : public testing::Test {
 protected:
  std::wstring LogPath() const { return scratch_ / L"stub.log"; }
  std::string Log() const { return ReadWholeFile(LogPath()); }

  ScratchFolder scratch_;
  EnvOverride log_{L"KIP_STUB_LOG", scratch_ / L"stub.log"};
};

TEST(WaitSeconds, TooShortToMakeOneRoundReturnsAtOnceWithoutHandlingMessages) {
  CountingWindow window;
  PostMessageW(window.hwnd(), WM_APP, 0, 0);
  WaitSeconds(0.004);
  WaitSeconds(0);
  WaitSeconds(-3);
  EXPECT_EQ(window.count(), 0);
  ProcessPendingMessages();
  EXPECT_EQ(window.count(), 1);
}

TEST(WaitSeconds, WaitsItsRoundsWhileHandlingMessages) {
  CountingWindow window;
  PostMessageW(window.hwnd(), WM_APP, 0, 0);
  Stopwatch watch;
  WaitSeconds(0.159);  // 15 rounds of 10 ms
  EXPECT_GE(watch.ms(), 140u);
  EXPECT_EQ(window.count(), 1);
}

TEST(WaitMinutes, WaitsTheFractionOfAMinuteWhileHandlingMessages) {
  CountingWindow window;
  PostMessageW(window.hwnd(), WM_APP, 0, 0);
  Stopwatch watch;
  WaitMinutes(0.002);  // 120 ms
  EXPECT_GE(watch.ms(), 110u);
  EXPECT_EQ(window.count(), 1);
}

TEST(WaitWithMessages, HandlesMessagesThatArriveDuringTheWait) {
  CountingWindow window;
  // The event is only set by the window procedure, so the wait can only end
  // if the message is dispatched while waiting.
  std::thread poster([hwnd = window.hwnd()] {
    Sleep(50);
    PostMessageW(hwnd, WM_APP, 0, 0);
  });
  HANDLE event = window.event();
  EXPECT_EQ(WaitWithMessages({&event, 1}, 10000), 0);
  poster.join();
  EXPECT_EQ(window.count(), 1);

  UniqueKernelHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE handles[] = {never.get(), window.event()};
  EXPECT_EQ(WaitWithMessages(handles, 30), -1);
}

// A waiter with a window of its own passes its keyboard handling: each
// message goes to it first, and what it takes is not dispatched.
TEST(WaitWithMessages, HandsEachMessageToTheFilterItIsGiven) {
  CountingWindow window;
  PostMessageW(window.hwnd(), WM_APP, 1, 0);
  PostMessageW(window.hwnd(), WM_APP, 0, 0);
  const MessageFilter takesMarked = [](MSG& message) { return message.message == WM_APP && message.wParam == 1; };
  EXPECT_EQ(WaitWithMessages({}, 30, takesMarked), -1);
  EXPECT_EQ(window.count(), 1);
}

TEST(WaitWithMessages, KeepsAQuitRequestForTheMainLoop) {
  PostQuitMessage(7);
  Stopwatch watch;
  WaitSeconds(0.1);
  EXPECT_GE(watch.ms(), 90u);
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
}

TEST_F(ProcessTest, ProgramsThatCannotStartYieldNothingAndSayWhy) {
  const std::wstring output = scratch_ / L"out.txt";
  EXPECT_FALSE(RunCommand(L"kip-no-such-program-here.exe"));
  EXPECT_FALSE(RunCommandAndWait(L"kip-no-such-program-here.exe", SW_SHOWNORMAL));
  CapturedRun run = RunCommandCaptured(L"kip-no-such-program-here.exe", output);
  EXPECT_FALSE(run.started);
  EXPECT_EQ(run.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(FileExists(output));
}

TEST_F(ProcessTest, RunCommandAndWaitReturnsAfterTheProgramHasEnded) {
  EnvOverride sleep(L"KIP_STUB_SLEEP_MS", L"300");
  Stopwatch watch;
  EXPECT_TRUE(RunCommandAndWait(L"net start dnscache", SW_HIDE));
  EXPECT_GE(watch.ms(), 290u);
  EXPECT_EQ(Log().substr(0, 4), "net\t");
}

TEST_F(ProcessTest, RunCommandStartsWithoutWaiting) {
  EnvOverride sleep(L"KIP_STUB_SLEEP_MS", L"200");
  EXPECT_TRUE(RunCommand(L"arp -d *"));
  // The stand-in writes its log first and then sleeps; poll until it ran.
  for (int i = 0; i < 500 && Log().empty(); ++i) Sleep(10);
  EXPECT_NE(Log().find("arp\tarp -d *"), std::string::npos);
}

TEST_F(ProcessTest, CapturesStandardOutputIntoTheFile) {
  const std::wstring output = scratch_ / L"netsh.log";
  ASSERT_TRUE(WriteWholeFile(output, std::string(100000, 'x')));  // truncated, not appended to
  ASSERT_TRUE(RunCommandCaptured(L"netsh show", output));
  EXPECT_EQ(ReadWholeFile(output), "stub netsh: ok\r\nstub netsh: last line\r\n");
  EXPECT_NE(Log().find("netsh\tnetsh show"), std::string::npos);
}

TEST_F(ProcessTest, WithoutAnOutputFileRunsTheCommandAndWritesNoFile) {
  ASSERT_TRUE(RunCommandCaptured(L"ipconfig /flushdns", L""));
  EXPECT_NE(Log().find("ipconfig\tipconfig /flushdns"), std::string::npos);
  WIN32_FIND_DATAW found;
  UniqueFindHandle find(FindFirstFileW((scratch_ / L"*").c_str(), &found));
  int files = 0;
  if (find) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
    } while (FindNextFileW(find.get(), &found));
  }
  EXPECT_EQ(files, 1);  // the stand-in's log alone
}

TEST_F(ProcessTest, OutputLargerThanThePipeBufferArrivesWhole) {
  EnvOverride big(L"KIP_STUB_STDOUT_BYTES", L"200000");
  const std::wstring output = scratch_ / L"netsh.log";
  ASSERT_TRUE(RunCommandCaptured(L"netsh show", output));
  const std::string data = ReadWholeFile(output);
  const std::string head = "stub netsh: ok\r\n", tail = "stub netsh: last line\r\n";
  EXPECT_EQ(data.size(), head.size() + 200000 + tail.size());
  EXPECT_EQ(data.substr(0, head.size()), head);
  ASSERT_GE(data.size(), tail.size());
  EXPECT_EQ(data.substr(data.size() - tail.size()), tail);
  EXPECT_EQ(CountOf(data, "stub netsh"), 2u);
}

TEST_F(ProcessTest, OutputWrittenJustBeforeAQuickExitIsKept) {
  // The child exits right after its last write while we may be waiting.
  EnvOverride big(L"KIP_STUB_STDOUT_BYTES", L"8100");
  const std::wstring output = scratch_ / L"netsh.log";
  for (int run = 0; run < 5; ++run) {
    ASSERT_TRUE(RunCommandCaptured(L"netsh show", output));
    const std::string data = ReadWholeFile(output);
    EXPECT_EQ(data.size(), 16u + 8100u + 23u) << "run " << run;
  }
}

TEST_F(ProcessTest, LargeStandardErrorIsDrainedAndDiscarded) {
  EnvOverride big(L"KIP_STUB_STDERR_BYTES", L"200000");
  const std::wstring output = scratch_ / L"netsh.log";
  ASSERT_TRUE(RunCommandCaptured(L"netsh show", output));
  EXPECT_EQ(ReadWholeFile(output), "stub netsh: ok\r\nstub netsh: last line\r\n");
}

TEST_F(ProcessTest, CapturedChildReadsAnEmptyStandardInputAndIsWaitedFor) {
  // The stand-in reads its input to the end before it answers: with an input
  // left open it would never end. It sleeps after its output, so the output
  // file being complete shows that the run waited for its end.
  EnvOverride read(L"KIP_STUB_READ_STDIN", L"1");
  EnvOverride sleep(L"KIP_STUB_SLEEP_MS", L"200");
  const std::wstring output = scratch_ / L"out.txt";
  CapturedRun run = RunCommandCaptured(L"nbtstat -R", output);
  ASSERT_TRUE(run.started);
  EXPECT_TRUE(run.captured);
  EXPECT_EQ(ReadWholeFile(output), "stub nbtstat: ok\r\nstub nbtstat: last line\r\n");
  EXPECT_NE(Log().find("stdin: 0 bytes"), std::string::npos);
}

// Bare names go to the system folder, paths stay with the command line; a
// relative override would make the current directory the system folder.
TEST(ExecutableFor, BareNamesComeFromTheSystemFolderPathsAsGiven) {
  struct Case {
    const wchar_t* commandLine;
    std::optional<std::wstring> executable;
  };
  {
    EnvOverride system(kSystemFolderOverride, L"C:\\kip-system");
    EXPECT_EQ(SystemProgramFolder(), L"C:\\kip-system\\");
    const Case cases[] = {
        {L"netsh exec \"C:\\t\\kipconfig.sh\"", L"C:\\kip-system\\netsh.exe"},
        {L"\"netsh\" exec x", L"C:\\kip-system\\netsh.exe"},
        {L"nbtstat\t-R", L"C:\\kip-system\\nbtstat.exe"},
        {L"notepad C:\\Program Files\\kip\\hosts home", L"C:\\kip-system\\notepad.exe"},
        {L"ipconfig.exe /flushdns", L"C:\\kip-system\\ipconfig.exe"},
        {L"\"C:\\Program Files\\kip\\19 rack_b.bat\"", std::nullopt},
        {L"..\\netsh exec x", std::nullopt},
        {L"D:netsh exec x", std::nullopt},
        {L"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ExecutableFor(c.commandLine), c.executable) << ToUtf8(c.commandLine);
  }
  for (const wchar_t* unusable : {L"stubs", L"\\stubs", L""}) {
    EnvOverride system(kSystemFolderOverride, std::wstring(unusable));
    EXPECT_EQ(SystemProgramFolder(), GetSystemFolder()) << ToUtf8(unusable);
  }
}

// A netsh.exe beside the program and in the current directory (the
// stand-ins beside this test program) is never what starts: with a system
// folder that holds none, nothing does.
TEST_F(ProcessTest, ProgramsBesideTheProgramOrInTheCurrentDirectoryAreNotStarted) {
  ScratchFolder system;
  EnvOverride folder(kSystemFolderOverride, system.path());
  test::CurrentDirectory current(ProgramFolder());
  ASSERT_TRUE(FileExists(ProgramFolder() + L"netsh.exe"));
  const CapturedRun run = RunCommandCaptured(L"netsh exec \"x.sh\"", scratch_ / L"out.txt");
  EXPECT_FALSE(run.started);
  EXPECT_EQ(run.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(RunCommand(L"notepad hosts"));
  EXPECT_FALSE(RunCommandAndWait(L"net start dnscache", SW_HIDE));
  EXPECT_EQ(Log(), "");

  // The same stand-in in the system folder runs, with its command line as
  // written.
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"netsh.exe").c_str(), (system / L"netsh.exe").c_str(), FALSE));
  ASSERT_TRUE(RunCommandCaptured(L"netsh exec \"x.sh\"", L""));
  EXPECT_EQ(Log().substr(0, 24), "netsh\tnetsh exec \"x.sh\"\n");
}

// A child that hangs is ended at its time limit, its output so far kept and
// its file free again; one that ends in time is not marked.
TEST_F(ProcessTest, AChildPastItsTimeLimitIsEndedAndSaidSo) {
  const std::wstring output = scratch_ / L"out.txt";
  {
    EnvOverride sleep(L"KIP_STUB_SLEEP_MS", L"60000");
    Stopwatch watch;
    const CapturedRun run = RunCommandCaptured(L"netsh show", output, 300);
    EXPECT_TRUE(run.started);
    EXPECT_TRUE(run.timedOut);
    EXPECT_LT(watch.ms(), 20000u);
  }
  EXPECT_NE(ReadWholeFile(output).find("stub netsh: last line"), std::string::npos);
  EXPECT_TRUE(DeleteFileW(output.c_str()));
  const CapturedRun quick = RunCommandCaptured(L"netsh show", output, 20000);
  EXPECT_TRUE(quick.started);
  EXPECT_FALSE(quick.timedOut);
}

}  // namespace
}  // namespace kip
