"""Scripted mouse and keyboard sessions: every screenshot must equal the
reference picture of the view plus exactly the expected white outline."""
import unittest

from harness import START_VIEW, ViewerTestCase, reference, zoomed_view

WIDTH, HEIGHT = 800, 600
# A 200 x 100 drag from (100, 100) takes the client's proportions: 162 x 122.
DRAWN = (100, 100, 300, 200)
FITTED = (100, 100, 262, 222)


class SelectionTest(ViewerTestCase):
    def setUp(self):
        self.viewer = self.start_viewer(WIDTH, HEIGHT)
        self.start = self.viewer.wait_for(reference(WIDTH, HEIGHT))

    def select(self, start, end):
        self.viewer.drag(start, end)
        return self.viewer.wait_for(self.start.with_outline(*FITTED))

    def test_drag_and_release_outlines_the_fitted_selection(self):
        self.select(DRAWN[:2], DRAWN[2:])

    def test_reverse_drag_gives_the_same_selection(self):
        self.select(DRAWN[2:], DRAWN[:2])

    def test_escape_removes_the_selection(self):
        self.select(DRAWN[:2], DRAWN[2:])
        self.viewer.key("Escape")
        self.viewer.wait_for(self.start)

    def test_moving_leaves_no_trace(self):
        self.select(DRAWN[:2], DRAWN[2:])
        self.viewer.move(150, 150)
        self.viewer.press()
        for x, y in ((160, 155), (120, 190), (90, 60), (230, 260)):
            self.viewer.move(x, y)
        self.viewer.release()
        dx, dy = 230 - 150, 260 - 150
        moved = (FITTED[0] + dx, FITTED[1] + dy, FITTED[2] + dx, FITTED[3] + dy)
        self.viewer.wait_for(self.start.with_outline(*moved))

    def test_drag_released_outside_the_window_still_selects(self):
        # The mouse is captured while dragging: the moves and the release
        # beyond the right and bottom edges still reach the program. 150 x 140
        # fits to 166 x 125, outlined only where it lies inside the client.
        self.viewer.drag((700, 500), (850, 640))
        self.viewer.wait_for(self.start.with_outline(700, 500, 866, 625))

    def test_release_whose_press_began_outside_ends_the_selection(self):
        # The press lands outside the window, on no other program's window.
        self.select(DRAWN[:2], DRAWN[2:])
        self.viewer.move(900, 700)
        self.viewer.press()
        self.viewer.move(150, 150)
        self.viewer.release()
        self.viewer.wait_for(self.start)

    def test_small_drag_is_discarded(self):
        self.viewer.drag((400, 300), (405, 340))
        # Events are handled in order: once the next selection shows, the small
        # drag has been handled, and it left nothing behind.
        self.select(DRAWN[:2], DRAWN[2:])

    def test_right_click_outside_does_nothing(self):
        self.select(DRAWN[:2], DRAWN[2:])
        self.viewer.move(500, 400)
        self.viewer.click(3)
        self.viewer.move(30, 30)
        self.viewer.click(3)
        # Esc is handled after the clicks: the unchanged start view proves no zoom.
        self.viewer.key("Escape")
        self.viewer.wait_for(self.start)

    def test_zoom_and_back(self):
        self.select(DRAWN[:2], DRAWN[2:])
        self.viewer.move(180, 160)
        self.viewer.click(3)
        zoomed = zoomed_view(START_VIEW, FITTED, WIDTH)
        first = self.viewer.wait_for(reference(WIDTH, HEIGHT, zoomed))

        # A second zoom, then back twice with both spellings of the key.
        self.viewer.drag((400, 300), (600, 400))
        self.viewer.wait_for(first.with_outline(400, 300, 400 + 162, 300 + 122))
        self.viewer.move(450, 350)
        self.viewer.click(3)
        deeper = zoomed_view(zoomed, (400, 300, 562, 422), WIDTH)
        self.viewer.wait_for(reference(WIDTH, HEIGHT, deeper))

        self.viewer.key("b")
        self.viewer.wait_for(first)
        self.viewer.key("B")
        self.viewer.wait_for(self.start)

    def test_back_with_no_history_clears_the_selection(self):
        self.select(DRAWN[:2], DRAWN[2:])
        self.viewer.key("b")
        self.viewer.wait_for(self.start)

    def test_covering_repaint_abandons_the_selection(self):
        self.select(DRAWN[:2], DRAWN[2:])
        self.viewer.xdotool("windowsize", self.viewer.window, 700, 500)
        self.viewer.wait_for(reference(700, 500))
        # The state is Idle again: a right click where the selection was does
        # nothing, which the next selection's unchanged background proves.
        self.viewer.move(180, 160)
        self.viewer.click(3)
        self.viewer.drag((50, 50), (250, 150))
        # 200 x 100 in a 700 x 500 client: area 14285, height 119, width 166.
        self.viewer.wait_for(reference(700, 500).with_outline(50, 50, 216, 169))


class DragEndedWhileHeldTest(ViewerTestCase):
    """Esc or B ends a drag while its button is still held, and the button is
    then released outside the window: the next drag is an ordinary one."""

    WIDTH, HEIGHT = 243, 470

    def setUp(self):
        self.viewer = self.start_viewer(self.WIDTH, self.HEIGHT)
        # A session that fails while the button is held must not leave it
        # held for the next one on this display.
        self.addCleanup(self.viewer.release)
        self.start = self.viewer.wait_for(reference(self.WIDTH, self.HEIGHT))

    def end_drag_with(self, key):
        self.viewer.move(235, 455)
        self.viewer.press()
        self.viewer.move(1, 249)
        self.viewer.wait_for(self.start.with_outline(1, 249, 235, 455))
        self.viewer.key(key)
        # The outline gone means the key was handled and the capture ended,
        # so the release below happens with the mouse no longer captured.
        self.viewer.wait_for(self.start)
        self.viewer.move(355, 358)
        self.viewer.release()

    def check_next_drag(self):
        self.viewer.move(108, 26)
        self.viewer.press()
        self.viewer.move(198, 64)
        # Both sides exceed 8 pixels: the live outline shows while held.
        self.viewer.wait_for(self.start.with_outline(108, 26, 198, 64))
        self.viewer.release()
        # 90 x 38 in a 243 x 470 client: area 6614, height 81, width 41.
        self.viewer.wait_for(self.start.with_outline(108, 26, 149, 107))

    def test_after_escape(self):
        self.end_drag_with("Escape")
        self.check_next_drag()

    def test_after_back(self):
        self.end_drag_with("b")
        self.check_next_drag()


if __name__ == "__main__":
    unittest.main()
