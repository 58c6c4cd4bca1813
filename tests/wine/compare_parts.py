#!/usr/bin/python3
"""compare_parts.py A.docx B.docx: the two packages hold the same parts with the same bytes.

docProps/core.xml carries the time of the save and is left out. Exit 0 same, 1 different."""
import sys
import zipfile

IGNORED = {"docProps/core.xml"}


def parts(path):
    with zipfile.ZipFile(path) as z:
        return {n: z.read(n) for n in z.namelist() if n not in IGNORED}


def main():
    a, b = parts(sys.argv[1]), parts(sys.argv[2])
    problems = []
    for name in sorted(set(a) | set(b)):
        if name not in a or name not in b:
            problems.append(f"{name}: only in {'first' if name in a else 'second'}")
        elif a[name] != b[name]:
            problems.append(f"{name}: differs ({len(a[name])} and {len(b[name])} bytes)")
    for p in problems:
        print(p)
    print(f"{len(a)} parts compared, {len(problems)} different")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
