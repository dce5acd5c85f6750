// Writing onto a full disk (drive Q:, a 1 MB tmpfs that the test's fixture lends the prefix).
// There a large write can succeed with fewer bytes than asked; the write must still fail and
// what did fit must stay in the file.
#include <windows.h>

#include <string>

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

TEST_F(DiskFull, ABlockThatDoesNotFitFailsAndKeepsWhatWasWritten) {
    const std::string big = Pattern(3 * 1024 * 1024, 'a');
    const test::Block block(big);
    EXPECT_FALSE(host_.WriteBlocksToFile("Q:\\lumora\\big.bin", {block.get()}));
    std::string kept;
    ASSERT_TRUE(test::ReadFileBytes("Q:\\lumora\\big.bin", kept));
    EXPECT_LT(kept.size(), big.size());
    EXPECT_EQ(kept, big.substr(0, kept.size()));

    // With the space given back, the same folder takes a small file: it was the space.
    ASSERT_TRUE(host_.RemoveFile("Q:\\lumora\\big.bin"));
    const test::Block small("fits");
    EXPECT_TRUE(host_.WriteBlocksToFile("Q:\\lumora\\small.bin", {small.get()}));
}

TEST_F(DiskFull, ALaterBlockThatDoesNotFitKeepsTheEarlierOnes) {
    const std::string first = Pattern(400 * 1024, 'x');
    const test::Block a(first);
    const test::Block b(Pattern(2 * 1024 * 1024, 'y'));
    EXPECT_FALSE(host_.WriteBlocksToFile("Q:\\lumora\\two.bin", {a.get(), b.get()}));
    std::string kept;
    ASSERT_TRUE(test::ReadFileBytes("Q:\\lumora\\two.bin", kept));
    ASSERT_GE(kept.size(), first.size());
    EXPECT_EQ(kept.substr(0, first.size()), first);
}

}  // namespace
