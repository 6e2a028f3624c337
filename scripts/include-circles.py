#!/usr/bin/env python3
"""Finds include circles among the units of src/ (a unit is a header with its
source) and lists which folder includes which. Exits 1 when there is a circle,
other than one made only of the units --known names (comma-separated)."""
import argparse
import os
import re
import sys

parser = argparse.ArgumentParser(description=__doc__)
parser.add_argument("--known", default="", help="units of a circle still tolerated, e.g. text/memo,text/rangepainter")
known = {unit for unit in parser.parse_args().known.split(",") if unit}

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

units = {}
for folder, _, names in os.walk(root):
    for name in names:
        stem, ext = os.path.splitext(name)
        if ext not in (".h", ".cpp"):
            continue
        unit = os.path.relpath(os.path.join(folder, stem), root)
        with open(os.path.join(folder, name), encoding="utf-8") as source:
            for target in include.findall(source.read()):
                target = os.path.splitext(target)[0]
                if target != unit:
                    units.setdefault(unit, set()).add(target)
        units.setdefault(unit, set())

edges = {unit: {t for t in targets if t in units} for unit, targets in units.items()}

# Tarjan's strongly connected components: each of more than one unit is a circle.
index, low, stack, on_stack, circles = {}, {}, [], set(), []


def visit(unit):
    index[unit] = low[unit] = len(index)
    stack.append(unit)
    on_stack.add(unit)
    for target in sorted(edges[unit]):
        if target not in index:
            visit(target)
            low[unit] = min(low[unit], low[target])
        elif target in on_stack:
            low[unit] = min(low[unit], index[target])
    if low[unit] == index[unit]:
        component = []
        while True:
            member = stack.pop()
            on_stack.discard(member)
            component.append(member)
            if member == unit:
                break
        if len(component) > 1:
            circles.append(sorted(component))


sys.setrecursionlimit(10000)
for unit in sorted(edges):
    if unit not in index:
        visit(unit)

folders = {}
for unit, targets in edges.items():
    for target in targets:
        source_folder, target_folder = os.path.dirname(unit), os.path.dirname(target)
        if source_folder != target_folder:
            folders.setdefault(source_folder or ".", set()).add(target_folder or ".")
for folder in sorted(folders):
    print(f"{folder} -> {', '.join(sorted(folders[folder]))}")
print(f"{len(units)} units, {sum(len(t) for t in edges.values())} include arrows")
tolerated = [circle for circle in circles if set(circle) <= known]
for circle in circles:
    print(("known circle: " if circle in tolerated else "circle: ") + " <-> ".join(circle))
print(f"{len(circles)} include circles, {len(tolerated)} of them known")
sys.exit(1 if len(circles) > len(tolerated) else 0)
