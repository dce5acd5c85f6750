// The created event: the welcome layout, the space line, and the running product.
#include "tests/wizard/wizard_fixture.h"
#include "wizard/handlers.h"

namespace {

using namespace expected;
using host::MessageBoxResult;
using test::Pump;

class Welcome : public test::WizardFixture {
protected:
    void SetUp() override {
        Start(payload::kCatalog, false);
        // Sizes the description does not have: the handler sets its own.
        live->window.WriteProperty({kWindowId, kWindow}, host::ControlProperty::Width, 320);
        live->window.WriteProperty({kWindowId, kWindow}, host::ControlProperty::Height, 200);
    }
    void Create() {
        live->window.RaiseCreated();
        Pump();
    }
    static host::ProcessRecord Process(std::uint32_t id, const char* name) {
        host::ProcessRecord p;
        p.processId = id;
        p.exeFile = name;
        return p;
    }

    // What the user could see while the question was up.
    struct AtQuestion {
        bool windowShown = true;
        std::string spaceLine;
        std::vector<std::uint32_t> held;
    } atQuestion;
    void WatchQuestion() {
        scripted.whileBoxShown = [this](const test::ScriptedHost::Box&) {
            atQuestion.windowShown = IsWindowVisible(live->window.Handle()) != FALSE;
            atQuestion.spaceLine = TextOf(k所需空间);
            atQuestion.held = scripted.heldProcesses;
        };
    }
};

TEST_F(Welcome, LayoutAndSizeWithoutARunningProduct) {
    scripted.processes = {Process(4, "explorer.exe"), Process(8, "LumoraSetup.exe")};
    Create();
    EXPECT_TRUE(scripted.boxes.empty());
    EXPECT_EQ(host::AsInt(live->window.ReadProperty({kWindowId, kPanel}, host::ControlProperty::Left)), 0);
    RECT r{};
    GetWindowRect(live->window.Handle(), &r);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 360);
    EXPECT_NE(TextOf(k所需空间), "至少需要 00.0 MB 的空闲磁盘空间。") << "the placeholder replaced";
    live->window.Show();
    Pump();
    EXPECT_TRUE(Seen(kPanel));
    EXPECT_EQ(wizard::CurrentStep(Controls()), wizard::WizardStep::Welcome);
}

TEST_F(Welcome, TheFirstRunningCopyIsOfferedAndEndedOnYes) {
    scripted.processes = {Process(3, "lumora.exe"), Process(7, "Lumora.exe"), Process(9, "Lumora.exe")};
    scripted.boxAnswers = {MessageBoxResult::Yes};
    WatchQuestion();
    Create();
    ASSERT_EQ(scripted.boxes.size(), 1u) << "one question, for the first exact match";
    EXPECT_EQ(scripted.boxes[0].text, "检测到Lumora正在运行，这可能会影响安装程序工作\r\n是否关闭Lumora？");
    EXPECT_EQ(scripted.boxes[0].flags, 36);
    EXPECT_EQ(scripted.boxes[0].caption, "询问：");
    EXPECT_EQ(scripted.endedProcesses, std::vector<std::uint32_t>{7});
    EXPECT_EQ(atQuestion.held, std::vector<std::uint32_t>{7}) << "opened before the question, ended through that";
    EXPECT_FALSE(atQuestion.windowShown) << "the question stands alone";
    EXPECT_EQ(atQuestion.spaceLine, TextOf(k所需空间)) << "the estimate is written before the question";
    EXPECT_NE(atQuestion.spaceLine, "至少需要 00.0 MB 的空闲磁盘空间。");
}

TEST_F(Welcome, NoKeepsTheRunningCopy) {
    scripted.processes = {Process(7, "Lumora.exe")};
    scripted.boxAnswers = {MessageBoxResult::No};
    Create();
    EXPECT_EQ(scripted.boxes.size(), 1u);
    EXPECT_TRUE(scripted.endedProcesses.empty());
}

TEST_F(Welcome, NamesDifferingOnlyInCaseAreNotTheProduct) {
    scripted.processes = {Process(5, "LUMORA.EXE"), Process(6, "lumora.exe"), Process(7, "Lumora.exe.bak")};
    Create();
    EXPECT_TRUE(scripted.boxes.empty());
    EXPECT_EQ(wizard::FindProcessByName(scripted, "Lumora.exe"), 0u);
    scripted.processes.clear();
    EXPECT_EQ(wizard::FindProcessByName(scripted, "Lumora.exe"), 0u) << "an empty list";
}

}  // namespace
