#!/usr/bin/env python3
"""Fails when an #include crosses a layer the wrong way.

The layers, bottom to top, are the README's Layout section. A file includes
only files of its own layer or of layers below it; besides that:
- of the catalogue, only PluginHost reaches the format folders;
- the format ABI definitions (Abi/ folders) include nothing of ours but each other.

Usage: check-layers.py [SOURCE_DIR]
"""

import pathlib
import posixpath
import re
import sys

# Files of Core/BaseLib/AudioPlugins/ that make up the catalogue; the rest of
# that folder is the plug-in base that the format folders build on.
CATALOGUE = {
    "AUHost", "FavouritesFile", "PluginHost", "PluginMenuBuilder", "PluginMenuData",
    "PluginMenuFilter", "PluginMetadata", "ScanLock", "ScannerLaunch", "ScannerRun",
    "ScannerWorker", "TFDAudioPluginHost", "TFDPluginFactory", "TFDPluginRegistry",
}
FORMATS = "Main/AudioEngineController/Effects/"
# The one catalogue file that may include a format folder's headers.
FORMAT_GATE = "Core/BaseLib/AudioPlugins/PluginHost."

LAYERS = [
    ("platform", ["Platform/"]),
    ("base library", ["Core/BaseLib/"]),
    ("host application", ["Interfaces/", "Main/VLib/", "Main/StudioModel/", "Main/Actions/"]),
    ("plug-in base", ["Core/BaseLib/AudioPlugins/"]),
    ("VST 2", [FORMATS + "VST/"]),
    ("VST 3", [FORMATS + "VST3/"]),
    ("catalogue", []),  # chosen by CATALOGUE and Isolation/ below
    ("processes", ["Scanner/", "ReWire/", "IsolationHost/"]),
    ("tools", ["tools/", "bench/"]),
]
CATALOGUE_RANK = [name for name, _ in LAYERS].index("catalogue")
SOURCES = ("*.h", "*.cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def rank(path):
    if path.startswith("Core/BaseLib/AudioPlugins/"):
        rest = path[len("Core/BaseLib/AudioPlugins/"):]
        if rest.startswith("Isolation/") or pathlib.PurePosixPath(rest).stem in CATALOGUE:
            return CATALOGUE_RANK
    best = None
    for index, (_, prefixes) in enumerate(LAYERS):
        for prefix in prefixes:
            if path.startswith(prefix) and (best is None or len(prefix) > best[1]):
                best = (index, len(prefix))
    return None if best is None else best[0]


def violations(root):
    for pattern in SOURCES:
        for file in sorted(root.rglob(pattern)):
            path = file.relative_to(root).as_posix()
            own = rank(path)
            if own is None:
                continue
            for included in INCLUDE.findall(file.read_text(errors="replace")):
                if "/" not in included:
                    # A bare name is the including file's neighbour.
                    included = posixpath.join(posixpath.dirname(path), included)
                other = rank(included)
                if other is None:
                    continue
                if other > own:
                    yield f"{path}: {LAYERS[own][0]} includes {included} ({LAYERS[other][0]})"
                elif own == CATALOGUE_RANK and included.startswith(FORMATS) and not path.startswith(FORMAT_GATE):
                    yield f"{path}: only PluginHost reaches the format folders, not {included}"
                elif "/Abi/" in path and included.rpartition("/")[0] != path.rpartition("/")[0]:
                    yield f"{path}: an ABI definition includes {included}"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    found = list(violations(root))
    for line in found:
        print(line)
    print(f"{len(found)} include(s) against the layers")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
