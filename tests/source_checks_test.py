"""The source checks find what they look for, on small trees made here (not
git checkouts, so the checks walk the folders themselves).

source_checks_test.py CLANG_FORMAT"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKS = os.path.join(HERE, "source_checks.py")
CLANG_FORMAT = ""

UNFORMATTED = "int  main( ) {return 0;}\n"


def write(root, name, text):
    path = os.path.join(root, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)
    return path


class SourceChecksTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="source-checks-")
        self.addCleanup(shutil.rmtree, self.root)

    def run_check(self, *args):
        result = subprocess.run([sys.executable, CHECKS, *args, self.root], capture_output=True,
                                text=True)
        return result.returncode, result.stdout

    def test_format_lists_exactly_the_unformatted_sources(self):
        shutil.copy(os.path.join(HERE, "..", ".clang-format"), self.root)
        formatted = subprocess.run([CLANG_FORMAT, "--style=file",
                                    "--assume-filename=" + os.path.join(self.root, "x.cpp")],
                                   input=UNFORMATTED, check=True, capture_output=True,
                                   text=True).stdout
        self.assertNotEqual(formatted, UNFORMATTED)
        write(self.root, "core/good.cpp", formatted)
        bad = write(self.root, "shell/bad.h", UNFORMATTED)
        write(self.root, "notes.txt", UNFORMATTED)
        write(self.root, "build/generated.cpp", UNFORMATTED)
        write(self.root, ".cache/old.cpp", UNFORMATTED)
        status, out = self.run_check("format", CLANG_FORMAT)
        self.assertEqual(status, 1)
        self.assertEqual([line.strip() for line in out.splitlines()[1:]], ["shell/bad.h"])
        subprocess.run([CLANG_FORMAT, "-i", "--style=file", bad], check=True)
        self.assertEqual(self.run_check("format", CLANG_FORMAT), (0, ""))

    def test_version_must_be_in_the_readme_and_nowhere_else(self):
        write(self.root, "CMakeLists.txt", "project(demo VERSION 2.3.4 LANGUAGES CXX)\n")
        write(self.root, "README.md", "# Demo\n\nThis is version 2.3.4. It needs CMake 12.3.4.\n")
        write(self.root, "CHANGELOG.md", "# Changes\n\n## 2.3.4 (2026-12-09)\n\n- Faster.\n\n"
                                         "## 2.3.3 (2026-12-01)\n\n- First.\n")
        write(self.root, "core/limits.h", "// 2.3.45 and 2.3.4.1 are other numbers\n")
        self.assertEqual(self.run_check("version", "2.3.4"), (0, ""))

        status, out = self.run_check("version", "2.3.5")
        self.assertEqual(status, 1)
        self.assertIn("CHANGELOG.md's newest release must be 2.3.5; it is 2.3.4", out)

        write(self.root, "CHANGELOG.md", "# Changes\n\n## 2.3.4 (2026-12-09)\n\n- Now 2.3.4.\n")
        status, out = self.run_check("version", "2.3.4")
        self.assertEqual(status, 1)
        self.assertIn("CHANGELOG.md: another copy of the version: - Now 2.3.4.", out)
        write(self.root, "CHANGELOG.md", "# Changes\n\n## 2.3.4 (2026-12-09)\n\n- Faster.\n")

        rc = write(self.root, "shell/app.rc", 'VALUE "FileVersion", "2.3.4"\n')
        status, out = self.run_check("version", "2.3.4")
        self.assertEqual(status, 1)
        self.assertIn("shell/app.rc", out)
        os.remove(rc)

        write(self.root, "README.md", "# Demo\n\nThe latest release.\n")
        status, out = self.run_check("version", "2.3.4")
        self.assertEqual(status, 1)
        self.assertIn("README.md", out)


if __name__ == "__main__":
    CLANG_FORMAT = sys.argv.pop(1)
    unittest.main()
