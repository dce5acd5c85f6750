#pragma once
// Where the program's texts meet the system. Inside, every text is GB 18030 (GBK's bytes for
// GBK's characters, GB 18030's codes, mostly four bytes, for every other); the system is spoken to in UTF-16 only,
// converted by GB 18030's rules whatever the system's own ANSI code page is: the same names
// and texts on every Windows. Code page 936 converts the two-byte part, in one call for a
// text that has nothing else; the rest comes from tables (gb18030_tables.h), as not every
// Windows, nor Wine, has code page 54936.
#include <cstddef>
#include <string>

#include "host/system/text.h"

namespace host {

inline constexpr unsigned kTextCodePage = 936;

// The text as UTF-16; a byte that starts no character becomes U+FFFD.
std::wstring WideFromText(const Text& text);
// A UTF-16 text from the system as GB 18030, whole whatever its characters; only a lone half
// of a surrogate pair becomes '?'.
Text TextFromWide(const wchar_t* wide, std::size_t length);
inline Text TextFromWide(const std::wstring& wide) { return TextFromWide(wide.data(), wide.size()); }
// The text in a fixed field that the system fills: up to its first NUL, never past the
// field's `capacity` characters.
Text TextFromWideField(const wchar_t* field, std::size_t capacity);

}  // namespace host
