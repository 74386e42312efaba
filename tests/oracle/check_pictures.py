"""Renders small views with render_view, once with every kernel this processor
runs, and compares each picture byte for byte with the independent reference.

    check_pictures.py RENDER_VIEW GROUP

GROUP is "benchmark" (the five benchmark views at a real client width, and a
rectangle at an odd offset) or "precision" (views past the precision of
doubles, where neighbouring pixels share coordinates)."""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference  # noqa: E402

KERNELS = ("scalar", "sse2", "avx2", "avx512")
UNSUPPORTED_KERNEL = 3

# name, client width and height, the view as the program would parse it
# (reLeft, imOffset, reSpan), and the rectangle rendered (left, top, right,
# bottom in client pixels, right and bottom exclusive).
GROUPS = {
    "benchmark": [
        # Bands of rows of an 800 x 600 client, across the real axis where the
        # view reaches it.
        ("start", 800, 600, ("-2", "1.3", "3"), (0, 279, 800, 291)),
        ("start whole", 161, 121, ("-2", "1.3", "3"), (0, 0, 161, 121)),
        ("interior", 800, 600, ("-0.8", "0.2", "0.4"), (0, 301, 800, 313)),
        ("cardioid", 800, 600, ("-0.6", "0.2", "0.6"), (0, 301, 800, 313)),
        ("deep", 800, 600, ("-0.74364388703715", "-0.13182590420533", "1e-13"),
         (0, 297, 800, 303)),
        # An odd offset: the renderer maps absolute client coordinates. The
        # rectangle holds the pixels a rounding slip in the iteration
        # (x2 - (y2 - cx) for (x2 - y2) + cx) changes, the first at (798, 69).
        ("boundary", 800, 600, ("-0.753", "-0.098", "0.006"), (537, 67, 800, 555)),
        ("boundary band", 800, 600, ("-0.753", "-0.098", "0.006"), (0, 584, 800, 591)),
    ],
    "precision": [
        # Runs of equal coordinates of every length, down and across.
        ("past precision", 300, 200, ("0.54908291601127923", "-0.59999999999999876", "3e-15"),
         (0, 0, 300, 200)),
        ("past precision, odd rectangle", 300, 200,
         ("0.54908291601127923", "-0.59999999999999876", "3e-15"), (37, 23, 263, 181)),
        # Near c = -i: columns all distinct, rows repeating in runs that halve
        # in length where the imaginary part crosses -1.
        ("rows repeat", 160, 120, ("-2.5e-15", "1.0000000000000018", "5e-15"), (0, 0, 160, 120)),
        # On the real axis near -1.5437: columns repeat in runs of about three,
        # rows distinct and crossing zero.
        ("columns repeat", 160, 120, ("-1.543689012692082", "5e-15", "1.2e-14"),
         (0, 0, 160, 120)),
        ("columns repeat, odd rectangle", 160, 120, ("-1.543689012692082", "5e-15", "1.2e-14"),
         (1, 7, 159, 119)),
    ],
}


def read_ppm(path):
    """render_view's header is exactly "P6\nW H\n255\n"; the pixels follow."""
    data = open(path, "rb").read()
    header_end = data.index(b"\n", data.index(b"\n", data.index(b"\n") + 1) + 1) + 1
    magic, width, height, depth = data[:header_end].split()
    assert magic == b"P6" and depth == b"255", data[:20]
    return int(width), int(height), data[header_end:]


def describe_differences(expected, actual, region, limit=10):
    left, top, right, _ = region
    width = right - left
    lines = []
    count = 0
    for i in range(0, len(expected), 3):
        if expected[i:i + 3] != actual[i:i + 3]:
            count += 1
            if len(lines) < limit:
                x = left + (i // 3) % width
                y = top + (i // 3) // width
                lines.append("    pixel (%d, %d): program #%s, reference #%s"
                             % (x, y, actual[i:i + 3].hex(), expected[i:i + 3].hex()))
    return count, lines


def main():
    render_view, group = sys.argv[1], sys.argv[2]
    started = time.monotonic()
    palette = reference.build_palette()
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "view.ppm")
        for name, width, height, view, region in GROUPS[group]:
            expected = reference.render_rgb(tuple(float(v) for v in view), width, region, palette)
            checked = []
            for kernel in KERNELS:
                command = [render_view, str(width), str(height), *view, out,
                           "--region", *map(str, region), "--kernel", kernel]
                result = subprocess.run(command, capture_output=True, text=True)
                if result.returncode == UNSUPPORTED_KERNEL:
                    continue
                if result.returncode != 0:
                    print("FAIL %s, %s kernel: render_view exited with %d: %s"
                          % (name, kernel, result.returncode, result.stderr.strip()))
                    failures += 1
                    continue
                ppm_width, ppm_height, actual = read_ppm(out)
                size = (region[2] - region[0], region[3] - region[1])
                if (ppm_width, ppm_height) != size or len(actual) != len(expected):
                    print("FAIL %s, %s kernel: picture %dx%d, expected %dx%d"
                          % (name, kernel, ppm_width, ppm_height, *size))
                    failures += 1
                    continue
                count, lines = describe_differences(expected, actual, region)
                if count:
                    print("FAIL %s (client %dx%d at %s), %s kernel: %d pixels differ"
                          % (name, width, height, ", ".join(view), kernel, count))
                    print("\n".join(lines))
                    failures += 1
                else:
                    checked.append(kernel)
            print("%s: %d pixels equal with kernels %s"
                  % (name, len(expected) // 3, ", ".join(checked) or "none"))
    print("%s views checked in %.1f s" % (group, time.monotonic() - started))
    if failures:
        sys.exit("%d pictures differ from the reference" % failures)


main()
