#!/usr/bin/python3
"""Opens DXF files with ezdxf and audits them; exits non-zero on any error.

Usage: dxf_audit.py FILE...            audit the files
       dxf_audit.py --run CMD... --dxf FILE   run CMD (which writes FILE), then audit FILE
       dxf_audit.py --kept ORIGINAL SAVED     audit SAVED and check that it holds every entity
                                             of ORIGINAL: the same count of each kind in model
                                             space, paper space and the named blocks
"""
import subprocess
import sys

try:
    import ezdxf
except ImportError:
    print("python3-ezdxf is not installed (apt-get install python3-ezdxf)", file=sys.stderr)
    sys.exit(2)


def audit(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    for e in auditor.errors:
        print(f"{path}: error {e.code}: {e.message}", file=sys.stderr)
    for f in auditor.fixes:
        print(f"{path}: fixed {f.code}: {f.message}", file=sys.stderr)
    msp = doc.modelspace()
    print(f"{path}: {doc.dxfversion}, {len(msp)} model-space entities, "
          f"{len(doc.blocks)} blocks, {len(auditor.errors)} errors, {len(auditor.fixes)} fixes")
    return not auditor.has_errors


def file_blocks(path):
    """The names of the blocks the file defines (ezdxf adds arrow blocks of its own)."""
    with open(path, "rb") as f:
        lines = [line.strip() for line in f.read().decode("latin-1").splitlines()]
    names, in_block = set(), False
    for code, value in zip(lines[0::2], lines[1::2]):
        if code == "0":
            in_block = value == "BLOCK"
        elif code == "2" and in_block:
            names.add(value.upper())
            in_block = False
    return names


def kinds(doc, path):
    """Entities per (layout or named block, kind); a dimension's picture is drawn anew."""
    n = {}
    defined = file_blocks(path)
    for block in doc.blocks:
        name = block.name.upper()
        if name.startswith("*D") or not (block.is_any_layout or name in defined):
            continue
        for e in block:
            key = (name, e.dxftype())
            n[key] = n.get(key, 0) + 1
    return n


# Repairs that mean a saved entity lost what it named: a text style, a dimension's picture, a
# dimension style.
LOST_LINKS = {102, 103, 207}


def kept(original, saved):
    ok = audit(saved)
    doc = ezdxf.readfile(saved)
    if any(f.code in LOST_LINKS for f in doc.audit().fixes):
        ok = False
    before = kinds(ezdxf.readfile(original), original)
    after = kinds(ezdxf.readfile(saved), saved)
    for key in sorted(set(before) | set(after)):
        if before.get(key, 0) != after.get(key, 0):
            print(f"{saved}: {key[0]} {key[1]}: {before.get(key, 0)} in {original}, "
                  f"{after.get(key, 0)} saved", file=sys.stderr)
            ok = False
    return ok


def main(argv):
    if len(argv) == 3 and argv[0] == "--kept":
        return 0 if kept(argv[1], argv[2]) else 1
    if argv and argv[0] == "--run":
        cmd = argv[1:]
        if "--dxf" not in cmd:
            print("--run needs --dxf FILE", file=sys.stderr)
            return 2
        target = cmd[cmd.index("--dxf") + 1]
        subprocess.run(cmd, check=True)
        files = [target]
    else:
        files = argv
    if not files:
        print(__doc__, file=sys.stderr)
        return 2
    ok = all([audit(f) for f in files])
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
