"""Drives the real program like a person: an Xvfb display, the program (the
Windows one under Wine, or the native SDL one), xdotool for the mouse and
keyboard, screenshots read straight from the X server compared pixel for pixel
with the reference renderer's picture of the same view.

MANDELBROT_SHELL chooses the program: "wine" (the default) runs
MANDELBROT_PROGRAM (or MANDELBROT_EXE) through scripts/wine-run.sh, "sdl" runs
it directly with SDL's X11 video driver."""
import os
import shutil
import subprocess
import tempfile
import time
import unittest

try:
    from Xlib import X
    from Xlib import display as xdisplay
    from Xlib.error import XError
    from Xlib.protocol import event as xevent
except ImportError as missing:
    raise ImportError("the end-to-end harness needs python3-xlib (scripts/install-deps.sh installs "
                      "it for Debian's /usr/bin/python3)") from missing

HERE = os.path.dirname(os.path.abspath(__file__))
WINE_RUN = os.path.join(HERE, "..", "..", "scripts", "wine-run.sh")
SHELL = os.environ.get("MANDELBROT_SHELL", "wine")
PROGRAM = os.environ.get("MANDELBROT_PROGRAM") or os.environ.get("MANDELBROT_EXE", "")
RENDER_VIEW = os.environ.get("MANDELBROT_RENDER_VIEW", "")

START_VIEW = (-2.0, 1.3, 3.0)
WHITE = b"\xff\xff\xff"
DEADLINE = 60.0
CAPTURE_STRIP_BYTES = 1 << 20


class Display:
    """A private Xvfb server; depth 24 so colours are exact. With
    window_manager, openbox runs on it as on a user's desktop: windows get
    frames, and minimizing, maximizing and restoring work."""

    def __init__(self, width=1600, height=1200, window_manager=False):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            # -noreset: by default the server resets whenever its last client
            # leaves, and drops any connection that arrives meanwhile.
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number
        self._connection = None
        self.window_manager = None
        if window_manager:
            self._start_window_manager()

    def _start_window_manager(self):
        if shutil.which("openbox") is None:
            raise RuntimeError("openbox is not installed")
        self.window_manager = subprocess.Popen(
            ["openbox", "--sm-disable"], env=self.env(), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        # A window manager announces itself on the root window once it runs.
        end = time.monotonic() + DEADLINE
        while self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK",
                       check=False).stdout.find("window id") < 0:
            if time.monotonic() > end or self.window_manager.poll() is not None:
                raise RuntimeError("openbox did not start")
            time.sleep(0.05)

    def connection(self):
        """The harness's own X connection, opened once: screenshots and the
        close message go through it instead of a process each."""
        if self._connection is None:
            self._connection = xdisplay.Display(self.name)
        return self._connection

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.name
        return env

    def run(self, *args, check=True, text=True):
        result = subprocess.run(list(args), env=self.env(), capture_output=True, text=text,
                                timeout=30)
        if check:
            result.check_returncode()
        return result

    def cursor(self):
        """The cursor shown now, as XFixes reports it."""
        connection = self.connection()
        connection.xfixes_query_version()
        return connection.xfixes_get_cursor_image(None)

    def close(self):
        if self.window_manager is not None:
            self.window_manager.terminate()
            try:
                self.window_manager.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.window_manager.kill()
            self.window_manager = None
        if self._connection is not None:
            self._connection.close()
            self._connection = None
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()


