"""The shipped executable: a GUI program that needs only system DLLs, with a
manifest declaring per-monitor DPI awareness and the supported Windows
versions, and a version resource. Wine treats every process as DPI aware, so
the manifest is checked by reading it back, not by behaviour."""
import os
import re
import struct
import subprocess
import unittest

from harness import PROGRAM

VERSION = os.environ.get("MANDELBROT_VERSION", "")

SYSTEM_DLLS = {"gdi32.dll", "gdiplus.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"}


class ProgramFileTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not VERSION:
            raise RuntimeError("MANDELBROT_VERSION must be set")
        cls.headers = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", PROGRAM], check=True,
                                     capture_output=True, text=True).stdout
        with open(PROGRAM, "rb") as f:
            cls.image = f.read()

    def test_gui_subsystem(self):
        self.assertRegex(self.headers, r"Subsystem\s+00000002\s+\(Windows GUI\)")

    def test_imports_only_system_dlls(self):
        dlls = {name.lower() for name in re.findall(r"DLL Name: (\S+)", self.headers)}
        self.assertTrue(dlls, "no imports found")
        self.assertLessEqual(dlls, SYSTEM_DLLS)

    def test_manifest_declares_dpi_awareness_and_supported_os(self):
        match = re.search(rb"<assembly.*?</assembly>", self.image, re.S)
        self.assertIsNotNone(match, "no embedded manifest")
        manifest = match.group(0).decode()
        self.assertIn("<dpiAwareness", manifest)
        self.assertIn("PerMonitorV2", manifest)
        self.assertIn("true/pm", manifest)
        # Windows 10/11 and 8.1 compatibility GUIDs.
        self.assertIn("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a", manifest)
        self.assertIn("1f676c76-80e1-4239-95bb-83d0f6d0da78", manifest)

    def string_value(self, key):
        """A value of the version resource's string table (UTF-16, after its
        key and the padding to a 4-byte boundary)."""
        pattern = re.escape((key + "\0").encode("utf-16-le")) + rb"(?:\0\0)*((?:[^\0]\0)*)\0\0"
        match = re.search(pattern, self.image)
        self.assertIsNotNone(match, f"no {key} in the version resource")
        return match.group(1).decode("utf-16-le")

    def test_version_resource_carries_the_project_version(self):
        self.assertIn("VS_VERSION_INFO".encode("utf-16-le"), self.image)
        self.assertEqual(self.string_value("ProductName"), "Mandelbrot set viewer")
        self.assertEqual(self.string_value("FileVersion"), VERSION)
        self.assertEqual(self.string_value("ProductVersion"), VERSION)
        signature = self.image.find(struct.pack("<I", 0xFEEF04BD))
        self.assertGreaterEqual(signature, 0, "no fixed version information")
        file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", self.image,
                                                                      signature + 8)
        major, minor, patch = (int(part) for part in VERSION.split("."))
        self.assertEqual((file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF),
                         (major, minor, patch, 0))
        self.assertEqual((product_ms, product_ls), (file_ms, file_ls))


if __name__ == "__main__":
    unittest.main()
