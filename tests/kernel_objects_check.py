"""Checks that the vector kernels' objects define no weak code.

Code that two objects both define weakly (an inline function the compiler
did not inline) is kept from one of them, whichever the linker meets first:
from a wide kernel's object, it would be wide code reached from the baseline.
So the kernels' objects may define code only with internal linkage or as
their own strong functions. Usage:
    kernel_objects_check.py COMPILER ARCHIVE MEMBER...
First proves on a probe that the check sees weak code at all.
"""
import os
import re
import subprocess
import sys
import tempfile

WEAK_BINDINGS = {"WEAK", "UNIQUE", "GNU_UNIQUE"}


def WeakCode(path):
    """Returns {object: [symbol, ...]} of weak symbols defined in executable
    sections, with an entry for every object seen."""
    output = subprocess.run(["readelf", "--wide", "--section-headers", "--symbols", path],
                            check=True, capture_output=True, text=True).stdout
    member = os.path.basename(path)
    found = {member: []}
    executable = set()
    for line in output.splitlines():
        file_match = re.match(r"^File: .*\((.*)\)$", line)
        if file_match:
            member = file_match.group(1)
            found[member] = []
            executable = set()
            continue
        section = re.match(r"^\s*\[\s*(\d+)\]\s+(\S+)\s+\S+\s+\S+\s+\S+\s+\S+\s+\S+\s+(\S*)", line)
        if section and "X" in section.group(3):
            executable.add(section.group(1))
            continue
        symbol = re.match(r"^\s*\d+:\s+\S+\s+\d+\s+\S+\s+(\S+)\s+\S+\s+(\S+)\s+(.*)$", line)
        if symbol and symbol.group(1) in WEAK_BINDINGS and symbol.group(2) in executable:
            found.setdefault(member, []).append(symbol.group(3))
    return found


def Demangle(names):
    result = subprocess.run(["c++filt"], input="\n".join(names), capture_output=True, text=True)
    return result.stdout.split("\n") if result.returncode == 0 else names


def ProbeIsCaught(compiler):
    """An inline function called without optimisation is weak code: the check must say so."""
    with tempfile.TemporaryDirectory() as directory:
        source = os.path.join(directory, "probe.cpp")
        target = os.path.join(directory, "probe.o")
        with open(source, "w") as probe:
            probe.write("inline int Twice(int x) { return x + x; }\nint Use(int x) { return Twice(x); }\n")
        subprocess.run([compiler, "-O0", "-c", source, "-o", target], check=True)
        return any(WeakCode(target).values())


def main():
    compiler, archive, members = sys.argv[1], sys.argv[2], sys.argv[3:]
    if not ProbeIsCaught(compiler):
        print("the check does not see the weak code of a probe")
        return 1
    weak = WeakCode(archive)
    failed = False
    for member in members:
        matches = [name for name in weak if name.startswith(member + ".")]
        if not matches:
            failed = True
            print(member + " is not in " + archive)
        for name in matches:
            if weak[name]:
                failed = True
                print(name + " defines weak code:")
                for symbol in Demangle(weak[name]):
                    print("    " + symbol)
    if not failed:
        print("no weak code in " + ", ".join(members))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