class Picture:
    """An RGB picture, 3 bytes a pixel, rows packed."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = bytearray(rgb)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return bytes(self.rgb[i:i + 3])

    def copy(self):
        return Picture(self.width, self.height, self.rgb)

    def whiten(self, x, y):
        if 0 <= x < self.width and 0 <= y < self.height:
            i = (y * self.width + x) * 3
            self.rgb[i:i + 3] = WHITE

    def with_outline(self, left, top, right, bottom):
        """The picture with a one-pixel white outline of the rectangle, clipped."""
        out = self.copy()
        if right <= left or bottom <= top:
            return out
        for x in range(max(left, 0), min(right, self.width)):
            out.whiten(x, top)
            out.whiten(x, bottom - 1)
        for y in range(max(top, 0), min(bottom, self.height)):
            out.whiten(left, y)
            out.whiten(right - 1, y)
        return out

    def differences(self, other, limit=5):
        if (self.width, self.height) != (other.width, other.height):
            return f"size {self.width}x{self.height} != {other.width}x{other.height}"
        if self.rgb == other.rgb:
            return ""
        found = []
        count = 0
        for i in range(0, len(self.rgb), 3):
            if self.rgb[i:i + 3] != other.rgb[i:i + 3]:
                count += 1
                if len(found) < limit:
                    p = i // 3
                    found.append(f"({p % self.width},{p // self.width}) "
                                 f"{bytes(self.rgb[i:i + 3]).hex()} != {bytes(other.rgb[i:i + 3]).hex()}")
        return f"{count} pixels differ, e.g. " + "; ".join(found)


def capture_window(connection, window_id):
    """The window's pixels as the X server holds them, clipped to the screen
    as xwd clips them (the server refuses to read outside it)."""
    window = connection.create_resource_object("window", int(window_id))
    geometry = window.get_geometry()
    screen = connection.screen()
    origin = screen.root.translate_coords(window, 0, 0)
    left, top = max(0, -origin.x), max(0, -origin.y)
    right = min(geometry.width, screen.width_in_pixels - origin.x)
    bottom = min(geometry.height, screen.height_in_pixels - origin.y)
    if right <= left or bottom <= top:
        raise RuntimeError(f"window {window_id} is off the screen")
    width, height = right - left, bottom - top
    byte_order = connection.display.info.image_byte_order
    rgb = bytearray(width * height * 3)
    # python-xlib gathers a reply by joining what each read brings, which
    # grows quadratically with the reply: large windows come in strips.
    rows = max(1, CAPTURE_STRIP_BYTES // (width * 4))
    for strip_top in range(0, height, rows):
        strip_rows = min(rows, height - strip_top)
        image = window.get_image(left, top + strip_top, width, strip_rows, X.ZPixmap, 0xFFFFFFFF)
        # Depth 24 comes as 4 bytes a pixel, BGRX on this little-endian server.
        data = image.data
        if image.depth != 24 or byte_order != X.LSBFirst or len(data) != width * strip_rows * 4:
            raise RuntimeError(f"unexpected image layout depth={image.depth} order={byte_order} "
                               f"bytes={len(data)}")
        start, stop = strip_top * width * 3, (strip_top + strip_rows) * width * 3
        rgb[start:stop:3] = data[2::4]
        rgb[start + 1:stop:3] = data[1::4]
        rgb[start + 2:stop:3] = data[0::4]
    return Picture(width, height, rgb)


def parse_ppm(data):
    parts = data.split(b"\n", 3)
    if parts[0] != b"P6" or parts[2] != b"255":
        raise RuntimeError("not a binary 8-bit PPM")
    width, height = (int(v) for v in parts[1].split())
    return Picture(width, height, parts[3][:width * height * 3])


_reference_cache = {}


def reference(width, height, view=START_VIEW):
    """The core's own picture of a whole client for a view."""
    key = (width, height) + tuple(view)
    if key not in _reference_cache:
        with tempfile.TemporaryDirectory() as work:
            out = os.path.join(work, "view.ppm")
            subprocess.run([RENDER_VIEW, str(width), str(height)] + [repr(v) for v in view] + [out],
                           check=True)
            with open(out, "rb") as f:
                _reference_cache[key] = parse_ppm(f.read())
    return _reference_cache[key].copy()


def program_command(program=None):
    program = program or PROGRAM
    if SHELL == "wine":
        return [WINE_RUN, program]
    if SHELL == "sdl":
        return [program]
    raise RuntimeError(f"MANDELBROT_SHELL must be wine or sdl, not {SHELL!r}")


def restart_wineserver():
    """Wine keeps the desktop's size in its server for as long as the server
    lives, and limits windows to it: a test on a larger screen must start with
    a fresh server. No-op for the SDL program."""
    if SHELL != "wine":
        return
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(HERE, "..", "..", "build", "wineprefix"))
    subprocess.run(["wineserver", "-k"], env=env, capture_output=True, timeout=30)
    subprocess.run(["wineserver", "-w"], env=env, capture_output=True, timeout=30)


