#include "app/DeployArgs.h"

namespace kip {

namespace {

// "/name" or "-name" in any letter case.
bool IsDeploySwitch(const std::wstring& argument, std::wstring_view name) {
  if (argument.size() != name.size() + 1 || (argument[0] != L'/' && argument[0] != L'-')) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    wchar_t c = argument[i + 1];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != name[i]) return false;
  }
  return true;
}

bool LooksLikeSwitch(const std::wstring& argument) {
  return !argument.empty() && (argument[0] == L'/' || argument[0] == L'-');
}

}  // namespace

DeployOptions ParseDeployOptions(const StringList& arguments) {
  DeployOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    // The next argument, unless it is a switch: "/log /q X" must not log
    // to a file named "/q" and commit without the quiet the user asked for.
    auto file = [&]() -> std::wstring {
      if (i + 1 >= arguments.size() || LooksLikeSwitch(arguments[i + 1])) {
        options.missingFile = true;
        return {};
      }
      return arguments[++i];
    };
    if (IsDeploySwitch(argument, L"q")) {
      options.quiet = true;
    } else if (IsDeploySwitch(argument, L"?")) {
      options.usage = true;
    } else if (IsDeploySwitch(argument, L"import")) {
      options.importFile = file();
    } else if (IsDeploySwitch(argument, L"log")) {
      options.logFile = file();
    } else if (IsDeploySwitch(argument, L"resident")) {
      options.resident = true;
    } else {
      options.classicArguments.push_back(argument);
    }
  }
  if (options.missingFile) options.usage = true;
  return options;
}

std::wstring UsageText() {
  return L"使い方: kIpCnfg.exe [設定名] [/c | /n | /s | /r] [/import ファイル] [/log ファイル] [/q] [/resident]\r\n"
         L"\r\n"
         L"  設定名            反映する設定の名前\r\n"
         L"  /c                反映の後にプログラムを終了します\r\n"
         L"  /n                反映の後もウィンドウを開いたままにします\r\n"
         L"  /s                反映の後に Windows をシャットダウンします\r\n"
         L"  /r                反映の後に Windows を再起動します\r\n"
         L"  /import ファイル  エクスポートした設定のファイルを確認なしで取り込みます\r\n"
         L"  /log ファイル     反映の手順とその結果をファイルに追記します\r\n"
         L"  /q                ウィンドウもメッセージも出さずに実行します\r\n"
         L"  /resident         ウィンドウを出さずに通知領域に常駐して始めます\r\n"
         L"  /?                この使い方を表示します\r\n"
         L"\r\n"
         L"終了コード:\r\n"
         L"  0  反映しました\r\n"
         L"  1  その他のエラー\r\n"
         L"  2  設定が見つかりません\r\n"
         L"  3  起動できないコマンドがありました\r\n"
         L"  4  取り込みができませんでした\r\n"
         L"  5  すでに実行中です\r\n"
         L"  6  確認付きで反映した設定が, 元に戻すかどうかの答えを待っています\r\n";
}

}  // namespace kip
