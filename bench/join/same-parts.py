#!/usr/bin/python3
"""Guards the engine's speed work: a faster join must write exactly what the slower one did.

    same-parts.py record DIR [--engine-join BIN] [--join BIN] [--generated SETDIR]
    same-parts.py check  DIR [--engine-join BIN] [--join BIN] [--generated SETDIR]

`record` joins a fixed set of inputs and keeps the results in DIR; `check` joins the same inputs
with the build at hand and compares every part of each result with the recorded one, byte for
byte (docProps/core.xml only apart from its timestamps), as well as the order of the parts.
The joins:
  corpus-once / corpus-each   every .docx, .docm and .dotx of the shared public corpus, with the
                              engine driver, saved once / after each (failures are part of it)
  generated-once / -each      a generated set (200 documents by default) the same two ways
  corpus-join                 plenwick-join over the whole public corpus folder, legacy files too
Exit status 0 all the same, 1 a difference (each named), 2 a join could not be run.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
SHARED = os.environ.get("PLENWICK_SHARED_DIR", os.path.normpath(os.path.join(ROOT, "..", "shared")))
CORPUS = os.path.join(SHARED, "corpus", "public")
GENERATOR = os.path.join(SHARED, "tools", "gen_corpus.py")
TIMESTAMP = re.compile(rb"(<dcterms:(created|modified)[^>]*>)[^<]*(</dcterms:\2>)")
# LibreOffice, which converts the legacy files, names form-field bookmarks and embedded objects
# with a random number on every run; only the folder join goes through it.
LIBREOFFICE_RANDOM = [(re.compile(rb"__Fieldmark__(\d+)_\d+"), rb"__Fieldmark__\1_"),
                      (re.compile(rb'ObjectID="_\d+"'), rb'ObjectID="_"')]


def corpus_inputs():
    found = []
    for folder, _, files in os.walk(CORPUS):
        for name in files:
            if name.lower().endswith((".docx", ".docm", ".dotx")):
                found.append(os.path.join(folder, name))
    return sorted(found)


def generated_inputs(setdir, count):
    if not setdir:
        setdir = os.path.join(tempfile.gettempdir(), "plenwick-same-parts-%d" % count)
    if not os.path.isdir(setdir) or not any(n.endswith(".docx") for n in os.listdir(setdir)):
        subprocess.run([sys.executable, GENERATOR, "--count", str(count), "--out", setdir],
                       check=True, stdout=subprocess.DEVNULL)
    return sorted(os.path.join(setdir, n) for n in os.listdir(setdir) if n.endswith(".docx"))


def engine_join(binary, out, inputs, each, work):
    listing = os.path.join(work, os.path.basename(out) + ".list")
    with open(listing, "w", encoding="utf-8") as f:
        f.write("".join(p + "\n" for p in inputs))
    args = [binary, "--quiet"] + (["--save-each"] if each else []) + [out, "--inputs-from", listing]
    # Inputs that fail are named on stderr and are part of what is compared: the result must
    # hold the others.
    subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return os.path.exists(out)


def folder_join(binary, out):
    subprocess.run([binary, "--quiet", "--output", out, CORPUS],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return os.path.exists(out)


def parts(path, libreoffice):
    with zipfile.ZipFile(path) as z:
        names = z.namelist()
        content = {}
        for n in names:
            data = z.read(n)
            if n == "docProps/core.xml":
                data = TIMESTAMP.sub(rb"\1\3", data)
            if libreoffice:
                for pattern, fixed in LIBREOFFICE_RANDOM:
                    data = pattern.sub(fixed, data)
            content[n] = data
    return names, content


def compare(label, recorded, fresh):
    libreoffice = label == "corpus-join"
    old_names, old = parts(recorded, libreoffice)
    new_names, new = parts(fresh, libreoffice)
    faults = []
    if old_names != new_names:
        gone = [n for n in old_names if n not in new]
        added = [n for n in new_names if n not in old]
        faults.append("parts differ (gone %s, added %s, or order)" % (gone[:5], added[:5]))
    for n in old_names:
        if n in new and old[n] != new[n]:
            a, b = old[n], new[n]
            at = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
            faults.append("%s differs at byte %d: ...%r... was ...%r..."
                          % (n, at, b[max(0, at - 40):at + 40], a[max(0, at - 40):at + 40]))
    for f in faults:
        print("%s: %s" % (label, f))
    if not faults:
        print("%s: same (%d parts)" % (label, len(old_names)))
    return not faults


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("mode", choices=["record", "check"])
    ap.add_argument("dir")
    ap.add_argument("--engine-join",
                    default=os.path.join(ROOT, "build", "ci", "bench", "join", "plenwick-engine-join"))
    ap.add_argument("--join", default=os.path.join(ROOT, "build", "ci", "cli", "plenwick-join"))
    ap.add_argument("--generated", help="folder of a generated set (made when missing)")
    ap.add_argument("--count", type=int, default=200, help="size of the generated set")
    a = ap.parse_args()
    if not os.path.isdir(CORPUS):
        print("no public corpus at %s (set PLENWICK_SHARED_DIR)" % CORPUS, file=sys.stderr)
        return 2
    os.makedirs(a.dir, exist_ok=True)
    corpus = corpus_inputs()
    generated = generated_inputs(a.generated, a.count)
    with tempfile.TemporaryDirectory(prefix="plenwick-same-parts-") as work:
        target = a.dir if a.mode == "record" else work
        joins = [
            ("corpus-once", lambda o: engine_join(a.engine_join, o, corpus, False, work)),
            ("corpus-each", lambda o: engine_join(a.engine_join, o, corpus, True, work)),
            ("generated-once", lambda o: engine_join(a.engine_join, o, generated, False, work)),
            ("generated-each", lambda o: engine_join(a.engine_join, o, generated, True, work)),
            ("corpus-join", lambda o: folder_join(a.join, o)),
        ]
        same = True
        for label, run in joins:
            out = os.path.join(target, label + ".docx")
            if os.path.exists(out) and a.mode == "record":
                os.remove(out)
            if not run(out):
                print("%s: the join wrote nothing" % label, file=sys.stderr)
                return 2
            if a.mode == "record":
                print("%s: recorded %s" % (label, out))
            else:
                same = compare(label, os.path.join(a.dir, label + ".docx"), out) and same
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
