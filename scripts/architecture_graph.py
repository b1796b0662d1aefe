#!/usr/bin/env python3
"""Draws the floors of the source tree from its own #include lines.

Every folder of src/ is split into its core part (files that build into zd_core: no widgets)
and its window part (files named *_window, *_dialog, *_pane, *_view, *_widget, *_painter,
*_delegate or *_gui, which build into zd_ui), the same split the top CMakeLists.txt makes.
An arrow A -> B means "files of A include files of B"; an arrow that a longer path of arrows
already implies is left out, so the picture shows the floors rather than every include.

    python3 scripts/architecture_graph.py            # writes docs/architecture.dot
    python3 scripts/architecture_graph.py --check    # fails when docs/architecture.dot is stale
    bash scripts/architecture_graph.sh               # writes the .dot and renders the .svg
"""
import argparse
import collections
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SRC = ROOT / "src"
DOT = ROOT / "docs" / "architecture.dot"
UI_FILE = re.compile(r"_(window|dialog|pane|view|widget|painter|delegate|gui)\.(h|cpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/([^"]+)"', re.M)
# The floors from the bottom up; a folder missing here is drawn on a floor of its own on top.
FLOORS = ["common", "data", "widgets", "grid", "catalog", "cart", "order", "app", "tools"]


def part(folder, file_name):
    if folder in ("app", "tools"):
        return folder
    return f"{folder} ({'windows' if UI_FILE.search(file_name) else 'core'})"


def edges():
    counts = collections.Counter()
    nodes = set()
    for path in sorted(SRC.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        folder = path.relative_to(SRC).parts[0]
        source = part(folder, path.name)
        nodes.add(source)
        for target_folder, target_file in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if not (SRC / target_folder / target_file).exists():
                continue
            target = part(target_folder, target_file)
            nodes.add(target)
            if target != source:
                counts[(source, target)] += 1
    return nodes, counts


def cycles(nodes, counts):
    graph = collections.defaultdict(set)
    for (a, b) in counts:
        graph[a].add(b)
    found, state = [], {}

    def visit(node, stack):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(graph[node]):
            if state.get(nxt) == 1:
                found.append(stack[stack.index(nxt):] + [nxt])
            elif nxt not in state:
                visit(nxt, stack)
        stack.pop()
        state[node] = 2

    for n in sorted(nodes):
        if n not in state:
            visit(n, [])
    return found


def reduced(counts):
    """The arrows left after taking out each one that a longer path implies."""
    graph = collections.defaultdict(set)
    for (a, b) in counts:
        graph[a].add(b)

    def reachable(start, skip):
        seen, todo = set(), [n for n in graph[start] if n != skip]
        while todo:
            n = todo.pop()
            if n not in seen:
                seen.add(n)
                todo.extend(graph[n])
        return seen

    return sorted((a, b) for (a, b) in counts if b not in reachable(a, b))


def floor_of(node):
    folder = node.split(" ")[0]
    return FLOORS.index(folder) if folder in FLOORS else len(FLOORS)


def dot_text(nodes, counts):
    lines = [
        "// Made by scripts/architecture_graph.py from the #include lines of src/; do not edit.",
        "digraph floors {",
        '  rankdir=TB; node [shape=box, style="rounded,filled", fontname="sans-serif"];',
        '  edge [color="#777777"];',
    ]
    by_floor = collections.defaultdict(list)
    for n in nodes:
        by_floor[floor_of(n)].append(n)
    for floor in sorted(by_floor):
        members = " ".join(f'"{n}";' for n in sorted(by_floor[floor]))
        lines.append(f"  {{ rank=same; {members} }}")
    for n in sorted(nodes):
        colour = "#dbe8f7" if "(windows)" in n or n == "app" else "#e8f2dc"
        lines.append(f'  "{n}" [fillcolor="{colour}"];')
    for (a, b) in reduced(counts):
        lines.append(f'  "{a}" -> "{b}";')
    lines.append("}")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--check", action="store_true",
                        help="fail when docs/architecture.dot differs from the code")
    args = parser.parse_args()
    nodes, counts = edges()
    loops = cycles(nodes, counts)
    for loop in loops:
        print("include loop between floors: " + " -> ".join(loop), file=sys.stderr)
    text = dot_text(nodes, counts)
    if args.check:
        if not DOT.exists() or DOT.read_text(encoding="utf-8") != text:
            print(f"{DOT.relative_to(ROOT)} is stale: run bash scripts/architecture_graph.sh",
                  file=sys.stderr)
            return 1
        return 1 if loops else 0
    DOT.write_text(text, encoding="utf-8")
    print(f"wrote {DOT.relative_to(ROOT)}")
    return 1 if loops else 0


if __name__ == "__main__":
    sys.exit(main())
