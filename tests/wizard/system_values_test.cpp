// The proposal from the real environment and registry of a prefix of this test's own: values
// of any length and of the wrong type reach the destination box as the rules say, whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "host/system/win32_host.h"
#include "tests/common/expected_controls.h"
#include "tests/common/live_wizard.h"
#include "wizard/handlers.h"

namespace {

using host::Text;

class SystemValues : public ::testing::Test {
protected:
    void TearDown() override {
        RegDeleteValueA(HKEY_LOCAL_MACHINE, "TarvelPaths");
        SetEnvironmentVariableA("ProgramFiles", savedProgramFiles_.c_str());
    }
    // The box after a proposal by a host that starts now, as the program's does.
    Text Proposed() {
        host::Win32Host host;
        test::LiveWizard live(host, {});
        EXPECT_TRUE(live.Build());
        wizard::ProposeDestination(live.context);
        return host::AsText(live.window.ReadProperty({expected::kWindowId, expected::k路径}, host::ControlProperty::Text));
    }
    static void SetMachineValue(DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "TarvelPaths", 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }
    static void SetMachineText(const Text& value, DWORD type = REG_SZ) {
        SetMachineValue(type, value.c_str(), static_cast<DWORD>(value.size() + 1));
    }

    Text savedProgramFiles_ = [] {
        char value[4096] = {};
        GetEnvironmentVariableA("ProgramFiles", value, sizeof value);
        return Text(value);
    }();
};

TEST_F(SystemValues, ProgramFilesOfAnyLength) {
    ASSERT_TRUE(SetEnvironmentVariableA("ProgramFiles", "C:\\Program Files"));
    EXPECT_EQ(Proposed(), "C:\\Program Files\\Lumora");

    const Text longest = "C:\\" + Text(32700, 'p');
    ASSERT_TRUE(SetEnvironmentVariableA("ProgramFiles", longest.c_str()));
    EXPECT_EQ(Proposed(), longest + "\\Lumora");

    ASSERT_TRUE(SetEnvironmentVariableA("ProgramFiles", nullptr));
    EXPECT_EQ(Proposed(), "\\Lumora");
}

TEST_F(SystemValues, RegistryValueTakenUnchangedWhateverItsLength) {
    ASSERT_TRUE(SetEnvironmentVariableA("ProgramFiles", "C:\\Program Files"));
    SetMachineText("D:\\\x9C\x5C");  // D:\淺
    EXPECT_EQ(Proposed(), "D:\\\x9C\x5C");

    const Text huge = "E:\\" + Text(200000, 'r');
    SetMachineText(huge);
    EXPECT_EQ(Proposed(), huge);
}

TEST_F(SystemValues, RegistryValuesThatAreNotAPath) {
    ASSERT_TRUE(SetEnvironmentVariableA("ProgramFiles", "C:\\Program Files"));
    const DWORD number = 42;
    SetMachineValue(REG_DWORD, &number, sizeof number);
    EXPECT_EQ(Proposed(), "C:\\Program Files\\Lumora") << "not a string: the proposal stays";

    SetMachineText("");
    EXPECT_EQ(Proposed(), "C:\\Program Files\\Lumora") << "empty: the proposal stays";

    // Stored without its terminating zero.
    SetMachineValue(REG_SZ, "F:\\Apps", 7);
    EXPECT_EQ(Proposed(), "F:\\Apps");

    SetMachineText("%ProgramFiles%\\Tools", REG_EXPAND_SZ);
    EXPECT_EQ(Proposed(), "C:\\Program Files\\Tools");
}

}  // namespace
