// The install: the ready step's Next turns the window into the installing step.
#include "wizard/handlers.h"
#include "wizard/window_description.h"

namespace wizard {

void StartInstall(WizardContext& c) {
    using host::ControlProperty;
    c.controls.Write(ctl::选择夹1, ControlProperty::CurrentPage, 3);
    c.controls.Write(ctl::标签_主标题, ControlProperty::Caption, host::Text("正在安装"));
    c.controls.Write(ctl::标签_提示, ControlProperty::Caption, host::Text("正在你的计算机中安装 Lumora，请稍等..."));
    for (std::uint32_t button : {ctl::按钮_上一步, ctl::按钮_下一步, ctl::按钮_取消}) {
        c.controls.Write(button, ControlProperty::Visible, false);
    }
}

}  // namespace wizard
