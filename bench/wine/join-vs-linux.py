#!/usr/bin/python3
"""Times the Windows plenwick-join.exe under wine64 against the Linux build on one generated set.

    join-vs-linux.py [--windows BUILD] [--linux BIN] [--count 200] [--rounds 5]

Both programs join the same COUNT generated documents (../shared/tools/gen_corpus.py, made in the
temporary folder and removed at the end) with a save after each, as a person's run does, in turn,
once untimed and then ROUNDS times. Printed: the medians of wall time, of the program's processor
time and, under wine, of the wine server's processor time, which does the program's file system
calls for it and is part of its cost; then their ratios. Wine's own start-up is measured apart
(`--version`, with the server running and, as "cold", with none) and printed too, for it is no
work of the program's.

The wine server is kept running for the whole measurement, in the build's own wine prefix: a
server that has to start (with wine's services) for every run would cost each run most of a
second that no Windows machine pays. Wall times include the flush of every save to the disk, so
they follow the disk's load; processor times are the fairer figures on a busy machine.
The server is ended at the end (wineserver -k), so nothing else should use the prefix meanwhile:
the Windows tests, for one, expect a server of their own.
"""
import argparse
import glob
import os
import statistics
import subprocess
import sys
import tempfile
import time
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
SHARED = os.environ.get("PLENWICK_SHARED_DIR", os.path.join(ROOT, "..", "shared"))
WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def server_cpu(prefix):
    """Processor seconds used by the wine server of the prefix (it works in a folder named after
    the prefix's device and inode), not by other servers on the machine."""
    st = os.stat(prefix)
    suffix = "server-%x-%x" % (st.st_dev, st.st_ino)
    found = subprocess.run(["pgrep", "-x", "wineserver64"], capture_output=True, text=True)
    for pid in found.stdout.split():
        try:
            if not os.readlink("/proc/%s/cwd" % pid).endswith(suffix):
                continue
            with open("/proc/%s/stat" % pid) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
        except (OSError, IndexError, ValueError):
            pass
    return 0.0


def run(args, out_folder):
    for old in glob.glob(os.path.join(out_folder, "*")):
        os.remove(old)
    prefix = os.environ["WINEPREFIX"]
    server_before = server_cpu(prefix)
    start = time.monotonic()
    with subprocess.Popen(args, stdout=subprocess.DEVNULL) as p:
        _, status, usage = os.wait4(p.pid, 0)
        p.returncode = os.waitstatus_to_exitcode(status)
    wall = time.monotonic() - start
    if p.returncode != 0:
        raise SystemExit("%s failed (%d)" % (" ".join(args), p.returncode))
    return wall, usage.ru_utime + usage.ru_stime, server_cpu(prefix) - server_before


def medians(samples):
    return tuple(statistics.median(s[i] for s in samples) for i in range(3))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--windows", default=os.path.join(ROOT, "build", "windows"))
    ap.add_argument("--linux", default=os.path.join(ROOT, "build", "ci", "cli", "plenwick-join"))
    ap.add_argument("--count", type=int, default=200)
    ap.add_argument("--rounds", type=int, default=5)
    a = ap.parse_args()
    # wine takes only an absolute prefix, and the programs run from the temporary folder.
    a.windows, a.linux = os.path.abspath(a.windows), os.path.abspath(a.linux)
    exe = os.path.join(a.windows, "cli", "plenwick-join.exe")
    gen = os.path.join(SHARED, "tools", "gen_corpus.py")
    for need, what in ((exe, "the Windows build"), (a.linux, "the Linux build"), (WINE, "wine64"),
                       (gen, "../shared/tools")):
        if not os.path.exists(need):
            print("no %s at %s" % (what, need), file=sys.stderr)
            return 2
    os.environ.update(WINEPREFIX=os.path.join(a.windows, "wineprefix"), WINEDEBUG="-all",
                      WINEDLLOVERRIDES="mscoree,mshtml=")
    work = tempfile.mkdtemp(prefix="plenwick-wine-bench-")
    try:
        source = os.path.join(work, "set")
        out = os.path.join(work, "out")
        os.makedirs(out)
        subprocess.run(["/usr/bin/python3", gen, "--count", str(a.count), "--out", source],
                       stdout=subprocess.DEVNULL, check=True)
        # The prefix is made on first use, and a persistent server outlives each run.
        subprocess.run([WINE, exe, "--version"], stdout=subprocess.DEVNULL, check=True)
        # What a run pays when no wine server is running: wine's own start with its services.
        cold = []
        for _ in range(a.rounds):
            subprocess.run([WINESERVER, "-w"], check=True)
            cold.append(run([WINE, exe, "--version"], out))
        subprocess.run([WINESERVER, "-w"], check=True)
        subprocess.run([WINESERVER, "-p"], check=True)
        programs = {
            "Linux": [a.linux, "--quiet", "--output", os.path.join(out, "linux.docx"), source],
            "wine64": [WINE, exe, "--quiet", "--output", windows_path(os.path.join(out, "w.docx")),
                       windows_path(source)],
            "wine64 --version": [WINE, exe, "--version"],
        }
        samples = {name: [] for name in programs}
        for name, args in programs.items():
            run(args, out)
        for _ in range(a.rounds):
            for name, args in programs.items():
                samples[name].append(run(args, out))
        print("%d generated documents, a save after each, medians of %d rounds (load %s)"
              % (a.count, a.rounds, " ".join("%.2f" % x for x in os.getloadavg())))
        figures = {name: medians(s) for name, s in samples.items()}
        figures["wine64 cold"] = medians(cold)
        for name, (wall, cpu, server) in figures.items():
            print("%-16s wall %.2f s, processor %.2f s, wine server %.2f s" % (name, wall, cpu, server))
        lw, lc, _ = figures["Linux"]
        ww, wc, ws = figures["wine64"]
        print("wine64 / Linux: wall %.2f, processor (with the server's) %.2f" % (ww / lw, (wc + ws) / lc))
    finally:
        subprocess.run([WINESERVER, "-k"], stderr=subprocess.DEVNULL)
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
