"""A long session in one process: hundreds of zoom-and-back cycles and resizes
leave the picture exact and the process's memory flat."""
import os
import unittest

from harness import START_VIEW, ViewerTestCase, reference, zoomed_view

WIDTH, HEIGHT = 320, 240
CYCLES = 300
RESIZES = 100
# Allowed growth of resident memory between the first and the last hundred
# cycles; a leak of one bitmap or buffer per paint would far exceed it.
MAX_GROWTH_KIB = 1024


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def program_pid(viewer):
    """The Linux process that runs the Windows program (wine execs into it)."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                cmdline = f.read()
            with open(f"/proc/{entry}/environ", "rb") as f:
                environ = f.read()
        except OSError:
            continue
        if b"mandelbrot.exe" in cmdline and f"DISPLAY={viewer.display.name}\0".encode() in environ:
            return int(entry)
    raise RuntimeError("program process not found")


class LongSessionTest(ViewerTestCase):
    def cycle(self, viewer, window):
        # Select, zoom into the selection, step back: one xdotool call.
        viewer.xdotool("mousemove", "--window", window, 40, 30, "mousedown", 1,
                       "mousemove", "--window", window, 100, 70,
                       "mousemove", "--window", window, 140, 90, "mouseup", 1,
                       "mousemove", "--window", window, 60, 50, "click", 3,
                       "key", "--window", window, "b")

    def test_hundreds_of_cycles_and_resizes(self):
        viewer = self.start_viewer(WIDTH, HEIGHT)
        start = viewer.wait_for(reference(WIDTH, HEIGHT))
        pid = program_pid(viewer)
        samples = {}
        for done in range(1, CYCLES + 1):
            self.cycle(viewer, viewer.window)
            if done % 100 == 0:
                viewer.wait_for(start)
                samples[done] = resident_kib(pid)
        for i in range(RESIZES):
            size = (WIDTH + 7 * (i % 5), HEIGHT + 5 * (i % 3))
            viewer.xdotool("windowsize", viewer.window, *size)
        viewer.xdotool("windowsize", viewer.window, WIDTH, HEIGHT)
        viewer.wait_for(start)
        samples["resized"] = resident_kib(pid)

        # Still the same program: one more zoom lands exactly.
        viewer.drag((40, 30), (140, 90))
        viewer.move(60, 50)
        viewer.click(3)
        # 100 x 60 in 320 x 240: area 4500, height 67, width 89.
        view = zoomed_view(START_VIEW, (40, 30, 129, 97), WIDTH)
        viewer.wait_for(reference(WIDTH, HEIGHT, view))

        print(f"\nresident KiB after 100/200/300 cycles and resizes: {samples}")
        self.assertLessEqual(samples[300] - samples[100], MAX_GROWTH_KIB, samples)
        self.assertLessEqual(samples["resized"] - samples[100], MAX_GROWTH_KIB, samples)


if __name__ == "__main__":
    unittest.main()
