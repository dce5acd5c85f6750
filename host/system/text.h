#pragma once
// Texts as the wizard handles them: GB 18030 bytes in a std::string. Lengths and positions
// count bytes; a byte from 0x81 to 0xFE starts a two-byte character (code page 936's lead
// bytes: 0x80 and 0xFF stand alone), or a four-byte one when a digit follows it (lead, digit,
// lead, digit: no byte of it is a backslash). An absent text and the empty text are the same
// value.
//
// Nothing here touches the operating system, so it builds and is tested natively as well.
#include <cstddef>
#include <string>
#include <string_view>

namespace host {

using Text = std::string;

// True when the byte starts a two- or four-byte character. The one rule for lead bytes in the
// program.
constexpr bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The byte length of the character at `pos` (1, 2 or 4), never past the text's end.
std::size_t CharacterLength(std::string_view text, std::size_t pos);

// The text in a fixed field that the system fills: up to its first NUL, never past the
// field's `capacity` bytes.
Text TextFromField(const char* field, std::size_t capacity);

// The first / last min(n, length) bytes; n of 0 or less gives the empty text. A two-byte
// character can be cut in half.
Text LeftBytes(std::string_view text, int n);
Text RightBytes(std::string_view text, int n);

// Any negative count replaces every match.
inline constexpr int kReplaceAll = -1;

// Replaces up to `count` matches of `find`, looking from the 1-based byte position `start`
// on (below 1 counts as 1). Matches start only on character boundaries. Without matchCase
// ASCII letters match either case; the bytes of two-byte characters always match exactly.
Text ReplaceText(std::string_view text, std::string_view find, std::string_view replacement = {},
                 int start = 1, int count = kReplaceAll, bool matchCase = false);

// A double as the C format "%.13g" writes it; an integer in plain decimal.
Text NumberToText(double value);
Text NumberToText(int value);

// The concatenation of the parts in order; always a new text.
template <typename... Parts>
Text JoinTexts(const Parts&... parts) {
    Text joined;
    joined.reserve((std::string_view(parts).size() + ... + 0));
    (joined.append(std::string_view(parts)), ...);
    return joined;
}

// Byte position of the last backslash that is a character of its own (not the second byte of
// a two-byte character), or npos.
std::size_t FindLastSeparator(std::string_view path);

// Equality ignoring the case of ASCII letters that stand as characters of their own.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// A registry path split at its last backslash: the subkey before it, the value name after it.
// Without a backslash the subkey is empty (the root key itself) and the value name is the path.
struct RegistryPath {
    Text subkey;
    Text valueName;
};
RegistryPath SplitRegistryPath(std::string_view path);

// The file name a shell link is saved under: the path with ".lnk" appended when the part
// after its last backslash holds no dot.
Text ShortcutFileName(std::string_view linkPath);

}  // namespace host
