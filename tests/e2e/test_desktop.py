"""Sessions as a user meets them on a desktop: under a window manager
(openbox) with other windows coming and going, and on bare X. Maximizing,
minimizing in the middle of a drag, windows shown over or away from a
selection, the pointer leaving and coming back while a selection moves, the
cursor over and outside a selection, the placeholder during a long repaint,
and no display at all."""
import contextlib
import os
import subprocess
import time
import unittest

from Xlib import X

from harness import (DEADLINE, SHELL, Display, Viewer, ViewerTestCase, program_command,
                     reference, restart_wineserver)

WIDTH, HEIGHT = 800, 600
# A 200 x 100 drag from (100, 100) takes the client's proportions: 162 x 122.
FITTED = (100, 100, 262, 222)
SHORT = 3.0


def cursor_shape(cursor):
    return (cursor.width, cursor.height, cursor.xhot, cursor.yhot, tuple(cursor.cursor_image))


def is_up_arrow(cursor):
    # Its hotspot is the tip, at the top and away from the left edge (the
    # arrow's is at its top-left corner, the wait cursor's in the middle).
    return cursor.xhot > cursor.width // 5 and cursor.yhot < cursor.height // 4


def is_wait_cursor(cursor):
    return cursor.xhot >= cursor.width // 4 and cursor.yhot >= cursor.height // 4


