#!/usr/bin/env python3
"""Checks that every #include of the project goes down its layers, never up:

  4  composition roots   app/Win32Main.cpp, session/*HbrunMain.cpp
  3  session/            history, scripts, runner
  2  forms               app/ with its handler slices in open/ io/ pathq/ devctl/
  1  pure routines       report/, io/Numbers, io/HexView, io/FileType, the request and query
                         tables (devctl/Requests, pathq/Queries), the request catalogue and
                         decoders (devctl/IoControl, devctl/IoDecoders)
  0  seams               sys/, ui/

A file may include its own layer and those below. Prints each include that goes up and exits 1.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
PURE = ("report/", "io/Numbers.", "io/HexView.", "io/FileType.", "devctl/Requests.",
        "devctl/IoControl.", "devctl/IoDecoders.", "pathq/Queries.")


def layer(path):
    if re.fullmatch(r"app/Win32Main\.cpp|session/\w*HbrunMain\.cpp", path):
        return 4
    if path.startswith("session/"):
        return 3
    if path.startswith(PURE):
        return 1
    if path.startswith(("app/", "open/", "io/", "pathq/", "devctl/")):
        return 2
    if path.startswith(("sys/", "ui/")):
        return 0
    return None


def main():
    faults = 0
    for source in sorted(ROOT.glob("*/*.[ch]*")):
        path = source.relative_to(ROOT).as_posix()
        mine = layer(path)
        if mine is None:
            continue
        for number, line in enumerate(source.read_text(errors="replace").splitlines(), 1):
            m = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
            if not m:
                continue
            theirs = layer(m.group(1))
            if theirs is not None and theirs > mine:
                print(f"{path}:{number}: includes {m.group(1)}, a layer above it")
                faults += 1
    print(f"layers: {faults} include(s) going up" if faults else "layers: every include goes down")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
