// The finish page: what its ticked boxes ask for, each on its own, in this order.
#include "wizard/handlers.h"
#include "wizard/lumora_window.h"

namespace wizard {
namespace {

// A full address: a bare host name is first looked for as a file in the current folder, where
// a program named "www.lumora-app.com" (".com" runs) could be waiting.
constexpr char kWebsite[] = "http://www.lumora-app.com/";

}  // namespace

void RunFinishActions(WizardContext& c) {
    using host::ControlProperty;
    using host::JoinTexts;
    using host::Text;
    auto ticked = [&](std::uint32_t box) { return c.controls.ReadBool(box, ControlProperty::Checked); };
    auto destination = [&] { return c.controls.ReadText(ctl::编辑框_路径, ControlProperty::Text); };

    // Everything is started as the signed-in user, through the desktop's shell, rather than
    // with the setup's own rights; without such a shell, by the setup itself.
    // A file that is not in the destination (a text left out by its option) is not opened:
    // the desktop's shell would show its own "cannot find" box after the setup has gone.
    if (ticked(ctl::选择框_运行) && c.host.FileExists(JoinTexts(destination(), "\\Lumora.exe"))) {
        const Text folder = destination();
        const Text program = JoinTexts(folder, "\\Lumora.exe");
        // In its own folder, not the one the setup was started from. Quoted: unquoted, a blank
        // in the folder would have the system try "C:\Program.exe" first.
        if (!c.host.OpenAsDesktopUser(program, folder)) {
            c.host.RunProgram(JoinTexts("\"", program, "\""), false, std::nullopt, folder);
        }
    }
    auto openText = [&](const char* piece) {
        const Text folder = destination();
        const Text file = JoinTexts(folder, piece);
        if (!c.host.FileExists(file)) return;
        if (!c.host.OpenAsDesktopUser(file, folder)) c.host.ShellOpen(std::nullopt, file);
    };
    if (ticked(ctl::选择框_查看更新内容)) openText("\\更新日志.log");
    if (ticked(ctl::选择框_查看解决方案)) openText("\\常见问题解答.txt");
    if (ticked(ctl::选择框_访问官网) && !c.host.OpenAsDesktopUser(kWebsite, Text())) c.host.OpenWebAddress(kWebsite);
}

}  // namespace wizard
