#include "ui/window_layer.h"

namespace zorvane::ui {

Text text_property(const WindowLayer& layer, const ControlRef& control, Property property) {
    const PropertyValue value = layer.property_value(control, property);
    if (const Text* text = std::get_if<Text>(&value)) {
        return *text;
    }
    return {};
}

std::int64_t number_property(const WindowLayer& layer, const ControlRef& control,
                             Property property) {
    const PropertyValue value = layer.property_value(control, property);
    if (const std::int64_t* number = std::get_if<std::int64_t>(&value)) {
        return *number;
    }
    return 0;
}

} // namespace zorvane::ui
