// The conversion against Python's gb18030 codec (gb18030_reference.py): each case both ways, then all in one.
#include <gtest/gtest.h>
#include "host/system/system_text.h"

namespace {
const struct { char32_t c; const char* bytes; } kCases[] = {
#include "gb18030_reference.inc"
};

TEST(Gb18030, AgreesWithTheReferenceBothWaysAndReplacesWhatNamesNoCharacter) {
    std::wstring allWide;
    host::Text allBytes;
    for (const auto& [c, bytes] : kCases) {
        const wchar_t pair[] = {static_cast<wchar_t>(0xD7C0 + (c >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
        const std::wstring wide = c < 0x10000 ? std::wstring(1, static_cast<wchar_t>(c)) : std::wstring(pair, 2);
        EXPECT_EQ(host::TextFromWide(wide), bytes) << std::hex << static_cast<unsigned>(c);
        EXPECT_EQ(host::WideFromText(bytes), wide) << std::hex << static_cast<unsigned>(c);
        allWide += wide + L"乗";
        allBytes += bytes + host::Text("乗");
    }
    EXPECT_EQ(host::TextFromWide(allWide), allBytes);
    EXPECT_EQ(host::WideFromText(allBytes), allWide);
    EXPECT_EQ(host::TextFromWide(std::wstring(L"a\xD800" L"b\xDC00")), "a?b?");
    // Bytes that start no character: a four-byte start cut short, codes after U+FFFF and U+10FFFF.
    EXPECT_EQ(host::WideFromText("a\x80" "b\xFF" "\x81\x30" "x\xD6\xD0\x84\x31\xA5\x30\xE3\x32\x9A\x36\x81"),
              L"a\xFFFD" L"b\xFFFD\xFFFD" L"0x中\xFFFD\xFFFD\xFFFD");
}

}  // namespace
