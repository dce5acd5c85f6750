#pragma once
// Where the program's texts meet the system. Inside, every text is GBK; the system is spoken
// to in UTF-16 only, converted with code page 936 named, whatever the system's own ANSI code
// page is: the same names and texts on every Windows.
#include <cstddef>
#include <string>

#include "host/system/text.h"

namespace host {

inline constexpr unsigned kTextCodePage = 936;

// The text as UTF-16; the empty text when it cannot be converted.
std::wstring WideFromText(const Text& text);
// A UTF-16 text from the system as GBK; a character GBK cannot hold becomes '?', as the
// system's own conversion gives it to a program on a Chinese Windows.
Text TextFromWide(const wchar_t* wide, std::size_t length);
inline Text TextFromWide(const std::wstring& wide) { return TextFromWide(wide.data(), wide.size()); }
// The text in a fixed field that the system fills: up to its first NUL, never past the
// field's `capacity` characters.
Text TextFromWideField(const wchar_t* field, std::size_t capacity);

}  // namespace host
