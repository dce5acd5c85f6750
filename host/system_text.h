#pragma once
// Where the wizard's texts meet the system: GBK inside, UTF-16 for the system's wide calls,
// converted with code page 936 named, whatever the system's own code page is.
#include <string>

#include "host/text.h"

namespace host {

inline constexpr unsigned kTextCodePage = 936;

// The text as UTF-16; the empty text when it cannot be converted.
std::wstring WideFromText(const Text& text);

}  // namespace host
