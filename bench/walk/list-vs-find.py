#!/usr/bin/python3
"""Times `plenwick-join --list` against `find -type f` on one generated tree.

    list-vs-find.py [--join BIN] [--folders 1000] [--files 20] [--rounds 21]

The tree (FOLDERS folders of FILES empty .docx files each, in groups of 100 under ten parents) is
made in the temporary folder and removed at the end. Each command runs once untimed, so both
start from a warm cache, then ROUNDS times; the medians of wall and processor time are printed,
and their ratios. Processor time is the fairer figure on a busy machine.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))


def run(args):
    start = time.monotonic()
    with subprocess.Popen(args, stdout=subprocess.DEVNULL) as p:
        _, status, usage = os.wait4(p.pid, 0)
        p.returncode = os.waitstatus_to_exitcode(status)
    wall = time.monotonic() - start
    if p.returncode != 0:
        raise SystemExit("%s failed (%d)" % (args[0], p.returncode))
    return wall, usage.ru_utime + usage.ru_stime


def measure(args, rounds):
    run(args)
    walls, cpus = zip(*(run(args) for _ in range(rounds)))
    return statistics.median(walls), statistics.median(cpus)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--join", default=os.path.join(ROOT, "build", "ci", "cli", "plenwick-join"))
    ap.add_argument("--folders", type=int, default=1000)
    ap.add_argument("--files", type=int, default=20)
    ap.add_argument("--rounds", type=int, default=21)
    a = ap.parse_args()
    if not os.access(a.join, os.X_OK):
        print("no plenwick-join at %s" % a.join, file=sys.stderr)
        return 2
    tree = tempfile.mkdtemp(prefix="plenwick-list-")
    try:
        for d in range(a.folders):
            folder = os.path.join(tree, "g%02d" % (d // 100), "d%04d" % d)
            os.makedirs(folder)
            for f in range(a.files):
                open(os.path.join(folder, "doc%02d.docx" % f), "w").close()
        listed = subprocess.run([a.join, "--list", tree], stdout=subprocess.PIPE, check=True)
        count = listed.stdout.count(b"\n")
        join_wall, join_cpu = measure([a.join, "--list", tree], a.rounds)
        find_wall, find_cpu = measure(["find", tree, "-type", "f"], a.rounds)
        print("%d files in %d folders (%d listed)" % (a.folders * a.files, a.folders, count))
        print("plenwick-join --list: %.1f ms wall, %.1f ms processor" % (join_wall * 1e3, join_cpu * 1e3))
        print("find -type f:         %.1f ms wall, %.1f ms processor" % (find_wall * 1e3, find_cpu * 1e3))
        print("ratio: wall %.2f, processor %.2f" % (join_wall / find_wall, join_cpu / find_cpu))
    finally:
        shutil.rmtree(tree, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
