"""Writes docs/screenshot.png: the real program under Wine, after a zoom and
with a selection outlined, checked against the reference before it is saved."""
import os
import struct
import sys
import zlib

import harness


def write_png(path, picture):
    rows = b"".join(b"\x00" + bytes(picture.rgb[y * picture.width * 3:(y + 1) * picture.width * 3])
                    for y in range(picture.height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(harness.HERE, "..", "..", "docs",
                                                             "screenshot.png")
    display = harness.Display()
    viewer = None
    try:
        viewer = harness.Viewer(display)
        viewer.place(0, 0, 800, 600)
        viewer.wait_for(harness.reference(800, 600))
        # Into the valley between the main cardioid and the large bulb.
        viewer.drag((290, 225), (390, 275))
        viewer.move(300, 240)
        viewer.click(3)
        view = harness.zoomed_view(harness.START_VIEW, (290, 225, 371, 286), 800)
        zoomed = viewer.wait_for(harness.reference(800, 600, view))
        viewer.drag((420, 250), (620, 350))
        shot = viewer.wait_for(zoomed.with_outline(420, 250, 582, 372))
        write_png(out, shot)
        print("wrote", out)
    finally:
        if viewer:
            viewer.kill()
        display.close()


if __name__ == "__main__":
    main()
