"""render_view writes the start view as a binary PPM whose first pixel is the
palette colour of index 256, and rejects malformed arguments."""
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
    for bad in (["800", "600", "-2", "1.3", "3"], ["0", "600", "-2", "1.3", "3", out],
                ["800", "600", "x", "1.3", "3", out]):
        result = subprocess.run([tool] + bad, capture_output=True)
        assert result.returncode == 2, (bad, result.returncode)
print("render_view: ok")