def send_delete_window(display_name, window, connection=None):
    """Asks a window to close the way a window manager does: a WM_DELETE_WINDOW
    client message (without a window manager nothing else sends one)."""
    own = connection is None
    if own:
        connection = xdisplay.Display(display_name)
    try:
        target = connection.create_resource_object("window", int(window))
        message = xevent.ClientMessage(
            window=target, client_type=connection.intern_atom("WM_PROTOCOLS"),
            data=(32, [connection.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        target.send_event(message, event_mask=X.NoEventMask)
        connection.flush()
    finally:
        if own:
            connection.close()


def zoomed_view(view, selection, client_width):
    """The view after zooming into selection, with the program's arithmetic
    (Python floats are the same IEEE doubles, operation for operation)."""
    re_left, im_offset, re_span = view
    per_unit_x = (client_width + 1) / re_span
    per_unit_y = per_unit_x * 0.82
    left, top, right, _ = selection
    return (re_left + left / per_unit_x, im_offset - top / per_unit_y,
            (right - left) * re_span / client_width)


class Viewer:
    """The program running on a display, with its window."""

    def __init__(self, display, args=(), env_extra=None, program=None, prefix=()):
        self.display = display
        env = display.env()
        if SHELL == "sdl":
            env["SDL_VIDEODRIVER"] = "x11"
        env.update(env_extra or {})
        self.stderr = tempfile.TemporaryFile()
        self.process = subprocess.Popen(list(prefix) + program_command(program) + list(args), env=env,
                                        stdout=subprocess.DEVNULL, stderr=self.stderr)
        self.window = self._find_window()

    def _find_window(self):
        deadline = time.monotonic() + DEADLINE
        while time.monotonic() < deadline:
            result = self.display.run("xdotool", "search", "--onlyvisible", "--name",
                                      "^Mandelbrot set$", check=False)
            ids = result.stdout.split()
            if ids:
                return ids[0]
            if self.process.poll() is not None:
                self.stderr.seek(0)
                raise RuntimeError(f"program exited with {self.process.returncode} before its window "
                                   f"showed: {self.stderr.read().decode(errors='replace').strip()}")
            time.sleep(0.03)
        raise RuntimeError("the window never appeared")

    def error_output(self):
        """What the program has written to stderr so far."""
        self.stderr.seek(0)
        return self.stderr.read().decode(errors="replace")

    def xdotool(self, *args):
        self.display.run("xdotool", *[str(a) for a in args])

    def place(self, x, y, width, height):
        self.xdotool("windowmove", self.window, x, y)
        self.xdotool("windowsize", self.window, width, height)

    def screenshot(self):
        return capture_window(self.display.connection(), self.window)

    def wait_for(self, expected, deadline=DEADLINE):
        """Polls screenshots until one equals the expected picture."""
        end = time.monotonic() + deadline
        while True:
            try:
                shot = self.screenshot()
            except (RuntimeError, XError):
                # A window manager may show the window off the screen, or
                # unmap it, for a moment, as it animates a restore.
                if time.monotonic() > end:
                    raise
                time.sleep(0.05)
                continue
            if (shot.width, shot.height) == (expected.width, expected.height) and \
                    shot.rgb == expected.rgb:
                return shot
            if time.monotonic() > end:
                # Listing the differences walks every pixel: only for the report.
                raise AssertionError("screen never matched: " + expected.differences(shot))
            time.sleep(0.05)

    def move(self, x, y):
        self.xdotool("mousemove", "--window", self.window, x, y)

    def press(self, button=1):
        self.xdotool("mousedown", button)

    def release(self, button=1):
        self.xdotool("mouseup", button)

    def click(self, button):
        self.xdotool("click", button)

    def key(self, name):
        self.xdotool("key", "--window", self.window, name)

    def drag(self, start, end, steps=4):
        self.move(*start)
        self.press()
        for i in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * i // steps,
                      start[1] + (end[1] - start[1]) * i // steps)
        self.release()

    def close(self, deadline=30):
        """Closes the window as a person would and returns the exit code. On
        Windows Alt+F4 is the system's own close key; on X11 closing is the
        window manager's job, which here there is none to do, so the test
        sends the message a window manager would."""
        if SHELL == "wine":
            self.key("alt+F4")
        else:
            send_delete_window(self.display.name, self.window, self.display.connection())
        return self.process.wait(timeout=deadline)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=10)
            # A busy X server may keep a killed program's window mapped for a
            # while; the next program's search must not find it instead.
            end = time.monotonic() + DEADLINE
            while time.monotonic() < end and getattr(self, "window", None) in self.display.run(
                    "xdotool", "search", "--onlyvisible", "--name", "^Mandelbrot set$",
                    check=False).stdout.split():
                time.sleep(0.03)
        self.stderr.close()


class ViewerTestCase(unittest.TestCase):
    """Each test gets a fresh program on the module's display."""

    display = None

    @classmethod
    def setUpClass(cls):
        if not PROGRAM or not RENDER_VIEW:
            raise RuntimeError("MANDELBROT_PROGRAM and MANDELBROT_RENDER_VIEW must be set")
        program_command()
        tools = ("Xvfb", "xdotool") + (("wine",) if SHELL == "wine" else ())
        for tool in tools:
            if shutil.which(tool) is None:
                raise RuntimeError(f"{tool} is not installed")
        cls.display = Display()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def start_viewer(self, width=800, height=600, args=(), program=None):
        viewer = Viewer(self.display, args, program=program)
        self.addCleanup(viewer.kill)
        viewer.place(0, 0, width, height)
        return viewer
