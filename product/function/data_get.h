#pragma once
// Function.dll's one export. Callers look it up by name ("DataGet", ordinal 1) at run time.
// It returns a GBK text that lives as long as the library stays loaded.
extern "C" {
using DataGetFunction = const char* (*)();
}
