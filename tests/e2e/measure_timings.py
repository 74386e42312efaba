"""Measures, on Xvfb, the time from launch to the first complete picture and
the time of a full 1920 x 1080 repaint, for the program MANDELBROT_SHELL and
MANDELBROT_PROGRAM choose (see harness.py). Prints figures; asserts nothing
(speed is reported, never tested)."""
import statistics
import subprocess
import time

import harness


def first_picture_seconds(display):
    start = time.monotonic()
    viewer = harness.Viewer(display)
    try:
        geometry = display.run("xdotool", "getwindowgeometry", "--shell", viewer.window).stdout
        size = dict(line.split("=") for line in geometry.split())
        expected = harness.reference(int(size["WIDTH"]), int(size["HEIGHT"]))
        viewer.wait_for(expected)
        return time.monotonic() - start, size["WIDTH"] + "x" + size["HEIGHT"]
    finally:
        viewer.kill()


def full_hd_repaint_seconds(display):
    viewer = harness.Viewer(display)
    try:
        viewer.place(0, 0, 1920, 1080)
        expected = harness.reference(1920, 1080)
        viewer.wait_for(expected)
        small = harness.reference(1919, 1080)
        times = []
        for width, picture in ((1919, small), (1920, expected)) * 3:
            start = time.monotonic()
            viewer.xdotool("windowsize", viewer.window, width, 1080)
            viewer.wait_for(picture)
            times.append(time.monotonic() - start)
        return times
    finally:
        viewer.kill()


def main():
    display = harness.Display(2000, 1200)
    try:
        if harness.SHELL == "wine":
            subprocess.run(["wineserver", "-k"], check=False, env=display.env(),
                           capture_output=True)
            cold, size = first_picture_seconds(display)
            warm, _ = first_picture_seconds(display)
            print(f"wine: launch to first exact picture ({size}): cold wineserver {cold:.2f} s, "
                  f"warm {warm:.2f} s")
        else:
            times = [first_picture_seconds(display) for _ in range(3)]
            print(f"{harness.SHELL}: launch to first exact picture ({times[0][1]}): " +
                  ", ".join(f"{t:.2f} s" for t, _ in times))
        times = full_hd_repaint_seconds(display)
        print("resize to exact 1920x1080 picture (includes screenshot polling): "
              f"median {statistics.median(times):.3f} s, min {min(times):.3f} s")
    finally:
        display.close()


if __name__ == "__main__":
    main()
