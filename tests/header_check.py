"""Checks that every header under core/ compiles on its own: each includes
what it uses. Usage:
    header_check.py SOURCE_DIR COMPILER FLAG...
First proves on a probe that a header missing an include fails.
"""
import concurrent.futures
import os
import pathlib
import subprocess
import sys
import tempfile


def CompilesAlone(compiler, flags, source_dir, header):
    """Returns the compiler's complaint about header alone, or None."""
    with tempfile.TemporaryDirectory() as directory:
        unit = os.path.join(directory, "alone.cpp")
        with open(unit, "w") as alone:
            alone.write('#include "%s"\n' % header)
        result = subprocess.run([compiler] + flags + ["-I", source_dir, "-I", directory, "-c", unit,
                                 "-o", os.path.join(directory, "alone.o")],
                                capture_output=True, text=True)
        return None if result.returncode == 0 else result.stderr


def main():
    source_dir, compiler, flags = sys.argv[1], sys.argv[2], sys.argv[3:]
    with tempfile.TemporaryDirectory() as directory:
        probe = os.path.join(directory, "probe.h")
        with open(probe, "w") as header:
            header.write("#pragma once\ninline std::int64_t Twice(std::int64_t x) { return x + x; }\n")
        if CompilesAlone(compiler, flags, directory, "probe.h") is None:
            print("a header without <cstdint> compiled alone: the check cannot fail")
            return 1
    headers = sorted(str(path.relative_to(source_dir))
                     for path in pathlib.Path(source_dir, "core").rglob("*.h"))
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
        complaints = list(pool.map(lambda h: CompilesAlone(compiler, flags, source_dir, h), headers))
    failed = [(h, c) for h, c in zip(headers, complaints) if c is not None]
    for header, complaint in failed:
        print("%s does not compile on its own:\n%s" % (header, complaint))
    print("%d of %d headers under core/ compile on their own" % (len(headers) - len(failed), len(headers)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
