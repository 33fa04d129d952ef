#!/usr/bin/env python3
"""The layers' rule over the sources: every quoted include names exactly one file of a layer the
including file may use, and no two folders of one layer include each other, directly or round
a circle. The build keeps the first part too (each library sees only its own include roots);
this check says it in words and catches what a shared include root would let through.

    domain   src/domain    includes only the domain
    model    src/model     the domain and itself
    platform src/platform  the domain and itself (the substitute and the Win32 services)
    views    src/views     all of the above, and the resource ids under res/

Usage: check-layers.py SRC_DIR
"""
import os
import re
import sys

LAYERS = {
    "domain": {"domain"},
    "model": {"domain", "model"},
    "platform": {"domain", "platform"},
    "views": {"domain", "model", "platform", "views"},
}
# Files made by the build, named as if they lay in a layer's root.
GENERATED = {"core/version.h": "domain"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layer_root(src, layer):
    # The platform's implementations are named from src/ ("platform/win32/…").
    return src if layer == "platform" else os.path.join(src, layer)


def relative_files(src, layer):
    top = os.path.join(src, layer)
    root = layer_root(src, layer)
    for folder, _, names in os.walk(top):
        for name in names:
            if name.endswith((".h", ".cpp", ".in")):
                path = os.path.join(folder, name)
                yield os.path.relpath(path, root).replace(os.sep, "/"), path


def main(src):
    problems = []
    owner = {}  # include name -> layer
    files = []  # (layer, name, path)
    for layer in LAYERS:
        for name, path in relative_files(src, layer):
            key = name[:-3] if name.endswith(".h.in") else name
            if key in owner:
                problems.append(f"{name}: the same name in {owner[key]} and {layer}")
            owner[key] = layer
            files.append((layer, name, path))
    for name, layer in GENERATED.items():
        owner.setdefault(name, layer)

    edges = {}  # (layer, folder) -> set of folders of the same layer
    for layer, name, path in files:
        with open(path, encoding="utf-8") as f:
            text = f.read()
        folder = name.split("/")[0] if "/" in name else ""
        node = (layer, folder)
        edges.setdefault(node, set())
        here = os.path.dirname(path)
        for included in INCLUDE.findall(text):
            if os.path.exists(os.path.join(here, included)) and "/" not in included:
                continue  # a header beside the file
            if layer == "views" and included.startswith("res/"):
                continue
            target = owner.get(included)
            if target is None:
                problems.append(f"{path}: #include \"{included}\" names no file of any layer")
            elif target not in LAYERS[layer]:
                problems.append(f"{path}: #include \"{included}\" reaches up into {target}")
            elif target == layer:
                other = included.split("/")[0]
                if other != folder:
                    edges[node].add((layer, other))

    problems += [f"folders include each other: {' -> '.join(c)}" for c in circles(edges)]
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} layer problem(s)")
        return 1
    return 0


def circles(edges):
    """One circle per strongly connected group of folders (Tarjan), named in order."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on_stack.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                found.append([f"{layer}/{folder}" for layer, folder in sorted(group)])

    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "src"))
