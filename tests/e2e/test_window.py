"""The window shows the exact picture of the view at every size, repaints
uncovered areas seamlessly, ignores its command line and closes cleanly."""
import subprocess
import time
import unittest

from harness import SHELL, START_VIEW, Viewer, ViewerTestCase, reference


class StartViewTest(ViewerTestCase):
    def test_start_view_is_exact_at_800_by_600(self):
        viewer = self.start_viewer(800, 600)
        viewer.wait_for(reference(800, 600))

    def test_start_view_is_exact_at_an_odd_size(self):
        viewer = self.start_viewer(641, 479)
        viewer.wait_for(reference(641, 479))

    def test_command_line_changes_nothing(self):
        viewer = self.start_viewer(640, 480, args=("-0.5", "0.5", "--zoom", "/view:1"))
        viewer.wait_for(reference(640, 480))


class ResizeTest(ViewerTestCase):
    def test_growing_and_shrinking_repaints_with_new_scales(self):
        viewer = self.start_viewer(400, 300)
        viewer.wait_for(reference(400, 300))
        for width, height in ((1000, 700), (1000, 300), (333, 777), (160, 90)):
            viewer.xdotool("windowsize", viewer.window, width, height)
            viewer.wait_for(reference(width, height))

    def test_resize_right_after_start_shows_the_whole_picture(self):
        # Users do not wait for the first picture: each window is resized as
        # soon as it shows, which may be before the program's first paint.
        for width, height in ((640, 480), (517, 389), (700, 250), (300, 420)):
            viewer = Viewer(self.display)
            self.addCleanup(viewer.kill)
            viewer.xdotool("windowsize", viewer.window, width, height)
            viewer.wait_for(reference(width, height))
            viewer.kill()

    def test_height_alone_keeps_the_scales(self):
        viewer = self.start_viewer(500, 200)
        short = viewer.wait_for(reference(500, 200))
        viewer.xdotool("windowsize", viewer.window, 500, 450)
        tall = viewer.wait_for(reference(500, 450))
        # The first 200 rows do not move when only the height grows.
        self.assertEqual(tall.rgb[:len(short.rgb)], short.rgb)


class PartialRepaintTest(ViewerTestCase):
    def test_uncovered_area_is_repainted_exactly(self):
        viewer = self.start_viewer(800, 600)
        expected = reference(800, 600)
        viewer.wait_for(expected)
        # Another client's window over part of ours, away from (0, 0).
        cover = subprocess.Popen(["xlogo", "-geometry", "211x137+333+222", "-bg", "black"],
                                 env=self.display.env(), stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        try:
            end = time.monotonic() + 30
            while self.display.run("xdotool", "search", "--onlyvisible", "--class", "xlogo",
                                   check=False).stdout.strip() == "":
                self.assertLess(time.monotonic(), end, "the covering window never showed")
                time.sleep(0.05)
            time.sleep(0.3)
        finally:
            cover.terminate()
            cover.wait(timeout=10)
        viewer.wait_for(expected)


class CloseTest(ViewerTestCase):
    def test_closing_exits_with_code_zero(self):
        viewer = self.start_viewer(320, 240)
        viewer.wait_for(reference(320, 240))
        viewer.move(100, 100)
        self.assertEqual(viewer.close(), 0)

    @unittest.skipUnless(SHELL == "sdl", "a race of SDL's; Wine takes seconds to close a window")
    def test_every_close_exits_with_code_zero(self):
        # A close that finds the program idle, waiting for events, once in a
        # while met a race in SDL's teardown on X11, so this closes often.
        for attempt in range(40):
            viewer = self.start_viewer(160, 120)
            viewer.wait_for(reference(160, 120))
            self.assertEqual(viewer.close(), 0, f"close number {attempt + 1}")


if __name__ == "__main__":
    unittest.main()
