#pragma once
// The wizard window, as constant data: the window, its 38 controls, the four pages.
#include <cstdint>

#include "host/window/window_description.h"

namespace wizard {

constexpr std::uint32_t kWizardWindowId = 0x52010001u;
constexpr std::uint32_t kWizardWindowControlId = 0x06010000u;

// Control ids, by the controls' names.
namespace ctl {
constexpr std::uint32_t 选择框_查看更新内容 = 0x16010075u;
constexpr std::uint32_t 选择框_查看解决方案 = 0x16010076u;
constexpr std::uint32_t 选择框_访问官网 = 0x16010077u;
constexpr std::uint32_t 选择框_释放文本 = 0x16010072u;
constexpr std::uint32_t 选择框_创建快捷方式 = 0x16010073u;
constexpr std::uint32_t 选择框_安装主程序 = 0x16010074u;
constexpr std::uint32_t 外形框_顶端 = 0x1601002cu;
constexpr std::uint32_t 按钮_上一步 = 0x16010051u;
constexpr std::uint32_t 外形框1 = 0x16010003u;
constexpr std::uint32_t 进度条1 = 0x16010049u;
constexpr std::uint32_t 标签_安装情况 = 0x16010048u;
constexpr std::uint32_t 标签_详情 = 0x16010047u;
constexpr std::uint32_t 编辑框_安装详情 = 0x16010045u;
constexpr std::uint32_t 标签10 = 0x16010046u;
constexpr std::uint32_t 标签_所需空间 = 0x16010044u;
constexpr std::uint32_t 按钮_目录浏览 = 0x16010043u;
constexpr std::uint32_t 编辑框_路径 = 0x16010042u;
constexpr std::uint32_t 标签6 = 0x16010041u;
constexpr std::uint32_t 标签5 = 0x16010040u;
constexpr std::uint32_t 图片框2 = 0x1601003fu;
constexpr std::uint32_t 选择框_运行 = 0x1601003eu;
constexpr std::uint32_t 标签8 = 0x1601003au;
constexpr std::uint32_t 图片框3 = 0x1601002du;
constexpr std::uint32_t 标签_提示 = 0x1601002eu;
constexpr std::uint32_t 标签_主标题 = 0x1601002fu;
constexpr std::uint32_t 图片框_主页 = 0x16010026u;
constexpr std::uint32_t 图片框1 = 0x16010027u;
constexpr std::uint32_t 标签4 = 0x16010028u;
constexpr std::uint32_t 标签3 = 0x16010029u;
constexpr std::uint32_t 标签_版本 = 0x1601002au;
constexpr std::uint32_t 标签1 = 0x1601002bu;
constexpr std::uint32_t 单选框_不接受 = 0x16010020u;
constexpr std::uint32_t 标签7 = 0x1601001eu;
constexpr std::uint32_t 编辑框_许可协议 = 0x16010017u;
constexpr std::uint32_t 按钮_取消 = 0x1601000bu;
constexpr std::uint32_t 按钮_下一步 = 0x1601000au;
constexpr std::uint32_t 选择夹1 = 0x16010011u;
constexpr std::uint32_t 单选框_接受 = 0x1601001fu;
}  // namespace ctl

const host::WindowDescription& WizardWindowDescription();

// The carried images, as complete files.
extern const host::ImageData kSidePicture;  // JPEG 170 x 290
extern const host::ImageData kLogo;         // JPEG 50 x 49
extern const host::ImageData kFolderIcon;   // icon, one 32 x 32 image

}  // namespace wizard
