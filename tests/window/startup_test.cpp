// Start-up pieces that the entry point uses.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include <stdexcept>

#include "host/window/message_loop.h"
#include "host/system/program_folder.h"
#include "host/system/text.h"
#include "host/system/win32_host.h"
#include "tests/common/expected_controls.h"
#include "tests/common/live_wizard.h"

namespace {

TEST(Startup, CurrentFolderBecomesTheProgramFolder) {
    char module[1024] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string folder = module;
    folder.resize(folder.rfind('\\'));
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    ASSERT_TRUE(host::EnterProgramFolder());
    char current[1024] = {};
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_STRCASEEQ(current, folder.c_str());
    EXPECT_STRCASEEQ(host::ProgramFolder().c_str(), folder.c_str());
}

TEST(Startup, LeadBytesAreThoseOfTheSystemsCodePage) {
    ASSERT_EQ(GetACP(), 936u);
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(host::IsLeadByte(static_cast<unsigned char>(byte)),
                  IsDBCSLeadByteEx(936, static_cast<BYTE>(byte)) != FALSE)
            << byte;
    }
}

void FailWhileCreated(wizard::WizardContext&) { throw std::runtime_error("created"); }

TEST(Startup, AFailureInTheCreatedEventStillEndsWithZero) {
    static constexpr wizard::EventBinding kFailing[] = {
        {expected::kWindow, wizard::Event::Created, FailWhileCreated, nullptr},
    };
    host::Win32Host hostServices;
    test::LiveWizard live(hostServices, kFailing);
    EXPECT_EQ(host::RunWindow(live.window, live.router), 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "no quit left behind";
}

}  // namespace
