// The golden corpus of the commit: settings of one to four cards, built by
// a seeded generator, each seeded into the registry sandbox exactly as a
// store (or a machine's interface keys) would hold it, and what a commit of
// it must produce: the netsh script and the child command lines in order.
// The recorded outputs live in tests/apply/data/commit-corpus.txt.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "apply/CommitSequence.h"
#include "util/Text.h"

namespace kip::corpus {

// A REG_SZ value, or a value of the wrong type (a DWORD) when wrongType.
struct TextValue {
  std::wstring text;
  bool wrongType = false;
};

struct CardSeed {
  std::wstring id;
  std::wstring connectionName;  // empty: none
  std::wstring currentAddress;  // empty: Windows gives none
  enum class Source { Stored, Live, Neither } source = Source::Stored;
  std::optional<DWORD> enableDhcp;
  std::optional<StringList> ipAddresses, subnetMasks, gateways, gatewayMetrics;
  std::optional<TextValue> nameServer;
  std::optional<std::wstring> domain;
  // "RegistrationEnabled"/"RegisterAdapterName" from version 5 on, the older
  // pair before it; a missing one makes the block take its defaults.
  std::optional<DWORD> registration, adapterName;
  std::optional<StringList> winsServers;
};

struct CaseSeed {
  int number = 0;
  std::wstring description;
  DWORD major = 6, minor = 1;
  std::wstring settingName;
  std::vector<CardSeed> cards;
  int selectedCard = 0;
  bool beforeBatch = false, afterBatch = false;
};

// The worked examples, the stores of the end-to-end runs, then `randomCount`
// generated settings (seeded: the same list on every run).
std::vector<CaseSeed> CorpusCases(int randomCount = 240);

// Writes the case into the sandboxed HKEY_LOCAL_MACHINE: the setting's card
// keys (or the live interface and NetBT keys) and the store root; the batch
// files into `programFolder` when the case has them.
void SeedCase(const CaseSeed& seed, const std::wstring& programFolder);

// What a commit produced, as recorded.
struct Outcome {
  std::wstring script;     // lines joined by "\n" (the file has CR LF)
  StringList commands;     // "<kind> <command line>", folders as <program>\ and <temp>\ .
  bool operator==(const Outcome&) const = default;
};

// Records every child instead of starting it, and the script "netsh exec"
// would have read, as a commit of the case produced them.
class RecordingRunner : public CommandRunner {
 public:
  RecordingRunner(std::wstring programFolder, std::wstring tempFolder);
  bool RunAndWait(const std::wstring& commandLine, int showCommand) override;
  bool RunCaptured(const std::wstring& commandLine, const std::wstring& outputFile) override;
  bool Start(const std::wstring& commandLine) override;
  Outcome outcome;

 private:
  void Note(const wchar_t* kind, const std::wstring& commandLine);
  std::wstring programFolder_, tempFolder_;
};

// The commit's surroundings for a case: the batch files and the commit log
// in `programFolder`, the script and HOSTS target in `tempFolder`, the
// case's version, connection names and current addresses, the runner given.
CommitEnvironment CaseEnvironment(const CaseSeed& seed, const std::wstring& programFolder,
                                  const std::wstring& tempFolder, CommandRunner& runner);

// Seeds the case into the (sandboxed) registry and a scratch folder and
// commits it through the engine: the script and child command lines it wrote.
Outcome CommitCase(const CaseSeed& seed);

// The recorded corpus: case number to outcome, read from / written to the
// file format (UTF-8).
std::vector<std::pair<int, Outcome>> ReadCorpus(const std::wstring& path);
std::string FormatCorpus(const std::vector<std::pair<int, Outcome>>& entries, const std::vector<CaseSeed>& seeds);

}  // namespace kip::corpus
