// The window's created event: the welcome layout, the space line, and a running product.
#include "wizard/handlers.h"
#include "wizard/lumora_window.h"

namespace wizard {
namespace {

constexpr char kProductProcess[] = "Lumora.exe";
constexpr char kRunningQuestion[] = "检测到Lumora正在运行，这可能会影响安装程序工作\r\n是否关闭Lumora？";
constexpr char kQuestionCaption[] = "询问：";
constexpr int kYesNoQuestion = 36;

}  // namespace

std::uint32_t FindProcessByName(host::HostServices& host, std::string_view exeName) {
    for (const host::ProcessRecord& process : host.ListProcesses()) {
        if (process.exeFile == exeName) return process.processId;
    }
    return 0;
}

void OnWizardCreated(WizardContext& c) {
    using host::ControlProperty;
    // The panel stands aside in the description; at 0 it covers banner and pages.
    c.controls.Write(ctl::图片框_主页, ControlProperty::Left, 0);
    c.controls.Write(ctl::图片框_主页, ControlProperty::Visible, true);
    c.controls.Write(kWizardWindowControlId, ControlProperty::Height, 360);
    c.controls.Write(kWizardWindowControlId, ControlProperty::Width, 500);

    const std::uint32_t running = FindProcessByName(c.host, kProductProcess);
    // Opened now: while the question is up the product may end and its number go to another
    // program, which must not be the one ended on Yes.
    const std::unique_ptr<host::HeldProcess> product = running != 0 ? c.host.HoldProcess(running) : nullptr;
    EstimateSpace(c);
    // The window is still hidden: the question stands alone on the screen.
    if (running != 0 &&
        c.host.ShowMessageBox(kRunningQuestion, kYesNoQuestion, host::Text(kQuestionCaption)) ==
            host::MessageBoxResult::Yes &&
        product) {
        product->End();
    }
}

}  // namespace wizard
