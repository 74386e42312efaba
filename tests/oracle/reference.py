"""The picture written again from its definitions, in another language and
sharing nothing with core/: the sine palette, the escape-time index and the
mapping of client pixels to points. Python floats are IEEE doubles and every
operation below is rounded on its own (no fused multiply-add), so the results
must equal the program's bit for bit. Kept literal on purpose: no shortcuts
for the cardioid, no vectors, no tricks; the only saving is that a point
already coloured (deep views repeat coordinates) is looked up, not iterated
again, which cannot change a pure function's result."""
import math

PALETTE_SIZE = 32768
MAX_PASSES = 255


def build_palette():
    """32768 colours 0x00RRGGBB: three sine waves a quarter and a half turn
    apart, 12850 entries a cycle, with the ten-decimal constants."""
    def channel(wave):
        return int(wave * 127.5 + 128.0) & 0xFF  # int() truncates toward zero

    palette = []
    for i in range(PALETTE_SIZE):
        step = float(i)
        theta = ((step + step) * 3.1415926536) / 12850.0
        red = channel(math.sin(theta + 3.1415926536))
        green = channel(math.sin(theta - 1.5707963268))
        blue = channel(math.sin(theta))
        palette.append((red << 16) + (green << 8) + blue)
    return palette


def escape_index(cx, cy):
    """The palette index of c = cx + i cy: 128 per pass for a point that
    escapes within 254 passes, otherwise the squared magnitude the last test
    saw, times 33424, truncated, modulo 32768."""
    zx = 0.0
    zy = 0.0
    x2 = 0.0
    y2 = 0.0
    n = 0
    while n < MAX_PASSES:
        x2 = zx * zx
        y2 = zy * zy
        zy = zy * (zx + zx) + cy
        zx = (x2 - y2) + cx
        n = n + 1
        if not (y2 + x2 < 4.0):
            break
    if n < MAX_PASSES:
        return 128 * n
    return int((y2 + x2) * 33424.0) % PALETTE_SIZE


def scales(client_width, re_span):
    """Pixels per unit across and down: the span covers the width plus one
    pixel; the vertical scale is 0.82 of the horizontal one."""
    per_unit_x = float(client_width + 1) / re_span
    return per_unit_x, per_unit_x * 0.82


def pixel_to_point(x, y, view, client_width):
    """The point of client pixel (x, y); view is (reLeft, imOffset, reSpan).
    The imaginary part grows downwards."""
    re_left, im_offset, re_span = view
    per_unit_x, per_unit_y = scales(client_width, re_span)
    return float(x) / per_unit_x + re_left, float(y) / per_unit_y - im_offset


def render_rgb(view, client_width, region, palette):
    """The pixels of region (left, top, right, bottom; right and bottom
    exclusive, absolute client coordinates) as packed RGB bytes, top row
    first: what the program's pixel 0xFFRRGGBB holds in its colour bytes."""
    left, top, right, bottom = region
    columns = [pixel_to_point(x, top, view, client_width)[0] for x in range(left, right)]
    rows = [pixel_to_point(left, y, view, client_width)[1] for y in range(top, bottom)]
    known = {}
    out = bytearray()
    for cy in rows:
        for cx in columns:
            colour = known.get((cx, cy))
            if colour is None:
                entry = palette[escape_index(cx, cy)]
                colour = bytes(((entry >> 16) & 0xFF, (entry >> 8) & 0xFF, entry & 0xFF))
                known[(cx, cy)] = colour
            out += colour
    return bytes(out)


def describe_pixel(client_width, view, x, y, palette):
    cx, cy = pixel_to_point(x, y, view, client_width)
    index = escape_index(cx, cy)
    return "pixel (%d, %d): c = (%r, %r), index %d, colour 0x%08X" % (
        x, y, cx, cy, index, 0xFF000000 | palette[index])


if __name__ == "__main__":
    # Where the tests' literal pixels come from:
    #   reference.py CLIENT_WIDTH reLeft imOffset reSpan X Y [X Y ...]
    import sys

    arguments = sys.argv[1:]
    if len(arguments) < 6 or len(arguments) % 2 != 0:
        sys.exit("usage: reference.py CLIENT_WIDTH reLeft imOffset reSpan X Y [X Y ...]")
    width = int(arguments[0])
    view = tuple(float(value) for value in arguments[1:4])
    table = build_palette()
    points = [int(value) for value in arguments[4:]]
    for x, y in zip(points[0::2], points[1::2]):
        print(describe_pixel(width, view, x, y, table))
