#include "host/window/control_surface.h"

namespace host {

std::int32_t AsInt(const PropertyValue& value) {
    if (const auto* i = std::get_if<std::int32_t>(&value)) return *i;
    if (const auto* b = std::get_if<bool>(&value)) return *b ? 1 : 0;
    return 0;
}

bool AsBool(const PropertyValue& value) {
    if (const auto* b = std::get_if<bool>(&value)) return *b;
    if (const auto* i = std::get_if<std::int32_t>(&value)) return *i != 0;
    return false;
}

Text AsText(const PropertyValue& value) {
    if (const auto* t = std::get_if<Text>(&value)) return *t;
    return {};
}

}  // namespace host
