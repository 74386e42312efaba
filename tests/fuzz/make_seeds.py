"""Writes the fuzzer's seed corpus: ordinary sessions in the fuzzer's event
encoding, from which it mutates its way to the strange ones."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MOVE, LEFT_DOWN, LEFT_UP, RIGHT_DOWN, CHAR, PAINT, RESIZE, PAINT_PENDING, ERROR_PAINT = range(9)


def coordinate(value):
    return struct.pack("<H", value + 8)  # the fuzzer maps w to w % (extent + 17) - 8


def point(x, y):
    return coordinate(x) + coordinate(y)


def move(x, y, held=True):
    return bytes([MOVE]) + point(x, y) + bytes([1 if held else 0])


def press(kind, x, y):
    return bytes([kind]) + point(x, y)


def char(code):
    return bytes([CHAR, {27: 0, 66: 1, 98: 2}[code]])


def drag(x0, y0, x1, y1):
    return press(LEFT_DOWN, x0, y0) + move((x0 + x1) // 2, (y0 + y1) // 2) + move(x1, y1) + \
        press(LEFT_UP, x1, y1)


def resize(width, height):
    return bytes([RESIZE, 2]) + struct.pack("<HH", width, height)


SEEDS = {
    "select": drag(20, 20, 120, 80),
    "select-escape": drag(20, 20, 120, 80) + char(27),
    "reverse-drag": drag(120, 80, 20, 20),
    "move": drag(20, 20, 120, 80) + press(LEFT_DOWN, 40, 40) + move(60, 70) + move(10, 5) +
            press(LEFT_UP, 10, 5),
    "zoom-back": drag(20, 20, 120, 80) + press(RIGHT_DOWN, 50, 50) + bytes([PAINT_PENDING]) +
                 char(98) + bytes([PAINT_PENDING]),
    "zoom-then-drag-before-paint": drag(20, 20, 120, 80) + press(RIGHT_DOWN, 50, 50) +
                                   press(LEFT_DOWN, 30, 10) + move(150, 100) +
                                   bytes([PAINT_PENDING]) + move(160, 110),
    "resize-while-selected": drag(20, 20, 120, 80) + resize(180, 90) + bytes([PAINT_PENDING]),
    "paint-inside": drag(20, 20, 120, 80) + bytes([PAINT]) + point(40, 40) + point(60, 60),
    "error-box-input": drag(20, 20, 120, 80) + bytes([ERROR_PAINT]) + point(0, 0) +
                       point(200, 150) + bytes([2]) + char(27) + drag(10, 10, 90, 90),
    "wide-client": resize(2100, 20) + bytes([PAINT_PENDING]) + drag(5, 2, 2090, 18),
    "tiny-selections": drag(0, 0, 8, 8) + press(RIGHT_DOWN, 0, 0) + drag(0, 0, 8, 8) +
                       press(RIGHT_DOWN, 0, 0) + bytes([PAINT_PENDING]),
    "back-while-dragging": press(LEFT_DOWN, 10, 10) + move(90, 90) + char(66),
}

if __name__ == "__main__":
    out = os.path.join(HERE, "corpus")
    os.makedirs(out, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
