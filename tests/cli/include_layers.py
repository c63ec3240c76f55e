#!/usr/bin/env python3
"""The sources' include graph runs downwards only: a folder includes its own layer or the ones below it; the
folders of a layer marked apart never include each other, and those of another layer never in a circle. A new
folder must be given its layer here.

Layers, lowest first: the platform; the Qt-free core of formulas and tables; the services (the network and the
loaded modules' interfaces below the servers and the datasheet library); the screens, each apart (one opens
another through the menu's factory), then the menu that knows them all; the window's Qt binding; the two
programs, apart: the command line and the window. src/gui itself may include upwards."""
import pathlib
import re
import sys

# (folders, apart)
LAYERS = [
    (["platform"], True),
    (["core"], True),
    (["net", "pdftext"], True),
    (["tlsmodule", "ftp", "web", "library"], False),
    (["decoders", "calculators", "datasheets", "benchscreens"], True),
    (["app"], True),
    (["gui"], True),
    (["cli", "window"], True),
]
RANK = {folder: rank for rank, (folders, _) in enumerate(LAYERS) for folder in folders}
APART = {rank for rank, (_, apart) in enumerate(LAYERS) if apart}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/', re.M)


def include_graph(src):
    """{(from folder, to folder): first file with that include} over src, a folder's own includes left out."""
    edges = {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        folder = path.relative_to(src).parts[0]
        for target in INCLUDE.findall(path.read_text(errors="replace")):
            if target != folder:
                edges.setdefault((folder, target), path.relative_to(src))
    return edges


def problems(src):
    edges = include_graph(src)
    found = []
    for (folder, target), where in sorted(edges.items()):
        for name in (folder, target):
            if name not in RANK:
                found.append(f"src/{name}/ has no layer in {pathlib.Path(__file__).name}")
        if folder not in RANK or target not in RANK or folder == "gui":
            continue
        if RANK[target] > RANK[folder]:
            found.append(f"src/{where} includes {target}/, a layer above {folder}/")
        elif RANK[target] == RANK[folder] and RANK[folder] in APART:
            found.append(f"src/{where} includes {target}/, which stands apart from {folder}/")
    # Circles between the folders of one layer (outside gui), found by a walk from each folder.
    within = {}
    for (folder, target) in edges:
        if folder != "gui" and RANK.get(folder) is not None and RANK.get(folder) == RANK.get(target):
            within.setdefault(folder, set()).add(target)
    for start in sorted(within):
        seen, todo = set(), list(within[start])
        while todo:
            here = todo.pop()
            if here == start:
                found.append(f"src/{start}/ includes itself through {', '.join(sorted(within[start]))}/")
                break
            if here not in seen:
                seen.add(here)
                todo.extend(within.get(here, ()))
    return sorted(set(found))


def self_test():
    """The check itself finds an arrow upwards, a circle and an unknown folder in a made-up tree."""
    import tempfile
    with tempfile.TemporaryDirectory() as tmp:
        src = pathlib.Path(tmp)
        files = {
            "net/A.cpp": '#include "net/A.h"\n#include "platform/Log.h"\n',
            "platform/Log.cpp": '#include "net/A.h"\n',
            "ftp/B.cpp": '#include "web/C.h"\n',
            "web/C.cpp": ' #  include "ftp/B.h"\n#include <gui/X.h>\n',
            "gui/D.cpp": '#include "cli/E.h"\n',
            "misc/F.h": "",
            "cli/G.cpp": '#include "misc/F.h"\n',
            "window/H.cpp": '#include "gui/D.h"\n#include "cli/G.h"\n',
        }
        for name, text in files.items():
            (src / name).parent.mkdir(parents=True, exist_ok=True)
            (src / name).write_text(text)
        expected = [
            "src/ftp/ includes itself through web/",
            "src/misc/ has no layer in " + pathlib.Path(__file__).name,
            "src/platform/Log.cpp includes net/, a layer above platform/",
            "src/web/ includes itself through ftp/",
            "src/window/H.cpp includes cli/, which stands apart from window/",
        ]
        got = problems(src)
        if got != expected:
            sys.exit("the layer check itself is wrong:\n  " + "\n  ".join(got))


def main():
    self_test()
    src = pathlib.Path(__file__).resolve().parents[2] / "src"
    found = problems(src)
    for line in found:
        print(line, file=sys.stderr)
    if found:
        sys.exit(1)
    print(f"{len(include_graph(src))} arrows between {len(RANK)} folders, all downwards")


if __name__ == "__main__":
    main()
