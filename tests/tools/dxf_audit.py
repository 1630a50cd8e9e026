#!/usr/bin/python3
"""Opens DXF files with ezdxf and audits them; exits non-zero on any error.

Usage: dxf_audit.py FILE...            audit the files
       dxf_audit.py --run CMD... --dxf FILE   run CMD (which writes FILE), then audit FILE
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


def main(argv):
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
