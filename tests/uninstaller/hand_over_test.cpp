// Only the copy in a hand-over folder removes without asking: by its name, its folder's name
// and the folder's place.
#include <gtest/gtest.h>

#include <string>

#include "product/uninstaller/hand_over.h"

namespace {

TEST(HandOver, OnlyTheCopyInAHandOverFolderCounts) {
    const std::string root = "C:\\windows\\Temp", hex = "0123456789abcdef0123456789abcdef";
    const std::string ours = "\\lumora-uninstall-" + hex, copy = "\\lumora-uninstall.exe";
    const std::pair<std::string, bool> cases[] = {
        {root + ours + copy, true},
        {"c:\\WINDOWS\\temp" + ours + "\\LUMORA-UNINSTALL.EXE", true},  // letter case aside
        {root + ours + "\\卸载.exe", false},
        {root + ours + "0" + copy, false},                                               // 33 digits
        {root + "\\lumora-uninstall-" + hex.substr(1) + "g" + copy, false},              // not a digit
        {root + "\\lumora-uninstall-0123456789ABCDEF0123456789ABCDEF" + copy, false},  // not as made
        {root + "\\lumora-uninstall-1234" + copy, false},                              // a process id
        {root + copy, false},
        {root + "\\deeper" + ours + copy, false},
        {"C:\\users\\root\\Temp" + ours + copy, false},  // a user's own temporary folder
    };
    for (const auto& [path, isCopy] : cases) EXPECT_EQ(uninstall::IsHandOverCopy(path, root), isCopy) << path;
}

}  // namespace
