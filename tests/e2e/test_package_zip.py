"""The Windows download as a user gets it: one ZIP, named for the version,
holding a folder with the program, the README and the licence. Unpacked
anywhere, the program shows the start view exactly."""
import os
import shutil
import tempfile
import unittest
import zipfile

import harness
from harness import ViewerTestCase, reference

PACKAGE = os.environ.get("MANDELBROT_PACKAGE", "")
VERSION = os.environ.get("MANDELBROT_VERSION", "")
SOURCE = os.path.join(harness.HERE, "..", "..")


class ZipPackageTest(ViewerTestCase):
    @classmethod
    def setUpClass(cls):
        if not PACKAGE or not VERSION:
            raise RuntimeError("MANDELBROT_PACKAGE and MANDELBROT_VERSION must be set")
        cls.folder = f"mandelbrot-{VERSION}-win64"
        cls.root = tempfile.mkdtemp(prefix="mandelbrot-zip-")
        cls.addClassCleanup(shutil.rmtree, cls.root)
        with zipfile.ZipFile(PACKAGE) as archive:
            cls.members = sorted(archive.namelist())
            archive.extractall(cls.root)
        super().setUpClass()

    def test_name_and_contents(self):
        self.assertEqual(os.path.basename(PACKAGE), self.folder + ".zip")
        self.assertEqual([m for m in self.members if not m.endswith("/")], [
            self.folder + "/LICENSE",
            self.folder + "/README.md",
            self.folder + "/mandelbrot.exe",
        ])
        for name in ("LICENSE", "README.md"):
            with open(os.path.join(self.root, self.folder, name), "rb") as packaged, \
                    open(os.path.join(SOURCE, name), "rb") as original:
                self.assertEqual(packaged.read(), original.read(), name)

    def test_unpacked_program_shows_the_start_view(self):
        program = os.path.join(self.root, self.folder, "mandelbrot.exe")
        viewer = self.start_viewer(800, 600, program=program)
        viewer.wait_for(reference(800, 600))


if __name__ == "__main__":
    unittest.main()
