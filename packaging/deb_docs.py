"""Writes the documents Debian asks of the .deb, from the project's own files.

  deb_docs.py changelog VERSION "NAME <ADDRESS>" CHANGELOG.md OUT.gz
      the Debian changelog, one entry for each release in CHANGELOG.md (whose
      newest release must be VERSION), compressed as Debian wants;
  deb_docs.py copyright LICENSE OUT
      the copyright file in Debian's machine-readable format;
  deb_docs.py gzip IN OUT.gz
      IN compressed at the highest level, with no name or time stamp.

CHANGELOG.md: after its introduction, one '## VERSION (YYYY-MM-DD)' heading
for each release, newest first, each followed by '- ' items whose following
lines are indented by two spaces."""
import datetime
import email.utils
import gzip
import re
import sys
import textwrap

PACKAGE = "mandelbrot"
HEADING = re.compile(r"## (\d+(?:\.\d+)*) \((\d{4})-(\d\d)-(\d\d)\)$")


class FormatError(Exception):
    pass


def write_gzip(data, out):
    with open(out, "wb") as raw, \
            gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as f:
        f.write(data)


def read_releases(path):
    """[(version, date, [item text])], newest first."""
    releases = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f.read().splitlines(), 1):
            heading = HEADING.match(line)
            if heading:
                date = datetime.date(*(int(part) for part in heading.group(2, 3, 4)))
                releases.append((heading.group(1), date, []))
            elif not releases or not line.strip():
                continue
            elif line.startswith("- "):
                releases[-1][2].append(line[2:].strip())
            elif line.startswith("  ") and releases[-1][2]:
                releases[-1][2][-1] += " " + line.strip()
            else:
                raise FormatError(f"{path}:{number}: expected a '- ' item or its indented "
                                  f"continuation: {line}")
    return releases


def debian_changelog(version, maintainer, releases):
    if not releases or releases[0][0] != version:
        newest = releases[0][0] if releases else "none"
        raise FormatError(f"CHANGELOG.md's newest release is {newest}, not {version}")
    entries = []
    for release, date, items in releases:
        if not items:
            raise FormatError(f"release {release} lists no changes")
        when = datetime.datetime.combine(date, datetime.time(), datetime.timezone.utc)
        lines = [f"{PACKAGE} ({release}) unstable; urgency=medium", ""]
        for item in items:
            lines += textwrap.wrap(item, width=79, initial_indent="  * ",
                                   subsequent_indent="    ", break_on_hyphens=False)
        lines += ["", f" -- {maintainer}  {email.utils.format_datetime(when)}"]
        entries.append("\n".join(lines) + "\n")
    return "\n".join(entries)


def debian_copyright(license_path):
    """The MIT licence text as Debian's Expat licence, with its copyright line."""
    with open(license_path, encoding="utf-8") as f:
        lines = f.read().rstrip("\n").splitlines()
    holders = [line for line in lines if line.startswith("Copyright (c) ")]
    if len(holders) != 1:
        raise FormatError(f"{license_path}: expected one 'Copyright (c) ' line")
    text = lines[lines.index(holders[0]) + 1:]
    while text and not text[0].strip():
        text.pop(0)
    body = [" " + line if line.strip() else " ." for line in text]
    return "\n".join([
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/",
        f"Upstream-Name: {PACKAGE}",
        "",
        "Files: *",
        "Copyright: " + holders[0][len("Copyright (c) "):],
        "License: Expat",
    ] + body) + "\n"


def main(argv):
    try:
        if len(argv) == 6 and argv[1] == "changelog":
            text = debian_changelog(argv[2], argv[3], read_releases(argv[4]))
            write_gzip(text.encode("utf-8"), argv[5])
        elif len(argv) == 4 and argv[1] == "copyright":
            with open(argv[3], "w", encoding="utf-8") as f:
                f.write(debian_copyright(argv[2]))
        elif len(argv) == 4 and argv[1] == "gzip":
            with open(argv[2], "rb") as f:
                write_gzip(f.read(), argv[3])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except FormatError as error:
        print(f"deb_docs: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
