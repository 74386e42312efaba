// Build tool: renders a view of the set with the program's own renderer into a
// square PNG, the icon of the Linux program's menu entry.
//   render_icon SIZE reLeft imOffset reSpan OUT.png
// The image data goes into uncompressed ("stored") deflate blocks, so no
// compression library is needed; the package compresses the file anyway.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/palette.h"
#include "core/render.h"
#include "core/view.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kStoredBlockMax = 65535;

bool ParseNumber(const char* text, double* out) {
    char* end = nullptr;
    errno = 0;
    *out = std::strtod(text, &end);
    return errno == 0 && end != text && *end == '\0';
}

void AppendBigEndian(std::uint32_t value, Bytes* out) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out->push_back(static_cast<unsigned char>(value >> shift));
    }
}

std::uint32_t ComputeCrc32(const unsigned char* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

std::uint32_t ComputeAdler32(const Bytes& data) {
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (unsigned char byte : data) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

// A chunk: length, type, data, and the CRC of type and data.
void AppendChunk(const char* type, const Bytes& data, Bytes* out) {
    AppendBigEndian(static_cast<std::uint32_t>(data.size()), out);
    std::size_t typeStart = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data.begin(), data.end());
    AppendBigEndian(ComputeCrc32(out->data() + typeStart, out->size() - typeStart), out);
}

// A zlib stream of stored deflate blocks holding data as it is.
Bytes StoreInZlib(const Bytes& data) {
    Bytes out{0x78, 0x01};
    std::size_t start = 0;
    do {
        std::size_t length = data.size() - start;
        if (length > kStoredBlockMax) {
            length = kStoredBlockMax;
        }
        bool last = start + length == data.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<unsigned char>(length));
        out.push_back(static_cast<unsigned char>(length >> 8));
        out.push_back(static_cast<unsigned char>(~length));
        out.push_back(static_cast<unsigned char>(~length >> 8));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(start),
                   data.begin() + static_cast<std::ptrdiff_t>(start + length));
        start += length;
    } while (start < data.size());
    AppendBigEndian(ComputeAdler32(data), &out);
    return out;
}

// An 8-bit RGB PNG of the pixels, every row unfiltered.
Bytes EncodePng(const PixelBuffer& pixels, std::uint32_t width, std::uint32_t height) {
    Bytes rows;
    rows.reserve((width * 3 + 1) * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        rows.push_back(0);
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint32_t pixel = pixels[y * width + x];
            rows.push_back(static_cast<unsigned char>(pixel >> 16));
            rows.push_back(static_cast<unsigned char>(pixel >> 8));
            rows.push_back(static_cast<unsigned char>(pixel));
        }
    }
    Bytes header;
    AppendBigEndian(width, &header);
    AppendBigEndian(height, &header);
    header.insert(header.end(), {8, 2, 0, 0, 0});

    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    AppendChunk("IHDR", header, &png);
    AppendChunk("IDAT", StoreInZlib(rows), &png);
    AppendChunk("IEND", Bytes(), &png);
    return png;
}

}  // namespace

int main(int argc, char** argv) {
    double size = 0;
    if (argc != 6 || !ParseNumber(argv[1], &size) || size < 1 || size > 1024 ||
        size != static_cast<std::int32_t>(size) || !ParseNumber(argv[2], &reLeft) ||
        !ParseNumber(argv[3], &imOffset) || !ParseNumber(argv[4], &reSpan)) {
        std::fprintf(stderr, "usage: render_icon SIZE reLeft imOffset reSpan OUT.png\n");
        return 2;
    }
    auto side = static_cast<std::int32_t>(size);
    BuildPalette();
    UpdateScales(side);
    Rect icon{0, 0, side, side};
    PixelBuffer pixels(static_cast<std::size_t>(PixelCount(icon)));
    RenderRegion(icon, pixels.data());
    Bytes png =
        EncodePng(pixels, static_cast<std::uint32_t>(side), static_cast<std::uint32_t>(side));

    std::FILE* out = std::fopen(argv[5], "wb");
    if (out == nullptr) {
        std::perror(argv[5]);
        return 1;
    }
    bool written = std::fwrite(png.data(), 1, png.size(), out) == png.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "render_icon: could not write %s\n", argv[5]);
        return 1;
    }
    return 0;
}
