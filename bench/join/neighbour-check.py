#!/usr/bin/python3
"""Does a document look the same whatever it is joined with?

Scores every document three ways with ../shared/tools/fidelity.py: joined alone, as the first of
a join with all the others after it, and as the last of a join with all the others before it.
Prints the documents whose pages (or words) in a join score below their own join of one, and a
total. The joins are the rotations of the list: rotation k starts with document k and ends with
document k-1, so N joins of N documents give every document both places, and every place between:
those are scored too, and the documents that lose pages in a middle place are named with the
places (at place p a document follows the same neighbour, and the join starts p-1 documents
before it in the list).

    bench/join/neighbour-check.py [--engine BIN] [--keep DIR] [--cache DIR] [--json FILE]
                                  (DIR | FILE... | --inputs-from LIST)

A folder is taken as every .docx, .docm, .dotx, .doc and .rtf below it, sorted by path.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
SHARED = os.environ.get("PLENWICK_SHARED_DIR", os.path.normpath(os.path.join(ROOT, "..", "shared")))
FIDELITY = os.path.join(SHARED, "tools", "fidelity.py")
EXTENSIONS = (".docx", ".docm", ".dotx", ".doc", ".rtf")


def documents(args):
    paths = list(args.inputs)
    if args.inputs_from:
        with open(args.inputs_from, encoding="utf-8") as f:
            paths += [line.rstrip("\n") for line in f if line.strip()]
    found = []
    for p in paths:
        if os.path.isdir(p):
            for top, _, files in os.walk(p):
                found += [os.path.join(top, n) for n in files if n.lower().endswith(EXTENSIONS)]
        else:
            found.append(p)
    return sorted(set(os.path.abspath(p) for p in found)) if not args.inputs_from else \
        [os.path.abspath(p) for p in found]


def join(engine, out, inputs, work):
    lst = os.path.join(work, "list")
    with open(lst, "w", encoding="utf-8") as f:
        f.write("".join(p + "\n" for p in inputs))
    r = subprocess.run(["nice", engine, "--quiet", out, "--inputs-from", lst],
                       capture_output=True, text=True)
    if r.returncode != 0 or not os.path.isfile(out):
        sys.stderr.write("join failed (%d): %s\n" % (r.returncode, r.stderr.strip()))
        return False
    return True


def score(out, inputs, work, cache):
    lst = os.path.join(work, "list")
    rep = os.path.join(work, "report.json")
    with open(lst, "w", encoding="utf-8") as f:
        f.write("".join(p + "\n" for p in inputs))
    subprocess.run(["nice", "/usr/bin/python3", FIDELITY, "--quiet", "--cache", cache,
                    "--out", rep, out, "--inputs-from", lst], check=False)
    if not os.path.isfile(rep):
        return None
    with open(rep, encoding="utf-8") as f:
        r = json.load(f)
    os.remove(rep)
    return r


def record(rec):
    if rec is None or not rec.get("converts"):
        return None
    return {"pages": rec["pages"] or 0, "matched": rec["visual_pages_matched"] or 0,
            "text": rec["text_score"]}


def spans(numbers):
    """[2, 3, 4, 7] -> "2-4, 7"."""
    out = []
    for x in numbers:
        if out and out[-1][1] == x - 1:
            out[-1][1] = x
        else:
            out.append([x, x])
    return ", ".join(str(a) if a == b else "%d-%d" % (a, b) for a, b in out)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[1])
    ap.add_argument("inputs", nargs="*", help="a folder of documents, or the documents")
    ap.add_argument("--inputs-from", metavar="LIST", help="one document a line, in this order")
    ap.add_argument("--engine", default=os.path.join(ROOT, "build", "ci", "bench", "join",
                                                     "plenwick-engine-join"))
    ap.add_argument("--keep", metavar="DIR", help="keep the joins and the PDF cache here")
    ap.add_argument("--json", metavar="FILE", help="write every document's three scores here")
    ap.add_argument("--cache", metavar="DIR", help="fidelity.py's PDF cache, shared between runs")
    a = ap.parse_args()
    if not os.path.isfile(FIDELITY):
        sys.exit("no fidelity.py at %s (set PLENWICK_SHARED_DIR)" % FIDELITY)
    if not os.access(a.engine, os.X_OK):
        sys.exit("no engine driver at %s (build plenwick-engine-join)" % a.engine)
    docs = documents(a)
    if len(docs) < 2:
        sys.exit("give at least two documents")
    work = a.keep or tempfile.mkdtemp(prefix="plenwick-neighbours-")
    os.makedirs(work, exist_ok=True)
    cache = a.cache or os.path.join(work, "pdf-cache")
    n = len(docs)
    alone, first, last = [None] * n, [None] * n, [None] * n
    places = [[None] * n for _ in range(n)]  # places[k][p]: document k at place p (0 = first)
    for k, d in enumerate(docs):
        out = os.path.join(work, "alone-%04d.docx" % k)
        if join(a.engine, out, [d], work):
            r = score(out, [d], work, cache)
            alone[k] = record(r["per_input"][0]) if r else None
    for k in range(n):
        order = docs[k:] + docs[:k]
        out = os.path.join(work, "rotation-%04d.docx" % k)
        if join(a.engine, out, order, work):
            r = score(out, order, work, cache)
            if r:
                first[k] = record(r["per_input"][0])
                last[(k - 1) % n] = record(r["per_input"][-1])
                for p, rec in enumerate(r["per_input"]):
                    places[(k + p) % n][p] = record(rec)
        print("rotation %d/%d scored" % (k + 1, n), file=sys.stderr)

    totals = {"alone": [0, 0], "first": [0, 0], "last": [0, 0], "every": [0, 0]}
    worse, middle = [], []
    for k, d in enumerate(docs):
        al = alone[k]
        if al is None:
            continue
        for name, got in (("alone", al), ("first", first[k]), ("last", last[k])):
            if got is not None:
                totals[name][0] += got["matched"]
                totals[name][1] += got["pages"]
        for name, got in (("first", first[k]), ("last", last[k])):
            if got is None:
                worse.append((d, name, al, None))
            elif got["matched"] < al["matched"] or (got["text"] or 0) < (al["text"] or 0) - 1e-4:
                worse.append((d, name, al, got))
        for p, got in enumerate(places[k]):
            if got is not None:
                totals["every"][0] += got["matched"]
                totals["every"][1] += got["pages"]
                if 0 < p < n - 1 and got["matched"] < al["matched"]:
                    middle.append((d, p, al, got))

    def rel(d):
        return os.path.relpath(d) if not os.path.relpath(d).startswith("..") else d

    print("%d documents, %d joins of %d" % (n, n, n))
    for d, name, al, got in worse:
        if got is None:
            print("  %s as %s: join not scored" % (rel(d), name))
            continue
        print("  %s as %s: pages %d/%d (alone %d/%d), text %.1f%% (alone %.1f%%)" % (
            rel(d), name, got["matched"], got["pages"], al["matched"], al["pages"],
            100 * (got["text"] or 0), 100 * (al["text"] or 0)))
    for name in ("alone", "first", "last"):
        m, p = totals[name]
        print("%-5s: %d of %d pages match (%.1f%%)" % (name, m, p, 100.0 * m / p if p else 0))
    docs_worse = len({d for d, _, _, _ in worse})
    print("documents that look worse in a join: %d of %d" % (docs_worse, n))
    # Below the first/last summary, whose lines callers read as they are: one line a document,
    # its places (counted from 1) grouped by what they score.
    for d in sorted({d for d, _, _, _ in middle}, key=docs.index):
        k, by = docs.index(d), {}
        for _, p, al, got in (m for m in middle if m[0] == d):
            by.setdefault((got["matched"], got["pages"]), []).append(p + 1)
        print("  %s after %s: %s of %d (alone %d/%d)" % (
            rel(d), os.path.basename(docs[(k - 1) % n]), "; ".join(
                "pages %d/%d at place%s %s" % (score[0], score[1], "s"[:len(at) > 1], spans(at))
                for score, at in sorted(by.items())), n, al["matched"], al["pages"]))
    m, p = totals["every"]
    print("every place: %d of %d pages match (%.1f%%); documents that lose pages in a middle "
          "place: %d" % (m, p, 100.0 * m / p if p else 0, len({d for d, _, _, _ in middle})))
    if a.json:
        with open(a.json, "w", encoding="utf-8") as f:
            json.dump([{"path": d, "alone": alone[k], "first": first[k], "last": last[k],
                        "places": places[k]} for k, d in enumerate(docs)], f, indent=1)
    if not a.keep:
        subprocess.run(["rm", "-rf", work], check=False)


if __name__ == "__main__":
    main()
