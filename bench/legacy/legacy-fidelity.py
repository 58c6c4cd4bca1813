#!/usr/bin/python3
"""Do older documents keep in a join what LibreOffice's own conversion keeps?

Joins the legacy files of ../shared/corpus/public (every .doc, whatever it holds inside, less the
problem files SOURCES.md names) in one result with plenwick-join, which converts them through
LibreOffice, and scores the result with ../shared/tools/fidelity.py. Each file is also converted
alone to .docx by LibreOffice (soffice --convert-to docx, a private profile) and that round trip
is scored against the file. Prints the files whose words or pages match less in the join than in
their own round trip, and the totals of both.

    bench/legacy/legacy-fidelity.py [--join BIN] [--keep DIR] [--cache DIR] [--json FILE]
                                    [FILE...]

With files, only those are taken (in that order of names). --keep leaves the join, the round
trips and the PDFs fidelity.py rendered in DIR, to compare pages by eye.
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
SHARED = os.environ.get("PLENWICK_SHARED_DIR", os.path.normpath(os.path.join(ROOT, "..", "shared")))
CORPUS = os.path.join(SHARED, "corpus", "public")
FIDELITY = os.path.join(SHARED, "tools", "fidelity.py")
PROBLEM = re.compile(r"^\| `([^`]*)`.*\| (MALFORMED|ENCRYPTED|MISLABELLED|ODD|SECURITY)")


def legacy_files():
    problems = set()
    with open(os.path.join(CORPUS, "SOURCES.md"), encoding="utf-8") as f:
        for line in f:
            m = PROBLEM.match(line)
            if m:
                problems.add(m.group(1))
    found = []
    for top, _, names in os.walk(CORPUS):
        for n in names:
            rel = os.path.relpath(os.path.join(top, n), CORPUS)
            if n.lower().endswith(".doc") and rel not in problems:
                found.append(rel)
    return sorted(found)


def fidelity(out, inputs, work, cache, keep=None):
    lst = os.path.join(work, "inputs")
    rep = os.path.join(work, "report.json")
    with open(lst, "w", encoding="utf-8") as f:
        f.write("".join(p + "\n" for p in inputs))
    cmd = ["nice", "/usr/bin/python3", FIDELITY, "--quiet", "--cache", cache, "--out", rep]
    cmd += ["--keep", keep] if keep else []
    cmd += [out, "--inputs-from", lst]
    subprocess.run(cmd, check=False)
    if not os.path.isfile(rep):
        return None
    with open(rep, encoding="utf-8") as f:
        r = json.load(f)
    os.remove(rep)
    return r


def round_trips(files, outdir, work):
    """Each file converted alone to .docx by LibreOffice; {name: path or None}."""
    profile = "file://" + os.path.join(work, "profile")
    subprocess.run(["nice", "soffice", "-env:UserInstallation=" + profile, "--headless",
                    "--norestore", "--convert-to", "docx", "--outdir", outdir] + files,
                   capture_output=True, check=False, timeout=1800)
    made = {}
    for f in files:
        docx = os.path.join(outdir, os.path.splitext(os.path.basename(f))[0] + ".docx")
        made[f] = docx if os.path.isfile(docx) else None
    return made


def record(rec):
    if rec is None or not rec.get("converts"):
        return None
    return {"pages": rec["pages"] or 0, "matched": rec["visual_pages_matched"] or 0,
            "words": rec["words"] or 0, "text": rec["text_score"]}


def found_words(r):
    return round(r["text"] * r["words"]) if r["text"] is not None else 0


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[1])
    ap.add_argument("files", nargs="*", help="corpus files (paths below the corpus) to take")
    ap.add_argument("--join", default=os.path.join(ROOT, "build", "ci", "cli", "plenwick-join"))
    ap.add_argument("--keep", metavar="DIR")
    ap.add_argument("--cache", metavar="DIR",
                    default=os.path.join(tempfile.gettempdir(), "plenwick-fidelity-cache"))
    ap.add_argument("--json", metavar="FILE")
    args = ap.parse_args()
    if not os.path.isfile(FIDELITY) or not os.path.isdir(CORPUS):
        sys.exit("no %s or no corpus at %s" % (FIDELITY, CORPUS))
    if not os.access(args.join, os.X_OK):
        sys.exit("no plenwick-join at %s (build it)" % args.join)
    names = [os.path.relpath(os.path.abspath(f), CORPUS) if os.path.isabs(f) else f
             for f in args.files] or legacy_files()

    work = tempfile.mkdtemp(prefix="plenwick-legacy-fidelity-")
    try:
        # plenwick-join takes a folder: one of plain copies, named so that the walk keeps the
        # corpus order and no two files share a name.
        src = os.path.join(work, "in")
        os.makedirs(src)
        inputs = []
        for k, rel in enumerate(names):
            dst = os.path.join(src, "%03d-%s" % (k, os.path.basename(rel)))
            shutil.copyfile(os.path.join(CORPUS, rel), dst)
            inputs.append(dst)
        listed = subprocess.run([args.join, "--list", "--order", "name", src], check=True,
                                capture_output=True, text=True).stdout.splitlines()
        if listed != inputs:
            sys.exit("plenwick-join would join another list than the one scored")
        out = os.path.join(work, "join.docx")
        r = subprocess.run(["nice", args.join, "--quiet", "--order", "name", "-o", out, src],
                           capture_output=True, text=True)
        if r.stderr.strip():
            sys.stderr.write(r.stderr)
        if not os.path.isfile(out):
            sys.exit("the join wrote nothing (status %d)" % r.returncode)
        keep_join = os.path.join(args.keep, "join-pdf") if args.keep else None
        joined = fidelity(out, inputs, work, args.cache, keep_join)
        if joined is None:
            sys.exit("fidelity.py could not score the join")

        trips_dir = os.path.join(work, "trips")
        os.makedirs(trips_dir)
        trips = round_trips(inputs, trips_dir, work)
        rows = []
        for k, (rel, path) in enumerate(zip(names, inputs)):
            j = record(joined["per_input"][k])
            t = None
            if trips[path]:
                keep_trip = os.path.join(args.keep, "trip-pdf", "%03d" % k) if args.keep else None
                rt = fidelity(trips[path], [path], work, args.cache, keep_trip)
                t = record(rt["per_input"][0]) if rt and rt["output"]["converts"] else None
            rows.append({"file": rel, "join": j, "trip": t})
        if args.keep:
            os.makedirs(args.keep, exist_ok=True)
            shutil.copyfile(out, os.path.join(args.keep, "join.docx"))
            shutil.copytree(trips_dir, os.path.join(args.keep, "trips"), dirs_exist_ok=True)
            with open(os.path.join(args.keep, "inputs"), "w", encoding="utf-8") as f:
                f.write("".join(os.path.join(CORPUS, n) + "\n" for n in names))
    finally:
        shutil.rmtree(work, ignore_errors=True)

    below = []
    tot = {"pages": 0, "join_pages": 0, "trip_pages": 0, "words": 0, "join_words": 0,
           "trip_words": 0}
    for row in rows:
        j, t = row["join"], row["trip"]
        if j is None:
            continue
        tot["pages"] += j["pages"]
        tot["words"] += j["words"]
        tot["join_pages"] += j["matched"]
        tot["join_words"] += found_words(j)
        if t is not None:
            tot["trip_pages"] += t["matched"]
            tot["trip_words"] += found_words(t)
            if j["matched"] < t["matched"] or found_words(j) < found_words(t):
                below.append(row)
    print("%d legacy files, %d convert for fidelity.py; join: %s pages" % (
        len(rows), sum(1 for r in rows if r["join"]), joined["output"]["pages"]))
    if below:
        print("below their own round trip (pages matched join/trip, words found join/trip):")
        for row in below:
            j, t = row["join"], row["trip"]
            print("  pages %2d/%-2d of %-2d  words %5d/%-5d of %-5d  %s" % (
                j["matched"], t["matched"], j["pages"], found_words(j), found_words(t),
                j["words"], row["file"]))
    else:
        print("no file below its own round trip")
    pct = lambda a, b: 100.0 * a / b if b else 0.0
    print("join:        words %.1f %% (%d of %d), pages %d of %d (%.1f %%)" % (
        pct(tot["join_words"], tot["words"]), tot["join_words"], tot["words"],
        tot["join_pages"], tot["pages"], pct(tot["join_pages"], tot["pages"])))
    print("round trips: words %.1f %% (%d of %d), pages %d of %d (%.1f %%)" % (
        pct(tot["trip_words"], tot["words"]), tot["trip_words"], tot["words"],
        tot["trip_pages"], tot["pages"], pct(tot["trip_pages"], tot["pages"])))
    print("join text score (fidelity.py, whole result): %.1f %%" % (100 * joined["text"]["score"]))
    if args.json:
        with open(args.json, "w", encoding="utf-8") as f:
            json.dump({"files": rows, "totals": tot, "below": [r["file"] for r in below],
                       "join_text_score": joined["text"]["score"],
                       "join_visual_score": joined["visual"]["score"]}, f, indent=1)
    return 1 if below else 0


if __name__ == "__main__":
    sys.exit(main())
