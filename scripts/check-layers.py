#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Fails when a source file includes a header of a layer that it may not use.

The layers and what each may use are those of docs/architecture.md: a layer
uses its own headers and those of the layers below it; the faces (qxdec,
qxenc, qx, api and the page's bindings) use none of each other's, and qx
reads archives through include/qx1.h alone."""

import pathlib
import re
import sys

BASE = ["util", "platform", "codec", "archive"]
MAY_USE = {
    "util": ["util"],
    "platform": ["platform", "util"],
    "codec": ["codec", "platform", "util"],
    "archive": BASE,
    "reader": ["reader"] + BASE,
    "create": ["create"] + BASE,
    "api": ["api", "reader", "qx1.h"] + BASE,
    "qxdec": ["qxdec", "reader"] + BASE,
    "qxenc": ["qxenc", "create", "platform", "util"],
    "qx": ["qx", "create", "platform", "util", "qx1.h"],
    "bindings": ["qx1.h"],
}

root = pathlib.Path(__file__).resolve().parents[1]
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
problems = []
files = [p for p in (root / "src").rglob("*") if p.suffix in (".h", ".cpp")]
files += list((root / "web" / "bindings").glob("*.cpp"))
for path in files:
    layer = path.parent.name if path.parent.name == "bindings" else path.relative_to(root / "src").parts[0]
    allowed = MAY_USE.get(layer)
    if allowed is None:
        problems.append(f"{path.relative_to(root)}: src/{layer}/ is no layer")
        continue
    for header in include.findall(path.read_text(encoding="utf-8")):
        used = header if header == "qx1.h" else header.split("/")[0]
        if used not in allowed:
            problems.append(f"{path.relative_to(root)}: includes {header}, but {layer}/ may use only {', '.join(allowed)}")
for problem in problems:
    print(problem)
print(f"{len(files)} files checked, {len(problems)} includes across layers")
sys.exit(1 if problems else 0)
