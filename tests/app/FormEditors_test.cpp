// The editors of the pages as the window wires them: the proxy page's rule
// and take-over, the batch memos' menu and the HOSTS browse button.
#include <gtest/gtest.h>

#include "MainIds.h"
#include "support/FormFixture.h"
#include "ui/ProxyRules.h"

namespace kip {
namespace {

const std::wstring kInternet = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

class FormEditorsTest : public FormTest {
 protected:
  void SetUp() override { MakeForm(); }
};

TEST_F(FormEditorsTest, ProxyControlsFollowTheSwitchesAndTheScriptAddressIsNoEdit) {
  TFormIpconfig& form = Form();
  auto enabled = [&](int id) { return IsWindowEnabled(PageItem(form, 3, id)) != 0; };
  EXPECT_FALSE(enabled(IDE_EditProxyServer) || enabled(IDX_ProxyMore));
  EXPECT_TRUE(enabled(IDE_EditHomePage));
  form.Editor().Discard();
  TypeOnPage(form, 3, IDE_ProxyAutoConfigURL, L"http://pac");
  EXPECT_FALSE(form.Editor().Modified());

  ClickPageItem(form, 3, IDX_CheckUseProxy);
  EXPECT_TRUE(form.Editor().Modified());
  EXPECT_TRUE(enabled(IDE_EditProxyServer));
  EXPECT_FALSE(enabled(IDX_ProxyLocalAddress));  // no server named yet
  TypeOnPage(form, 3, IDE_EditProxyServer, L"px");
  HWND server = PageItem(form, 3, IDE_EditProxyServer);
  SendMessageW(GetParent(server), WM_COMMAND, MAKEWPARAM(IDE_EditProxyServer, EN_KILLFOCUS), LPARAM(server));
  EXPECT_TRUE(enabled(IDX_ProxyLocalAddress));
  ClickPageItem(form, 3, IDX_ProxyMore);
  EXPECT_FALSE(enabled(IDE_EditProxyServer));
  EXPECT_TRUE(enabled(IDB_ButtonGetProxy));
}

TEST_F(FormEditorsTest, TakeOverSplitsASingleProxyAndHintsWhenNoServerCameOver) {
  struct Case {
    DWORD enable;
    const wchar_t* proxy;
    const wchar_t* server;
    const wchar_t* port;
    bool more, hint;
  };
  for (const Case& c : {Case{1, L"proxy.local:8080", L"proxy.local", L"8080", false, false},
                        Case{1, L"http=a:1;ftp=b:2", L"http=a:1;ftp=b:2", L"", true, false},
                        Case{1, L"host:123456", L"", L"", false, true}, Case{0, L"px:1", L"", L"", false, true}}) {
    SCOPED_TRACE(c.proxy);
    SetDword(HKEY_CURRENT_USER, kInternet, L"ProxyEnable", c.enable);
    SetString(HKEY_CURRENT_USER, kInternet, L"ProxyServer", c.proxy);
    TFormIpconfig& form = Form();
    form.Internet().Show({true, L"", L"", L"", false, L"", true});
    prompts.messages.clear();
    ClickPageItem(form, 3, IDB_ButtonGetProxy);
    const ProxyValues shown = form.Internet().Collect();
    EXPECT_EQ(shown.server, c.server);
    EXPECT_EQ(shown.port, c.port);
    EXPECT_EQ(shown.detailed, c.more);
    EXPECT_EQ(IsWindowEnabled(PageItem(form, 3, IDE_EditProxyServer)) != 0, !c.more);  // a single proxy is edited again
    EXPECT_EQ(prompts.messages, c.hint ? std::vector<std::wstring>{kProxyTakeOverHint} : std::vector<std::wstring>{});
  }
}

TEST_F(FormEditorsTest, MemoLinesGoToTheFocusedMemoAndTheBrowseButtonFillsTheHostsPath) {
  TFormIpconfig& form = Form();
  form.Show();
  form.AppendBatchLine(2);  // ルート設定, no memo focused, the page not built yet
  EXPECT_EQ(form.Batch().Collect(), (BatchTexts{{}, {L"route add"}}));
  SetFocus(PageItem(form, 5, IDE_MemoBefore));
  prompts.fileAnswers = {std::wstring(L"C:\\Program Files\\x.bat")};
  form.mFileNameClick();
  EXPECT_EQ(form.Batch().Collect(), (BatchTexts{{L"\"C:\\Program Files\\x.bat\""}, {L"route add"}}));

  form.Editor().Discard();
  form.ButtonBrowsClick();  // cancelled: nothing changes
  EXPECT_FALSE(form.Editor().Modified());
  prompts.fileAnswers = {std::wstring(L"C:\\hosts.office")};
  form.ButtonBrowsClick();
  EXPECT_EQ(form.Other().Collect().hostsFile, L"C:\\hosts.office");
  EXPECT_TRUE(form.Editor().Modified());
}

}  // namespace
}  // namespace kip
