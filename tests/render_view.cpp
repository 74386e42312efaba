// Test utility: renders the whole client of a view with the core's literal
// scalar loop into a binary PPM, the reference the screenshot tests compare
// the programs' (vectorised) pictures against.
//   render_view W H reLeft imOffset reSpan OUT.ppm

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/kernel/render_kernel.h"
#include "core/palette.h"
#include "core/render.h"
#include "core/view.h"

namespace {

bool ParseSize(const char* text, std::int32_t* out) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 1 || value > 32767) {
        return false;
    }
    *out = static_cast<std::int32_t>(value);
    return true;
}

bool ParseDouble(const char* text, double* out) {
    char* end = nullptr;
    errno = 0;
    *out = std::strtod(text, &end);
    return errno == 0 && end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (argc != 7 || !ParseSize(argv[1], &width) || !ParseSize(argv[2], &height) ||
        !ParseDouble(argv[3], &reLeft) || !ParseDouble(argv[4], &imOffset) ||
        !ParseDouble(argv[5], &reSpan)) {
        std::fprintf(stderr, "usage: render_view W H reLeft imOffset reSpan OUT.ppm\n");
        return 2;
    }
    BuildPalette();
    // The literal loop: the program's vector kernels are checked against it.
    SelectRenderKernel(kScalarKernel);
    UpdateScales(width);
    Rect client{0, 0, width, height};
    PixelBuffer pixels(static_cast<std::size_t>(PixelCount(client)));
    RenderRegion(client, pixels.data());

    std::vector<unsigned char> rgb;
    rgb.reserve(pixels.size() * 3);
    for (std::uint32_t pixel : pixels) {
        rgb.push_back(static_cast<unsigned char>(pixel >> 16));
        rgb.push_back(static_cast<unsigned char>(pixel >> 8));
        rgb.push_back(static_cast<unsigned char>(pixel));
    }
    std::FILE* out = std::fopen(argv[6], "wb");
    if (out == nullptr) {
        std::perror(argv[6]);
        return 1;
    }
    bool written = std::fprintf(out, "P6\n%d %d\n255\n", width, height) > 0 &&
                   std::fwrite(rgb.data(), 1, rgb.size(), out) == rgb.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "render_view: could not write %s\n", argv[6]);
        return 1;
    }
    return 0;
}
