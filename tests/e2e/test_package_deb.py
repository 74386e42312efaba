"""The Linux package as a user gets it: a .deb that declares the libraries the
program needs, SDL2's among them, and holds the program, its menu entry and
the README under /usr. Unpacked into a folder, not installed, the program the
menu entry names shows the start view exactly."""
import configparser
import os
import re
import shlex
import shutil
import subprocess
import tempfile
import unittest

import harness
from harness import ViewerTestCase, reference

PACKAGE = os.environ.get("MANDELBROT_PACKAGE", "")
VERSION = os.environ.get("MANDELBROT_VERSION", "")
SOURCE = os.path.join(harness.HERE, "..", "..")


def output(*args):
    return subprocess.run(list(args), check=True, capture_output=True, text=True).stdout


def dependency_names(depends):
    """The package names in a Depends field, alternatives included."""
    return {alternative.split()[0] for entry in depends.split(",")
            for alternative in entry.split("|") if alternative.strip()}


class DebPackageTest(ViewerTestCase):
    @classmethod
    def setUpClass(cls):
        if not PACKAGE or not VERSION:
            raise RuntimeError("MANDELBROT_PACKAGE and MANDELBROT_VERSION must be set")
        cls.root = tempfile.mkdtemp(prefix="mandelbrot-deb-")
        cls.addClassCleanup(shutil.rmtree, cls.root)
        subprocess.run(["dpkg-deb", "-x", PACKAGE, cls.root], check=True)
        cls.files = sorted(os.path.relpath(os.path.join(folder, name), cls.root)
                           for folder, _, names in os.walk(cls.root) for name in names)
        cls.desktop_file = os.path.join(cls.root, "usr/share/applications/mandelbrot.desktop")
        super().setUpClass()

    def field(self, name):
        return output("dpkg-deb", "--field", PACKAGE, name).strip()

    def test_control_data_names_the_package_its_version_and_sdl2(self):
        self.assertEqual(self.field("Package"), "mandelbrot")
        self.assertEqual(self.field("Version"), VERSION)
        self.assertEqual(self.field("Architecture"), output("dpkg", "--print-architecture").strip())
        self.assertRegex(self.field("Depends"), r"(^|, )libsdl2-2\.0-0 \(>= [0-9.]+\)")

    def test_every_linked_library_is_a_declared_dependency(self):
        declared = dependency_names(self.field("Depends"))
        headers = output("objdump", "-p", os.path.join(self.root, "usr/bin/mandelbrot"))
        needed = re.findall(r"NEEDED\s+(\S+)", headers)
        self.assertIn("libSDL2-2.0.so.0", needed)
        for library in needed:
            owners = {line.split(":")[0] for line in output("dpkg", "-S", "*/" + library).splitlines()}
            self.assertTrue(owners & declared, f"{library} (from {sorted(owners)}) is not declared")

    def test_files_are_the_program_its_menu_entry_and_its_documents_under_usr(self):
        self.assertEqual(self.files, [
            "usr/bin/mandelbrot",
            "usr/share/applications/mandelbrot.desktop",
            "usr/share/doc/mandelbrot/README.md",
            "usr/share/doc/mandelbrot/copyright",
        ])
        for name, source in (("README.md", "README.md"), ("copyright", "LICENSE")):
            with open(os.path.join(self.root, "usr/share/doc/mandelbrot", name), "rb") as packaged, \
                    open(os.path.join(SOURCE, source), "rb") as original:
                self.assertEqual(packaged.read(), original.read(), name)

    def test_menu_entry_is_valid_and_in_graphics(self):
        result = subprocess.run(["desktop-file-validate", self.desktop_file], capture_output=True,
                                text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(result.stdout + result.stderr, "")
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(self.desktop_file)
        section = entry["Desktop Entry"]
        self.assertEqual(section["Type"], "Application")
        self.assertEqual(section["Name"], "Mandelbrot set")
        self.assertIn("Graphics", section["Categories"].split(";"))

    def test_program_of_the_menu_entry_shows_the_start_view(self):
        entry = configparser.ConfigParser(interpolation=None)
        entry.read(self.desktop_file)
        command = shlex.split(entry["Desktop Entry"]["Exec"])
        # The menu runs Exec through PATH, where /usr/bin would be.
        program = shutil.which(command[0], path=os.path.join(self.root, "usr/bin"))
        self.assertIsNotNone(program, f"{command[0]} is not in the package's usr/bin")
        viewer = self.start_viewer(800, 600, args=command[1:], program=program)
        viewer.wait_for(reference(800, 600))


if __name__ == "__main__":
    unittest.main()
