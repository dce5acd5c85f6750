#include <gtest/gtest.h>
#include <windows.h>
TEST(Smoke, Acp) { EXPECT_EQ(GetACP(), 936u); EXPECT_STREQ("中", "\xD6\xD0"); }
