#pragma once
// Property writes as rows of data, for the moves that change many controls at once.
#include <cstdint>
#include <span>
#include <variant>

#include "wizard/context.h"

namespace wizard {

struct Set {
    std::uint32_t control;
    host::ControlProperty property;
    std::variant<bool, int, const char*> value;
};

inline void Apply(Controls& controls, std::span<const Set> writes) {
    for (const Set& write : writes) {
        host::PropertyValue value;
        if (const bool* b = std::get_if<bool>(&write.value)) value = *b;
        else if (const int* n = std::get_if<int>(&write.value)) value = std::int32_t{*n};
        else value = host::Text(std::get<const char*>(write.value));
        controls.Write(write.control, write.property, value);
    }
}

}  // namespace wizard
