#include "core/palette.h"

#include <cmath>

std::uint32_t Palette[kPaletteSize];

namespace {

// The ten-decimal literals are part of the colours: full-precision pi would
// change entry 0's red channel from 0x7F to 0x80.
constexpr double kHalfTurn = 3.1415926536;
constexpr double kQuarterTurn = 1.5707963268;
constexpr double kCycleLength = 12850.0;

std::uint32_t ChannelFromWave(double wave) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(wave * 127.5 + 128.0)) & 0xFFu;
}

}  // namespace

void BuildPalette() {
    for (std::int32_t i = 0; i < kPaletteSize; ++i) {
        double step = static_cast<double>(i);
        double theta = ((step + step) * kHalfTurn) / kCycleLength;
        std::uint32_t red = ChannelFromWave(std::sin(theta + kHalfTurn));
        std::uint32_t green = ChannelFromWave(std::sin(theta - kQuarterTurn));
        std::uint32_t blue = ChannelFromWave(std::sin(theta));
        Palette[i] = (red << 16) + (green << 8) + blue;
    }
}
