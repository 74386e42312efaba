// A mouse message's lParam for the shells whose platform has no mouse
// messages: each half a signed 16-bit value, x low and y high, so positions
// left of or above the client (which arrive while the mouse is captured)
// come out negative again.
#pragma once

#include <cstdint>

#include "core/rect.h"
#include "interaction/interaction.h"

inline MessageLParam PackMouseLParam(Point p) {
    const auto low = static_cast<std::uint16_t>(p.x);
    const auto high = static_cast<std::uint16_t>(p.y);
    return static_cast<MessageLParam>(static_cast<std::uint32_t>(low) |
                                      (static_cast<std::uint32_t>(high) << 16));
}
