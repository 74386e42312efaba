// Test utility: renders a view with the core into a binary PPM.
//   render_view W H reLeft imOffset reSpan OUT.ppm [--region L T R B] [--kernel NAME]
// Without options it renders the whole W x H client with the literal scalar
// loop: the reference the screenshot tests compare the programs' (vectorised)
// pictures against. --region renders only that rectangle of the client (right
// and bottom exclusive, absolute client coordinates); --kernel (scalar, sse2,
// avx2, avx512) picks the renderer, and exits with status 3 when this
// processor cannot run it, so each kernel can be checked against another
// program's pictures.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/kernel/render_kernel.h"
#include "core/palette.h"
#include "core/render.h"
#include "core/view.h"

namespace {

constexpr int kUsageStatus = 2;
constexpr int kUnsupportedKernelStatus = 3;

bool ParseInt(const char* text, long low, long high, std::int32_t* out) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < low || value > high) {
        return false;
    }
    *out = static_cast<std::int32_t>(value);
    return true;
}

bool ParseSize(const char* text, std::int32_t* out) {
    return ParseInt(text, 1, 32767, out);
}

bool ParseDouble(const char* text, double* out) {
    char* end = nullptr;
    errno = 0;
    *out = std::strtod(text, &end);
    return errno == 0 && end != text && *end == '\0';
}

bool ParseKernel(const char* text, RenderKernel* out) {
    const struct {
        const char* name;
        RenderKernel kernel;
    } kernels[] = {{"scalar", kScalarKernel},
                   {"sse2", kSse2Kernel},
                   {"avx2", kAvx2Kernel},
                   {"avx512", kAvx512Kernel}};
    for (const auto& entry : kernels) {
        if (std::strcmp(text, entry.name) == 0) {
            *out = entry.kernel;
            return true;
        }
    }
    return false;
}

// A non-empty rectangle inside the width x height client.
bool ParseRegion(char** text, std::int32_t width, std::int32_t height, Rect* out) {
    return ParseInt(text[0], 0, width - 1, &out->left) &&
           ParseInt(text[1], 0, height - 1, &out->top) &&
           ParseInt(text[2], out->left + 1, width, &out->right) &&
           ParseInt(text[3], out->top + 1, height, &out->bottom);
}

struct Options {
    Rect region;
    RenderKernel kernel;
};

bool ParseOptions(int argc, char** argv, std::int32_t width, std::int32_t height,
                  Options* options) {
    options->region = Rect{0, 0, width, height};
    options->kernel = kScalarKernel;
    for (int i = 7; i < argc;) {
        if (std::strcmp(argv[i], "--region") == 0 && i + 4 < argc &&
            ParseRegion(argv + i + 1, width, height, &options->region)) {
            i += 5;
        } else if (std::strcmp(argv[i], "--kernel") == 0 && i + 1 < argc &&
                   ParseKernel(argv[i + 1], &options->kernel)) {
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::int32_t width = 0;
    std::int32_t height = 0;
    Options options{};
    if (argc < 7 || !ParseSize(argv[1], &width) || !ParseSize(argv[2], &height) ||
        !ParseDouble(argv[3], &reLeft) || !ParseDouble(argv[4], &imOffset) ||
        !ParseDouble(argv[5], &reSpan) || !ParseOptions(argc, argv, width, height, &options)) {
        std::fprintf(stderr,
                     "usage: render_view W H reLeft imOffset reSpan OUT.ppm "
                     "[--region L T R B] [--kernel scalar|sse2|avx2|avx512]\n");
        return kUsageStatus;
    }
    if (!IsRenderKernelSupported(options.kernel)) {
        std::fprintf(stderr, "render_view: this processor cannot run the %s kernel\n",
                     RenderKernelName(options.kernel));
        return kUnsupportedKernelStatus;
    }
    BuildPalette();
    SelectRenderKernel(options.kernel);
    UpdateScales(width);
    const Rect& region = options.region;
    PixelBuffer pixels(static_cast<std::size_t>(PixelCount(region)));
    RenderRegion(region, pixels.data());

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
    bool written = std::fprintf(out, "P6\n%d %d\n255\n", region.right - region.left,
                                region.bottom - region.top) > 0 &&
                   std::fwrite(rgb.data(), 1, rgb.size(), out) == rgb.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "render_view: could not write %s\n", argv[6]);
        return 1;
    }
    return 0;
}
