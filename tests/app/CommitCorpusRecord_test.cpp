// Records the golden corpus through the window's commit (set
// KIP_RECORD_CORPUS to the output file's Windows path).
#include <gtest/gtest.h>

#include "store/StoreKeys.h"
#include "store/SettingStore.h"
#include "support/CommitCorpus.h"
#include "support/FormFixture.h"
#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip {
namespace {

class CorpusRecorder : public FormTest {};

TEST_F(CorpusRecorder, Record) {
  wchar_t out[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"KIP_RECORD_CORPUS", out, MAX_PATH) == 0) GTEST_SKIP();
  std::vector<corpus::CaseSeed> seeds = corpus::CorpusCases();
  std::vector<std::pair<int, corpus::Outcome>> entries;
  for (const corpus::CaseSeed& seed : seeds) {
    test::ScratchFolder folder;
    const std::wstring program = folder / L"program\\", temp = folder / L"temp\\";
    CreateDirectoryW(program.c_str(), nullptr);
    CreateDirectoryW(temp.c_str(), nullptr);
    DeleteKey(HKEY_LOCAL_MACHINE, L"\\SOFTWARE");
    DeleteKey(HKEY_LOCAL_MACHINE, L"\\SYSTEM");
    corpus::SeedCase(seed, program);
    corpus::RecordingRunner runner(program, temp);
    version.major = seed.major;
    version.minor = seed.minor;
    programPath = program + L"kIpCnfg.exe";
    adjustEnvironment = [&](FormEnvironment& environment) {
      environment.commitEnvironment = [&] { return corpus::CaseEnvironment(seed, program, temp, runner); };
    };
    TFormIpconfig& form = MakeForm();
    form.OSMajorVersion = seed.major;
    form.OSMinorVersion = seed.minor;
    for (const corpus::CardSeed& card : seed.cards) {
      form.CardIds.push_back(card.id);
      form.ComboDescription.Add(card.connectionName + L" [card]");
    }
    form.LoadSettingList(ListSettingNames());
    form.LoadSetting();
    ASSERT_TRUE(form.CommitShownSetting());
    entries.push_back({seed.number, runner.outcome});
  }
  WriteWholeFile(out, corpus::FormatCorpus(entries, seeds));
}

}  // namespace
}  // namespace kip
