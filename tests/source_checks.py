"""Checks of the source tree itself.

  source_checks.py format CLANG_FORMAT ROOT
      fails, listing them, when C++ files differ from clang-format's output
      under the committed .clang-format;
  source_checks.py version VERSION ROOT
      fails unless the README states the version, CHANGELOG.md's newest
      release is that version, and no file but the top CMakeLists.txt's
      project(), the README and CHANGELOG.md's release heading carries it."""
import os
import re
import subprocess
import sys

CPP_EXTENSIONS = (".c", ".cc", ".cpp", ".cxx", ".h", ".hh", ".hpp")


def source_files(root):
    """Files git would commit (tracked or new, not ignored); without a git
    checkout, every file outside hidden folders and the top build/ folder."""
    try:
        listed = subprocess.run(["git", "-C", root, "ls-files", "--cached", "--others",
                                 "--exclude-standard", "-z"],
                                check=True, capture_output=True).stdout
        names = [name.decode() for name in listed.split(b"\0") if name]
    except (OSError, subprocess.CalledProcessError):
        names = []
        for folder, subfolders, files in os.walk(root):
            subfolders[:] = [name for name in subfolders if not name.startswith(".") and
                             not (folder == root and name == "build")]
            names += [os.path.relpath(os.path.join(folder, name), root) for name in files]
    return sorted(name for name in names if os.path.isfile(os.path.join(root, name)))


def check_format(clang_format, root):
    unformatted = []
    for name in source_files(root):
        if not name.endswith(CPP_EXTENSIONS):
            continue
        path = os.path.join(root, name)
        formatted = subprocess.run([clang_format, "--style=file", path], check=True,
                                   capture_output=True).stdout
        with open(path, "rb") as f:
            if f.read() != formatted:
                unformatted.append(name)
    if unformatted:
        print("Not formatted as .clang-format says (fix with clang-format -i FILE):")
        for name in unformatted:
            print("  " + name)
        return 1
    return 0


RELEASE_HEADING = re.compile(r"## (\S+) \(")


def check_version(version, root):
    token = re.compile(r"(?<![\w.])" + re.escape(version) + r"(?!\.?\d)")
    problems = []
    readme = []
    releases = []
    try:
        with open(os.path.join(root, "CHANGELOG.md"), encoding="utf-8") as f:
            releases = [m.group(1) for m in map(RELEASE_HEADING.match, f) if m]
    except OSError:
        pass
    if not releases or releases[0] != version:
        problems.append(f"CHANGELOG.md's newest release must be {version}; it is "
                        f"{releases[0] if releases else 'missing'}")
    for name in source_files(root):
        with open(os.path.join(root, name), "rb") as f:
            data = f.read()
        if b"\0" in data:
            continue
        for line in data.decode("utf-8", errors="replace").splitlines():
            if not token.search(line):
                continue
            if name == "CMakeLists.txt" and re.match(r"\s*project\(.*\bVERSION ", line):
                continue
            if name == "README.md":
                readme.append(line)
                continue
            if name == "CHANGELOG.md" and RELEASE_HEADING.match(line):
                continue
            problems.append(f"{name}: another copy of the version: {line.strip()}")
    if len(readme) != 1 or not re.search(r"\bversion " + re.escape(version), readme[0], re.I):
        problems.append(f"README.md must say 'version {version}' once; it mentions "
                        f"{version} {len(readme)} times")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


def main(argv):
    if len(argv) == 4 and argv[1] == "format":
        return check_format(argv[2], argv[3])
    if len(argv) == 4 and argv[1] == "version":
        return check_version(argv[2], argv[3])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
