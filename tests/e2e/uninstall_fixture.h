#pragma once
// The installed uninstaller after a real installation by the built setup: started from the
// product folder or its Start-menu link and answered as a user answers it.
#include "tests/e2e/install_fixture.h"

#include <shellapi.h>

namespace e2e {

inline const std::string kUninstallCaption = "卸载 Lumora";
inline const char* const kUninstallCopy = "lumora-uninstall.exe";

class Uninstall : public SetupInstall {
protected:
    // A whole installation with the options given; the setup then ends from its finish page
    // without opening anything.
    void Install(bool shortcuts = true, bool texts = true) {
        StartSetup();
        WalkToReady(shortcuts, texts);
        ASSERT_TRUE(InstallToFinishPage());
        SetTicked(k查看更新内容, false);
        SetTicked(k查看解决方案, false);
        remote::Click(C(k下一步));
        ASSERT_EQ(remote::WaitExit(setup, 20000), 0);
    }
    // Starts the uninstaller: the installed one, or through the Start-menu link.
    void StartUninstaller(bool throughMenu = false) {
        if (throughMenu) {
            ASSERT_GT(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", test::Wide(menu + "\\卸载.lnk").c_str(),
                                                              nullptr, nullptr, SW_SHOWNORMAL)),
                      32);
        } else {
            uninstaller = remote::Start(D + "\\卸载.exe");
            ASSERT_NE(uninstaller.handle, nullptr);
        }
    }
    remote::Process StartInstalledProduct() {
        remote::Process product = remote::Start(D + "\\Lumora.exe");
        if (product.handle) WaitForInputIdle(product.handle, 10000);
        return product;
    }
    // Answers the box with this text in it; false when no such box came.
    bool Answer(const char* textPart, int button) {
        HWND box = remote::FindBoxTitled(kUninstallCaption, 20000);
        if (!box) return false;
        const std::string text = remote::BoxMessage(box);
        EXPECT_NE(text.find(textPart), std::string::npos) << text;
        remote::PressBoxButton(box, button);
        return Eventually([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    }
    // The copy that does the work, while it runs.
    static std::string RunningCopy() {
        const std::vector<DWORD> copies = ProcessesNamed(kUninstallCopy);
        return copies.size() == 1 ? ImagePath(copies[0]) : "no copy runs";
    }
    // The closing report, acknowledged; and then nothing of the uninstaller is left running.
    std::string Report() {
        HWND box = remote::FindBoxTitled(kUninstallCaption, 30000);
        if (!box) return "no report";
        copy = RunningCopy();
        const std::string text = remote::BoxMessage(box);
        remote::PressBoxButton(box, IDOK);
        EXPECT_TRUE(Eventually([] { return NothingOfTheUninstallerRuns(); })) << "still running";
        return text;
    }
    static bool NothingOfTheUninstallerRuns() {
        for (const ProcessEntry& p : Processes()) {
            if (p.name == "卸载.exe" || host::EqualIgnoringAsciiCase(p.name, kUninstallCopy)) return false;
        }
        return true;
    }
    void ExpectAllTheSetupWroteGone() {
        for (const char* name : kProgramFiles) EXPECT_FALSE(Exists(D + "\\" + name)) << name;
        for (const char* name : kTextFiles) EXPECT_FALSE(Exists(D + "\\" + name)) << name;
        ExpectNothingOutsideTheDestination();
    }

    remote::Process uninstaller;
    std::string copy;  // the copy that made the last report
};

}  // namespace e2e
