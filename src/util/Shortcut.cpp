#include "util/Shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "util/Text.h"

namespace kip {

using Microsoft::WRL::ComPtr;

std::wstring ShortcutFileName(const std::wstring& linkFile) {
  if (linkFile.size() >= 4 && EqualsNoCase(std::wstring_view(linkFile).substr(linkFile.size() - 4), L".lnk")) {
    return linkFile;
  }
  return linkFile + L".lnk";
}

bool CreateShortcut(const std::wstring& target, const std::wstring& arguments, const std::wstring& workingFolder,
                    const std::wstring& description, const std::wstring& linkFile, const std::wstring& iconFile) {
  const std::wstring fileName = ShortcutFileName(linkFile);

  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) {
    throw ShortcutError(L"ショートカットを作成できません (シェル リンク オブジェクトを作成できません).");
  }
  // The setters' results are not checked: what they refuse is simply
  // missing from the shortcut.
  link->SetPath(target.c_str());
  link->SetArguments(arguments.c_str());
  link->SetWorkingDirectory(workingFolder.c_str());
  link->SetDescription(description.c_str());
  link->SetIconLocation(iconFile.c_str(), 0);

  ComPtr<IPersistFile> file;
  if (FAILED(link.As(&file))) throw ShortcutError(L"ショートカットを保存できません (シェル リンク オブジェクトに IPersistFile がありません).");
  return SUCCEEDED(file->Save(fileName.c_str(), TRUE));
}

}  // namespace kip
