"""The reference's own check: it must reproduce the documented telling values
before its pictures can judge the program's."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference  # noqa: E402

palette = reference.build_palette()
telling_entries = {0: 0x7F0080, 128: 0x780087, 256: 0x70018F, 3213: 0x0080FF, 6425: 0x80FF7F,
                   9637: 0xFF8000, 12850: 0x7F0080, 16384: 0x0293FD, 32512: 0x97FD68,
                   32767: 0xA7F958}
for index, entry in telling_entries.items():
    assert palette[index] == entry, (index, hex(palette[index]))
assert len(palette) == 32768
assert all(entry >> 24 == 0 for entry in palette)
assert len(set(palette)) == 1016, len(set(palette))

telling_indices = [
    ((0.0, 0.0), 0),       # fixed point: inside, |z|^2 = 0
    ((-1.0, 0.0), 0),      # cycle 0, -1: the last test sees z = 0
    ((0.0, 1.0), 1312),    # cycle with |z|^2 = 2: 66848 mod 32768
    ((-2.0, 0.0), 256),    # |z1|^2 is exactly 4, not below the bound
    ((3.0, 0.0), 256),
    ((1.0, 1.0), 384),     # |z1|^2 = 2, |z2|^2 = 10
    ((0.5, 0.0), 768),     # z = .5, .75, 1.0625, 1.62890625, 3.15...
]
for (cx, cy), index in telling_indices:
    assert reference.escape_index(cx, cy) == index, (cx, cy, reference.escape_index(cx, cy))
for i in range(-300, 301, 7):
    for j in range(-300, 301, 11):
        index = reference.escape_index(i / 100.0, j / 100.0)
        assert 0 <= index < 32768 and (index >= 256 or index % 128 != 0 or index == 0), index

start = (-2.0, 1.3, 3.0)
assert reference.scales(800, 3.0) == (267.0, 267.0 * 0.82)
assert reference.pixel_to_point(0, 0, start, 800) == (-2.0, -1.3)
assert reference.pixel_to_point(267, 0, start, 800) == (-1.0, -1.3)
# Pixel (0, 0) of the start view: c = -2 - 1.3i, |z1|^2 = 5.69, index 256, 0xFF70018F.
assert reference.render_rgb(start, 800, (0, 0, 1, 1), palette) == bytes((0x70, 0x01, 0x8F))
# A rectangle maps absolute client coordinates: its pixels are the whole
# client's.
whole = reference.render_rgb(start, 40, (0, 0, 40, 30), palette)
part = reference.render_rgb(start, 40, (7, 5, 19, 23), palette)
assert part == b"".join(whole[(y * 40 + 7) * 3:(y * 40 + 19) * 3] for y in range(5, 23))
print("reference: ok")
