// Writing onto a full disk (drive Q:, a 1 MB tmpfs that the test's fixture lends the prefix).
// There a large write can succeed with fewer bytes than asked; the write must still fail, and
// the file it was to replace stays whole, with no new file left beside it.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/system/win32_host.h"
#include "test_support.h"

namespace {

class DiskFull : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetDriveTypeA("Q:\\") == DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "drive Q: was not lent (no tmpfs)";
        test::RemoveTree("Q:\\lumora");
        ASSERT_TRUE(host_.MakeDirectory("Q:\\lumora"));
    }
    void TearDown() override { test::RemoveTree("Q:\\lumora"); }

    static std::string Pattern(std::size_t size, char seed) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i * 7 % 251);
        return bytes;
    }
    host::Win32Host win32_;
    host::HostServices& host_ = win32_;
};

// Nothing but the folder's own files: no new file left by a write that did not fit.
std::vector<std::wstring> Names() { return test::FolderNames(L"Q:\\lumora"); }

TEST_F(DiskFull, ABlockThatDoesNotFitFailsAndTheEarlierFileStaysWhole) {
    const std::string earlier = Pattern(200 * 1024, 'e');
    const test::Block first(earlier);
    ASSERT_TRUE(host_.WriteBlocksToFile("Q:\\lumora\\big.bin", {first.get()}));
    const std::string big = Pattern(3 * 1024 * 1024, 'a');
    const test::Block block(big);
    EXPECT_FALSE(host_.WriteBlocksToFile("Q:\\lumora\\big.bin", {block.get()}));
    std::string kept;
    ASSERT_TRUE(test::ReadFileBytes("Q:\\lumora\\big.bin", kept));
    EXPECT_EQ(kept, earlier);
    EXPECT_FALSE(host_.WriteBlocksToFile("Q:\\lumora\\new.bin", {block.get()}));
    EXPECT_FALSE(test::IsFile("Q:\\lumora\\new.bin")) << "no partial file where there was none";
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"big.bin"});

    // The space was given back: the same folder takes a small file.
    ASSERT_TRUE(host_.RemoveFile("Q:\\lumora\\big.bin"));
    const test::Block small("fits");
    EXPECT_TRUE(host_.WriteBlocksToFile("Q:\\lumora\\small.bin", {small.get()}));
}

TEST_F(DiskFull, ALaterBlockThatDoesNotFitLeavesNoFile) {
    const test::Block a(Pattern(400 * 1024, 'x'));
    const test::Block b(Pattern(2 * 1024 * 1024, 'y'));
    EXPECT_FALSE(host_.WriteBlocksToFile("Q:\\lumora\\two.bin", {a.get(), b.get()}));
    EXPECT_TRUE(Names().empty());
}

}  // namespace
