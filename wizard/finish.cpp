// The finish page: what its ticked boxes ask for, each on its own, in this order.
#include "wizard/handlers.h"
#include "wizard/window_description.h"

namespace wizard {
namespace {

constexpr char kWebsite[] = "www.lumora-app.com";

}  // namespace

void RunFinishActions(WizardContext& c) {
    using host::ControlProperty;
    using host::JoinTexts;
    auto ticked = [&](std::uint32_t box) { return c.controls.ReadBool(box, ControlProperty::Checked); };
    auto destination = [&] { return c.controls.ReadText(ctl::编辑框_路径, ControlProperty::Text); };

    // Quoted: unquoted, a blank in the folder would have the system try "C:\Program.exe" first.
    if (ticked(ctl::选择框_运行)) c.host.RunProgram(JoinTexts("\"", destination(), "\\Lumora.exe\""), false);
    if (ticked(ctl::选择框_查看更新内容)) c.host.ShellOpen(std::nullopt, JoinTexts(destination(), "\\更新日志.log"));
    if (ticked(ctl::选择框_查看解决方案)) c.host.ShellOpen(std::nullopt, JoinTexts(destination(), "\\常见问题解答.txt"));
    if (ticked(ctl::选择框_访问官网)) c.host.OpenWebAddress(kWebsite);
}

}  // namespace wizard
