"""render_view writes the start view as a binary PPM whose first pixel is the
palette colour of index 256, renders a rectangle of the client on request,
and rejects malformed arguments."""
import os
import subprocess
import sys
import tempfile

tool = sys.argv[1]
with tempfile.TemporaryDirectory() as work:
    out = os.path.join(work, "start.ppm")
    subprocess.run([tool, "800", "600", "-2", "1.3", "3", out], check=True)
    data = open(out, "rb").read()
    header = b"P6\n800 600\n255\n"
    assert data.startswith(header), data[:20]
    assert len(data) == len(header) + 800 * 600 * 3, len(data)
    assert data[len(header):len(header) + 3] == bytes([0x70, 0x01, 0x8F]), data[len(header):len(header) + 3].hex()
    whole = data[len(header):]

    # A 3 x 2 rectangle at (5, 7) with the SSE2 kernel (every x86-64 has it):
    # the same pixels as the whole client's.
    part_file = os.path.join(work, "part.ppm")
    subprocess.run([tool, "800", "600", "-2", "1.3", "3", part_file, "--region", "5", "7", "8", "9",
                    "--kernel", "sse2"], check=True)
    part = open(part_file, "rb").read()
    assert part.startswith(b"P6\n3 2\n255\n"), part[:20]
    rows = [whole[(y * 800 + 5) * 3:(y * 800 + 8) * 3] for y in (7, 8)]
    assert part[len(b"P6\n3 2\n255\n"):] == b"".join(rows)

    for bad in (["800", "600", "-2", "1.3", "3"], ["0", "600", "-2", "1.3", "3", out],
                ["800", "600", "x", "1.3", "3", out],
                ["800", "600", "-2", "1.3", "3", out, "--region", "0", "0", "801", "600"],
                ["800", "600", "-2", "1.3", "3", out, "--region", "5", "5", "5", "9"],
                ["800", "600", "-2", "1.3", "3", out, "--region", "0", "0", "8"],
                ["800", "600", "-2", "1.3", "3", out, "--kernel", "neon"],
                ["800", "600", "-2", "1.3", "3", out, "--kernel"],
                ["800", "600", "-2", "1.3", "3", out, "extra"]):
        result = subprocess.run([tool] + bad, capture_output=True)
        assert result.returncode == 2, (bad, result.returncode)
print("render_view: ok")
