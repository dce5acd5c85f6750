// A whole installation and its removal on a Windows whose ANSI code page is not 936: the
// locale of the run sets it (LUMORA_LOCALE, scripts/wine-run.sh), one row of the table for
// each. The setup and the programs it carries must give every file, link and window its
// Chinese name all the same. Names and window texts are read back in UTF-16 and compared
// with UTF-16 literals, so that no conversion of ours stands between the two.
#include "tests/e2e/uninstall_fixture.h"

#include <set>

namespace {

using namespace e2e;

using Names = std::set<std::wstring>;
const Names kDestination = {L"Lumora.exe",   L"TarvelUP.exe",     L"卸载.exe",       L"Function.dll",
                            L"Tarvel-Skin.dll", L"更新日志.log", L"常见问题解答.txt", L"Lumora官网.url",
                            L"Lumora视频教程.url"};
const Names kMenu = {L"Lumora官网.url", L"Lumora视频教程.url", L"Lumora.lnk", L"卸载.lnk"};
const Names kDesktop = {L"Lumora官网.url", L"Lumora视频教程.url", L"Lumora.lnk"};
const wchar_t kDefaultDestination[] = L"C:\\Program Files\\Lumora";

// What a folder holds, by the names the system keeps; empty when it does not exist.
Names NamesIn(const std::wstring& folder) {
    const std::vector<std::wstring> names = test::FolderNames(folder);
    return Names(names.begin(), names.end());
}

std::string Shown(const Names& names) {
    std::string shown;
    for (const std::wstring& name : names) shown += " " + test::Gbk(name);
    return shown;
}

class CodePage : public Uninstall, public ::testing::WithParamInterface<unsigned> {
protected:
    std::wstring WideOf(std::uint32_t id) const { return remote::WideText(C(id)); }
    // Waits for the step with this title, then checks Next's caption.
    void ExpectStep(const wchar_t* title, const wchar_t* next) {
        EXPECT_TRUE(Eventually([&] { return WideOf(k主标题) == title; })) << test::Gbk(title);
        EXPECT_EQ(WideOf(k下一步), next);
    }
};

TEST_P(CodePage, InstallsAndRemovesEverythingByItsChineseName) {
    ASSERT_EQ(GetACP(), GetParam()) << "the run's locale sets the code page";

    // The wizard's texts, as the window holds them.
    ASSERT_NO_FATAL_FAILURE(StartSetup());
    EXPECT_EQ(remote::WideText(window), L"安装向导-Lumora");
    EXPECT_EQ(WideOf(k标签_版本), L"安装向导将在你的电脑上安装 Lumorav" LUMORA_PRODUCT_VERSION L" 版本。");
    EXPECT_EQ(WideOf(k下一步), L"下一步(N) >");
    remote::Click(C(k下一步));
    ExpectStep(L"许可协议", L"下一步(N) >");
    remote::Click(C(k接受));
    ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(C(k下一步)) != FALSE; }));
    remote::Click(C(k下一步));
    ExpectStep(L"选择目标位置", L"下一步(N) >");
    ASSERT_EQ(WideOf(k路径), kDefaultDestination);
    ASSERT_NO_FATAL_FAILURE(SetTicked(k创建快捷方式, true));
    ASSERT_NO_FATAL_FAILURE(SetTicked(k释放文本, true));
    remote::Click(C(k下一步));
    ExpectStep(L"准备安装", L"安装(I)");
    ASSERT_TRUE(InstallToFinishPage());
    EXPECT_EQ(WideOf(k查看更新内容), L"查看版本更新内容");
    SetTicked(k查看更新内容, false);
    SetTicked(k查看解决方案, false);
    remote::Click(C(k下一步));
    ASSERT_EQ(remote::WaitExit(setup, 20000), 0);

    // Every file and link under its own name, holding the carried bytes, leading to its file.
    const std::wstring menuFolder = test::Wide(menu), desktopFolder = test::Wide(desktop);
    EXPECT_EQ(NamesIn(kDefaultDestination), kDestination) << Shown(NamesIn(kDefaultDestination));
    EXPECT_EQ(NamesIn(menuFolder), kMenu) << Shown(NamesIn(menuFolder));
    EXPECT_EQ(NamesIn(desktopFolder), kDesktop) << Shown(NamesIn(desktopFolder));
    ExpectFilesInDestination(true);
    ExpectShortcuts();

    // The carried programs show their texts as written.
    const remote::Process updater = remote::Start(D + "\\TarvelUP.exe");
    HWND box = remote::FindBoxTitled("Lumora 在线更新", 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(remote::WideText(GetDlgItem(box, 0xFFFF)),
              L"当前的 Lumora v" LUMORA_PRODUCT_VERSION L" 已是最新版本，暂无可用的更新。");
    remote::PressBoxButton(box, IDOK);
    EXPECT_EQ(remote::WaitExit(updater, 10000), 0);
    const remote::Process product = StartInstalledProduct();
    const HWND main = remote::FindTopWindow(product.id, "Lumora v" LUMORA_PRODUCT_VERSION, 20000);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(remote::WideText(remote::FindControl(main, 100)),
              L"Lumora 功能库 v" LUMORA_PRODUCT_VERSION L"：皮肤、在线更新与视频教程已就绪。");

    // Removed, the running product closed on the way. Started from the folder: Wine's shell
    // follows a link by the path it keeps in the ANSI code page, which has lost 卸载 here.
    ASSERT_NO_FATAL_FAILURE(StartUninstaller());
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    ASSERT_TRUE(Answer("正在运行", IDYES));
    EXPECT_EQ(WaitForSingleObject(product.handle, 10000), WAIT_OBJECT_0);
    const std::string report = Report();
    EXPECT_NE(report.find("Lumora 已卸载完成，共删除 18 项。"), std::string::npos) << report;
    EXPECT_EQ(GetFileAttributesW(kDefaultDestination), INVALID_FILE_ATTRIBUTES) << "the folder goes too";
    EXPECT_EQ(GetFileAttributesW((menuFolder).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(NamesIn(desktopFolder).empty()) << Shown(NamesIn(desktopFolder));
}

INSTANTIATE_TEST_SUITE_P(AnsiCodePages, CodePage, ::testing::Values(1252u, 950u, 65001u),
                         [](const ::testing::TestParamInfo<unsigned>& page) {
                             return "cp" + std::to_string(page.param);
                         });

// A user whose profile, and the folder picked in the dialog, have a name that GBK cannot write:
// every file and link made, the product started from there, and all of it removed again.
class UserName : public Uninstall, public ::testing::WithParamInterface<std::pair<const char*, const wchar_t*>> {};
TEST_P(UserName, InstallsRunsAndRemovesUnderIt) {
    const std::wstring name = GetParam().second, picked = L"C:\\" + name, profile = L"C:\\users\\" + name;
    for (const auto& [value, folder] : {std::pair(L"Desktop", profile + L"\\Desktop"),
                                        std::pair(L"Programs", profile + L"\\Start Menu\\Programs")}) {
        ASSERT_EQ(SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr), ERROR_SUCCESS);
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                  value, REG_SZ, folder.c_str(), static_cast<DWORD>((folder.size() + 1) * 2)), ERROR_SUCCESS);
    }
    desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    menu = SpecialFolder(CSIDL_PROGRAMS) + "\\Lumora";
    ASSERT_EQ(test::Wide(desktop), profile + L"\\Desktop") << "the folders lie under the user's name";
    ASSERT_TRUE(CreateDirectoryW(picked.c_str(), nullptr));
    D = test::Gbk(picked) + "\\Lumora";
    StartSetup();
    ClickTo(k下一步, "许可协议");
    remote::Click(C(k接受));
    ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(C(k下一步)) != FALSE; }));
    ClickTo(k下一步, "选择目标位置");
    remote::Click(C(k目录浏览));
    HWND dialog = remote::FindMessageBox(setup.id, 10000);
    ASSERT_TRUE(dialog && remote::SelectFolder(setup, dialog, test::Gbk(picked), test::Gbk(name)));
    remote::PressBoxButton(dialog, IDOK);
    ASSERT_TRUE(Eventually([&] { return remote::WideText(C(k路径)) == picked + L"\\Lumora"; }));
    ClickTo(k下一步, "准备安装");  // both options ticked, as at the start
    ASSERT_TRUE(InstallToFinishPage());
    ExpectFilesInDestination(true);
    ExpectShortcuts();
    SetTicked(k选择框_运行, true);
    SetTicked(k查看更新内容, false);
    SetTicked(k查看解决方案, false);
    remote::Click(C(k下一步));
    ASSERT_EQ(remote::WaitExit(setup, 20000), 0);
    ASSERT_TRUE(Eventually([] { return !ProcessesNamed("Lumora.exe").empty(); }, 10000)) << "the product started";
    EXPECT_EQ(ImagePath(ProcessesNamed("Lumora.exe")[0]), D + "\\Lumora.exe");
    ASSERT_NO_FATAL_FAILURE(StartUninstaller());
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    ASSERT_TRUE(Answer("正在运行", IDYES));
    EXPECT_NE(Report().find("共删除 18 项"), std::string::npos);
    ExpectAllTheSetupWroteGone();
    EXPECT_FALSE(Exists(D));
}
INSTANTIATE_TEST_SUITE_P(NamesOutsideGbk, UserName,
                         ::testing::Values(std::pair("Pena", L"Peña"), std::pair("Bjorn", L"Björn"), std::pair("Li", L"李䶮")),
                         [](const auto& row) { return std::string(row.param.first); });

}  // namespace
