// The command line of an unattended run: the arguments are the input's
// lines, the stored exit choice its first unit. Parsing never fails, the
// folded name is a fixed point of folding, and the tab search finds the
// first tab whose folded text matches.
#include "FuzzSupport.h"
#include "app/CommandLineArgs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kip;
  const std::wstring text = fuzz::Utf16Units(data, size);
  const int exitChoice = text.empty() ? 0 : static_cast<int>(text[0] % 8) - 1;
  const StringList arguments = fuzz::Parts(text, L'\n');

  const CommandLineRequest request = ParseCommandLine(arguments);
  KIP_FUZZ_REQUIRE(FoldSettingName(request.settingName) == request.settingName);
  KIP_FUZZ_REQUIRE(request.hasSwitch || request.switchLetter == 0);
  KIP_FUZZ_REQUIRE(request.keepWindowOpen == (arguments.size() > 1 && EqualsNoCase(arguments[1], L"/n")));
  const ExitAction action = ChooseExitAction(request, exitChoice);
  KIP_FUZZ_REQUIRE(!request.hasSwitch || action != ExitAction::LogOff);

  // The arguments stand for the tab texts too.
  const int tab = FindSettingTab(arguments, request.settingName);
  for (int i = 0; i < tab; ++i) KIP_FUZZ_REQUIRE(FoldSettingName(arguments[i]) != request.settingName);
  if (tab >= 0) {
    KIP_FUZZ_REQUIRE(FoldSettingName(arguments[static_cast<size_t>(tab)]) == request.settingName);
  } else {
    for (const std::wstring& argument : arguments) KIP_FUZZ_REQUIRE(FoldSettingName(argument) != request.settingName);
  }
  KIP_FUZZ_REQUIRE(SettingNotFoundText(request.settingName).find(request.settingName) != std::wstring::npos);
  return 0;
}
