// Start-up pieces that the entry point uses.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "host/program_folder.h"

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

}  // namespace