class DesktopSessions:
    """The sessions, run by the test cases below on bare X and under openbox."""

    WINDOW_MANAGER = False

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.display.close()
        cls.display = Display(1600, 1200, window_manager=cls.WINDOW_MANAGER)
        restart_wineserver()

    def setUp(self):
        self.viewer = self.start_viewer(WIDTH, HEIGHT)
        self.start = self.viewer.wait_for(reference(WIDTH, HEIGHT))

    def select(self):
        self.viewer.drag((100, 100), (300, 200))
        self.viewer.wait_for(self.start.with_outline(*FITTED))

    def client_origin(self):
        connection = self.display.connection()
        window = connection.create_resource_object("window", int(self.viewer.window))
        origin = connection.screen().root.translate_coords(window, 0, 0)
        return origin.x, origin.y

    @contextlib.contextmanager
    def window_over(self, left, top, width, height):
        """Another program's window over the client rectangle given, shown for
        a moment and closed again."""
        x, y = self.client_origin()
        other = subprocess.Popen(
            ["xlogo", "-geometry", f"{width}x{height}+{x + left}+{y + top}", "-bg", "black"],
            env=self.display.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            end = time.monotonic() + DEADLINE
            while self.display.run("xdotool", "search", "--onlyvisible", "--class", "xlogo",
                                   check=False).stdout.strip() == "":
                self.assertLess(time.monotonic(), end, "the other window never showed")
                time.sleep(0.05)
            time.sleep(0.5)
            yield
        finally:
            other.terminate()
            other.wait(timeout=10)

    def wait_for_cursor(self, check, what):
        end = time.monotonic() + SHORT
        while True:
            cursor = self.display.cursor()
            if check(cursor):
                return cursor
            if time.monotonic() > end:
                self.fail(f"the cursor never became {what}: {cursor.width}x{cursor.height} "
                          f"hotspot ({cursor.xhot},{cursor.yhot})")
            time.sleep(0.03)

    def test_window_shown_away_from_the_selection_keeps_it(self):
        self.select()
        with self.window_over(650, 480, 100, 80):
            pass
        self.viewer.wait_for(self.start.with_outline(*FITTED))
        # Still a live selection: Esc removes its outline, pixel for pixel.
        self.viewer.key("Escape")
        self.viewer.wait_for(self.start)

    def test_window_shown_over_the_selection_leaves_an_exact_picture(self):
        self.select()
        with self.window_over(150, 150, 60, 50):
            pass
        if SHELL == "wine":
            # Wine keeps the window's picture and puts the uncovered part back
            # itself, as a composited Windows desktop does: no paint, so the
            # selection stays, as live as before.
            self.viewer.wait_for(self.start.with_outline(*FITTED))
            self.viewer.key("Escape")
            self.viewer.wait_for(self.start)
            return
        # The exposed area lies inside the selection: it is abandoned, and
        # its whole rectangle painted again, outline and all.
        self.viewer.wait_for(self.start)
        # Abandoned, not just repainted: a right click where it was does not zoom.
        self.viewer.move(180, 180)
        self.viewer.click(3)
        time.sleep(1.0)
        self.viewer.wait_for(self.start, deadline=0)

    def test_moving_follows_the_pointer_after_it_leaves_and_returns(self):
        self.viewer.drag((50, 50), (250, 200))
        self.viewer.wait_for(self.start.with_outline(50, 50, 250, 200))
        self.viewer.move(100, 100)
        self.viewer.press()
        self.viewer.move(110, 105)
        self.viewer.xdotool("mousemove", 1500, 1100)
        for step in range(5):
            self.viewer.move(120 + 10 * step, 115 + 10 * step)
        # The selection moves by the pointer minus the press point: (60, 55).
        self.viewer.wait_for(self.start.with_outline(110, 105, 310, 255))
        self.viewer.release()
        self.viewer.wait_for(self.start.with_outline(110, 105, 310, 255))

    def test_up_arrow_shows_only_over_the_selection(self):
        self.viewer.move(500, 400)
        arrow = self.wait_for_cursor(lambda c: not is_wait_cursor(c), "the arrow")
        self.select()
        self.viewer.move(150, 150)
        self.wait_for_cursor(is_up_arrow, "the up-arrow over the selection")
        self.viewer.move(500, 400)
        self.wait_for_cursor(lambda c: cursor_shape(c) == cursor_shape(arrow),
                             "the arrow outside the selection")
        # A press and release inside move nothing and leave the up-arrow,
        # until the pointer next moves.
        self.viewer.move(150, 150)
        self.viewer.press()
        self.viewer.release()
        self.wait_for_cursor(is_up_arrow, "the up-arrow after a click inside")
        self.viewer.move(500, 400)
        self.wait_for_cursor(lambda c: cursor_shape(c) == cursor_shape(arrow),
                             "the arrow again outside the selection")
        self.viewer.wait_for(self.start.with_outline(*FITTED), deadline=0)


class BareXSessionTest(DesktopSessions, ViewerTestCase):
    WINDOW_MANAGER = False


class WindowManagerSessionTest(DesktopSessions, ViewerTestCase):
    WINDOW_MANAGER = True

    def wmctrl(self, *args):
        self.display.run("wmctrl", "-i", "-r", self.viewer.window, *args)

    def wait_until_viewable(self):
        connection = self.display.connection()
        window = connection.create_resource_object("window", int(self.viewer.window))
        end = time.monotonic() + DEADLINE
        while window.get_attributes().map_state != X.IsViewable:
            self.assertLess(time.monotonic(), end, "the window never came back")
            time.sleep(0.05)

    def client_size(self):
        connection = self.display.connection()
        window = connection.create_resource_object("window", int(self.viewer.window))
        geometry = window.get_geometry()
        return geometry.width, geometry.height

    def test_maximize_and_restore_show_the_exact_picture(self):
        self.wmctrl("-b", "add,maximized_vert,maximized_horz")
        end = time.monotonic() + DEADLINE
        while self.client_size() == (WIDTH, HEIGHT):
            self.assertLess(time.monotonic(), end, "the window never grew")
            time.sleep(0.05)
        time.sleep(0.3)
        width, height = self.client_size()
        self.assertGreater(width, 1000)
        self.viewer.wait_for(reference(width, height))
        self.wmctrl("-b", "remove,maximized_vert,maximized_horz")
        self.viewer.wait_for(self.start)

    @unittest.skipIf(SHELL == "wine", "Wine keeps its own record of the button pressed while "
                     "the window is minimized")
    def test_minimizing_during_a_drag_then_a_plain_move_ends_the_drag(self):
        self.viewer.move(100, 100)
        self.viewer.press()
        self.viewer.move(200, 200)
        self.viewer.move(300, 300)
        self.viewer.wait_for(self.start.with_outline(100, 100, 300, 300))
        self.viewer.xdotool("windowminimize", self.viewer.window)
        time.sleep(0.5)
        self.viewer.release()
        self.display.run("wmctrl", "-i", "-a", self.viewer.window)
        self.wait_until_viewable()
        self.viewer.wait_for(self.start.with_outline(100, 100, 300, 300))
        # A move with the left button up ends the drag, as the event itself says.
        self.viewer.move(400, 400)
        self.viewer.wait_for(self.start)
        self.select()


class LongRepaintTest(ViewerTestCase):
    """While a large window renders, the placeholder stands on white and the
    wait cursor shows, on the screen itself."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.display.close()
        cls.display = Display(4200, 3300, window_manager=True)
        restart_wineserver()

    def test_placeholder_and_wait_cursor_show_while_rendering(self):
        width, height = 4000, 3000
        viewer = self.start_viewer(width, height)
        start = viewer.wait_for(reference(width, height), deadline=2 * DEADLINE)
        viewer.move(width // 2 + 300, height // 2 + 300)
        time.sleep(0.5)
        arrow = cursor_shape(self.display.cursor())

        connection = self.display.connection()
        window = connection.create_resource_object("window", int(viewer.window))
        strip = (width // 2 - 150, height // 2 - 15, 300, 30)
        viewer.key("b")
        text_seen = False
        wait_seen = False
        end = time.monotonic() + DEADLINE
        while time.monotonic() < end:
            data = window.get_image(*strip, X.ZPixmap, 0xFFFFFFFF).data
            pixels = {bytes(data[i:i + 3]) for i in range(0, len(data), 4)}
            # No colour of the picture is pure white or pure black.
            if b"\xff\xff\xff" in pixels and b"\x00\x00\x00" in pixels:
                text_seen = True
                wait_seen = wait_seen or is_wait_cursor(self.display.cursor())
            elif text_seen:
                break
        self.assertTrue(text_seen, "the placeholder never showed during the repaint")
        self.assertTrue(wait_seen, "the wait cursor never showed during the repaint")
        viewer.wait_for(start)
        self.assertEqual(cursor_shape(self.display.cursor()), arrow)


def is_sanitized(program):
    with open(program, "rb") as f:
        return b"__asan_init" in f.read()


@unittest.skipUnless(SHELL == "sdl", "the Linux program's client surface")
class LowMemoryTest(ViewerTestCase):
    """A window too large for the memory there is, or for any drawing
    surface, shows nothing and says so, and a smaller size brings the exact
    picture back; the program never aborts."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.display.close()
        cls.display = Display(8000, 6000)

    def wait_for_error(self, viewer, text):
        end = time.monotonic() + DEADLINE
        while text not in viewer.error_output():
            self.assertIsNone(viewer.process.poll(), viewer.error_output())
            self.assertLess(time.monotonic(), end, f"no line saying {text!r}")
            time.sleep(0.05)

    def outgrow_and_come_back(self, viewer, size, error):
        """Grows the window to size, where error must be said, then shrinks
        it and expects the exact picture again."""
        self.addCleanup(viewer.kill)
        viewer.place(0, 0, WIDTH, HEIGHT)
        viewer.wait_for(reference(WIDTH, HEIGHT))
        viewer.xdotool("windowsize", viewer.window, *size)
        self.wait_for_error(viewer, error)
        viewer.xdotool("windowsize", viewer.window, 640, 480)
        viewer.wait_for(reference(640, 480))

    def test_growing_past_the_memory_limit_and_back(self):
        if is_sanitized(os.environ["MANDELBROT_PROGRAM"]):
            self.skipTest("the sanitizers reserve more address space than the limit")
        # 200 MB of address space: a 7000 x 5000 picture and its window
        # surface need 280 MB.
        viewer = Viewer(self.display, prefix=("prlimit", "--as=209715200"))
        self.outgrow_and_come_back(viewer, (7000, 5000),
                                   "not enough memory for a picture of 7000x5000 pixels")
        self.assertIsNone(viewer.process.poll())

    def test_window_too_large_for_a_surface(self):
        # SDL's own request for such a surface overflows; the sanitizers would
        # stop at the request instead of letting it fail as it does unchecked.
        viewer = Viewer(self.display, env_extra={
            "ASAN_OPTIONS": "detect_leaks=0:allocator_may_return_null=1"})
        self.outgrow_and_come_back(viewer, (23200, 23200),
                                   "cannot draw on a window of 23200x23200 pixels")
        viewer.move(300, 200)
        self.assertEqual(viewer.close(), 0)


class NoDisplayTest(unittest.TestCase):
    def run_without(self, env):
        started = time.monotonic()
        result = subprocess.run(program_command(os.environ["MANDELBROT_PROGRAM"]), env=env,
                                capture_output=True, text=True, timeout=DEADLINE)
        return result, time.monotonic() - started

    def test_no_display_ends_at_once_with_a_reason(self):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY",
                                                                 "SDL_VIDEODRIVER")}
        result, seconds = self.run_without(env)
        self.assertNotEqual(result.returncode, 0)
        self.assertLess(seconds, 30)
        if SHELL == "sdl":
            self.assertEqual(result.returncode, 1)
            self.assertEqual(result.stderr.splitlines(),
                             ["mandelbrot: no display to show the window on (neither DISPLAY "
                              "nor WAYLAND_DISPLAY is set)"])

    @unittest.skipUnless(SHELL == "sdl", "Wine needs a display of its own to start")
    def test_unreachable_display_ends_at_once_with_a_reason(self):
        number = next(n for n in range(90, 200) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY",
                                                                 "SDL_VIDEODRIVER")}
        env["DISPLAY"] = f":{number}"
        result, seconds = self.run_without(env)
        self.assertEqual(result.returncode, 1)
        self.assertLess(seconds, 30)
        lines = result.stderr.splitlines()
        self.assertEqual(len(lines), 1, result.stderr)
        self.assertTrue(lines[0].startswith(f'mandelbrot: cannot open the display ":{number}"'),
                        lines[0])


if __name__ == "__main__":
    unittest.main()
