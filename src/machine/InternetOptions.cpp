#include "machine/InternetOptions.h"

#include <wininet.h>

#include "util/WindowsVersion.h"

namespace kip {

namespace {

bool IsNumberOption(DWORD option) { return option == kPerConnFlags || option == kPerConnFlagsUi; }

// The list handed to WinINet points into `options`, which outlives the call.
class WinInet final : public InternetOptions {
 public:
  DWORD SetLanOptions(const std::vector<PerConnOption>& options) override {
    std::vector<INTERNET_PER_CONN_OPTIONW> entries(options.size());
    for (size_t i = 0; i < options.size(); ++i) {
      entries[i].dwOption = options[i].option;
      if (IsNumberOption(options[i].option)) {
        entries[i].Value.dwValue = options[i].number;
      } else {
        entries[i].Value.pszValue = const_cast<wchar_t*>(options[i].text.c_str());
      }
    }
    INTERNET_PER_CONN_OPTION_LISTW list{};
    list.dwSize = sizeof list;
    list.pszConnection = nullptr;  // the LAN connection
    list.dwOptionCount = static_cast<DWORD>(entries.size());
    list.pOptions = entries.data();
    if (InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof list)) return ERROR_SUCCESS;
    return ErrorOrGeneric();
  }

  DWORD QueryLanOptions(std::vector<PerConnOption>& options) override {
    std::vector<INTERNET_PER_CONN_OPTIONW> entries(options.size());
    for (size_t i = 0; i < options.size(); ++i) entries[i].dwOption = options[i].option;
    INTERNET_PER_CONN_OPTION_LISTW list{};
    list.dwSize = sizeof list;
    list.pszConnection = nullptr;
    list.dwOptionCount = static_cast<DWORD>(entries.size());
    list.pOptions = entries.data();
    DWORD size = sizeof list;
    if (!InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size)) return ErrorOrGeneric();
    // The texts are the caller's to free, with GlobalFree.
    for (size_t i = 0; i < options.size(); ++i) {
      if (IsNumberOption(options[i].option)) {
        options[i].number = entries[i].Value.dwValue;
      } else if (entries[i].Value.pszValue) {
        options[i].text = entries[i].Value.pszValue;
        GlobalFree(entries[i].Value.pszValue);
      }
    }
    return ERROR_SUCCESS;
  }

  DWORD Announce(DWORD option) override {
    return InternetSetOptionW(nullptr, option, nullptr, 0) ? ERROR_SUCCESS : ErrorOrGeneric();
  }
  bool QueryIsWhole() const override { return !RunningOnWine(); }

 private:
  static DWORD ErrorOrGeneric() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
  }
};

}  // namespace

InternetOptions& WinInetOptions() {
  static WinInet options;
  return options;
}

std::optional<LanProxy> QueryLanProxy(InternetOptions& options) {
  for (DWORD flagsOption : {kPerConnFlagsUi, kPerConnFlags}) {
    std::vector<PerConnOption> list = {{flagsOption, 0, {}},
                                       {kPerConnProxyServer, 0, {}},
                                       {kPerConnProxyBypass, 0, {}},
                                       {kPerConnAutoConfigUrl, 0, {}}};
    if (options.QueryLanOptions(list) == ERROR_SUCCESS) {
      return LanProxy{list[0].number, list[1].text, list[2].text, list[3].text};
    }
  }
  return std::nullopt;
}

}  // namespace kip
