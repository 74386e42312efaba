"""A selection wider and taller than 2000 pixels on a large screen is drawn,
moved and erased without leaving a trace."""
import unittest

from harness import Display, ViewerTestCase, reference, restart_wineserver

WIDTH, HEIGHT = 2500, 2200


class LargeWindowTest(ViewerTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.display.close()
        cls.display = Display(2600, 2300)
        restart_wineserver()

    def test_huge_selection_draws_moves_and_erases_exactly(self):
        viewer = self.start_viewer(WIDTH, HEIGHT)
        start = viewer.wait_for(reference(WIDTH, HEIGHT))
        viewer.drag((100, 100), (2400, 2150))
        # 2300 x 2050 in 2500 x 2200: area 4149200, height 2036, width 2313.
        fitted = (100, 100, 2413, 2136)
        viewer.wait_for(start.with_outline(*fitted))

        viewer.move(500, 500)
        viewer.press()
        viewer.move(470, 490)
        viewer.move(450, 480)
        viewer.release()
        viewer.wait_for(start.with_outline(50, 80, 2363, 2116))

        viewer.key("Escape")
        viewer.wait_for(start)


if __name__ == "__main__":
    unittest.main()
