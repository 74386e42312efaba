"""The Linux package as a user gets it: a .deb that declares the libraries the
program needs, SDL2's among them, and holds under /usr the program, its menu
entry with its icon, its manual page and its documents. The icon is the
program's own picture of the set. Unpacked into a folder, not installed, the
program the menu entry names shows the start view exactly."""
import configparser
import gzip
import os
import re
import struct
import shlex
import shutil
import subprocess
import tempfile
import unittest

import zlib

import harness
from harness import Picture, ViewerTestCase, reference

PACKAGE = os.environ.get("MANDELBROT_PACKAGE", "")
VERSION = os.environ.get("MANDELBROT_VERSION", "")
ICON_VIEW = tuple(float(v) for v in os.environ.get("MANDELBROT_ICON_VIEW", "").split())
SOURCE = os.path.join(harness.HERE, "..", "..")
ICON_SIZES = (48, 128, 256)
DOCS = "usr/share/doc/mandelbrot"


def output(*args):
    return subprocess.run(list(args), check=True, capture_output=True, text=True).stdout


def read_png(path):
    """An 8-bit RGB PNG without interlacing or row filters, as a Picture;
    every chunk's CRC and the zlib stream's checksum are checked."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("no PNG signature")
    chunks = []
    at = 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        if zlib.crc32(kind + body) != crc:
            raise ValueError(f"bad CRC in {kind}")
        chunks.append((kind, body))
        at += 12 + length
    if chunks[0][0] != b"IHDR" or chunks[-1][0] != b"IEND":
        raise ValueError("IHDR must come first and IEND last")
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    if (depth, colour, interlace) != (8, 2, 0):
        raise ValueError(f"not 8-bit RGB without interlacing: {depth} {colour} {interlace}")
    rows = zlib.decompress(b"".join(body for kind, body in chunks if kind == b"IDAT"))
    stride = width * 3 + 1
    if len(rows) != stride * height or any(rows[y * stride] for y in range(height)):
        raise ValueError("rows of the wrong size or filtered")
    return Picture(width, height, b"".join(rows[y * stride + 1:(y + 1) * stride]
                                           for y in range(height)))


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

    def test_files_are_the_program_its_menu_entry_icons_manual_and_documents_under_usr(self):
        self.assertEqual(self.files, sorted([
            "usr/bin/mandelbrot",
            "usr/share/applications/mandelbrot.desktop",
            f"{DOCS}/README.md",
            f"{DOCS}/changelog.gz",
            f"{DOCS}/copyright",
            "usr/share/man/man1/mandelbrot.1.gz",
        ] + [f"usr/share/icons/hicolor/{n}x{n}/apps/mandelbrot.png" for n in ICON_SIZES]))
        with open(os.path.join(self.root, DOCS, "README.md"), "rb") as packaged, \
                open(os.path.join(SOURCE, "README.md"), "rb") as original:
            self.assertEqual(packaged.read(), original.read())

    def test_icons_are_the_programs_own_picture_of_the_set(self):
        self.assertEqual(len(ICON_VIEW), 3, "MANDELBROT_ICON_VIEW must be set")
        for size in ICON_SIZES:
            icon = read_png(os.path.join(self.root,
                                         f"usr/share/icons/hicolor/{size}x{size}/apps/mandelbrot.png"))
            self.assertEqual(icon.differences(reference(size, size, ICON_VIEW)), "", size)

    def test_copyright_is_the_licence_in_debians_format(self):
        with open(os.path.join(self.root, DOCS, "copyright"), encoding="utf-8") as f:
            header, files = f.read().split("\n\n")
        self.assertEqual(header.splitlines()[0],
                         "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
        lines = files.splitlines()
        self.assertEqual(lines[:3], ["Files: *",
                                     "Copyright: 2026 The Mandelbrot set viewer authors",
                                     "License: Expat"])
        text = "\n".join("" if line == " ." else line[1:] for line in lines[3:])
        with open(os.path.join(SOURCE, "LICENSE"), encoding="utf-8") as f:
            licence = f.read()
        self.assertEqual(text + "\n", licence[licence.index("Permission"):])

    def test_changelog_and_manual_page_name_this_version(self):
        for name in (f"{DOCS}/changelog.gz", "usr/share/man/man1/mandelbrot.1.gz"):
            with open(os.path.join(self.root, name), "rb") as f:
                # Neither a file name nor a time stamp in the gzip header: the
                # same source gives the same package.
                self.assertEqual(f.read(8)[3:], b"\0" * 5, name)
        with gzip.open(os.path.join(self.root, DOCS, "changelog.gz"), "rt") as f:
            self.assertEqual(f.readline(), f"mandelbrot ({VERSION}) unstable; urgency=medium\n")
        with gzip.open(os.path.join(self.root, "usr/share/man/man1/mandelbrot.1.gz"), "rt") as f:
            self.assertEqual(f.readline(), f'.TH MANDELBROT 1 "" "mandelbrot {VERSION}" "User Commands"\n')

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
        self.assertIn(f"usr/share/icons/hicolor/48x48/apps/{section['Icon']}.png", self.files)

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
