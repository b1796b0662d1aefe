#!/usr/bin/env python3
"""The floors of src/, as the build holds them (a ctest, tests/CMakeLists.txt):
  - app/ is the top floor: no file outside src/app/ includes an app/ header;
  - the core library (every file not named for what it shows, ZD_UI_REGEX) and the admin
    program (tools/, which links the core library alone) include no widget header: no header of
    the Qt modules the core library does not link (QtGui, QtWidgets, QtPrintSupport), and no
    project header named like a widget file.
It reads every .h/.cpp below src/ as it is now, in any folder, and lists each include that
breaks a rule; it fails if there is one.
  check_includes.py SRC_DIR UI_REGEX QT_MODULE_DIR...
QT_MODULE_DIR: the include folder of a widget module (e.g. .../qt6/QtWidgets); its name is the
module's (#include <QtWidgets/...>, <QtWidgets>) and its files are the module's headers
(#include <QPushButton>, <qpainter.h>)."""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def widget_modules(module_dirs):
    """The widget modules' names and the header names they hold."""
    names, headers = set(), set()
    for folder in module_dirs:
        if not os.path.isdir(folder):
            raise SystemExit(f"check_includes: no Qt module folder {folder}")
        names.add(os.path.basename(os.path.normpath(folder)))
        headers.update(os.listdir(folder))
    return names, headers


def is_widget_header(name, quoted, src, ui_regex, modules):
    module_names, module_headers = modules
    first = name.split('/', 1)[0]
    if first in module_names or name in module_headers:
        return True
    # A project header: named as the include names it, from src/ (the include root).
    return quoted and os.path.isfile(os.path.join(src, name)) and ui_regex.search(name) is not None


def faults(src, ui_regex, modules):
    found = []
    for folder, dirs, files in os.walk(src):
        dirs.sort()
        for file in sorted(files):
            if not file.endswith(('.h', '.cpp')):
                continue
            path = os.path.join(folder, file)
            rel = os.path.relpath(path, src).replace(os.sep, '/')
            in_app = rel.startswith('app/')
            core = not ui_regex.search(rel) and rel != 'app/main.cpp'
            with open(path, encoding='utf-8', errors='replace') as text:
                for number, line in enumerate(text, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    quoted, name = m.group(1) == '"', m.group(2).strip()
                    close = '"' if quoted else '>'
                    where = f"src/{rel}:{number}: #include {m.group(1)}{name}{close}"
                    if not in_app and name.startswith('app/'):
                        found.append(f"{where}: app/ is the top floor; only src/app/ includes it")
                    if core and is_widget_header(name, quoted, src, ui_regex, modules):
                        found.append(f"{where}: a core file (not named *_window, *_dialog, ...) "
                                     "includes a widget header")
    return found


def main(argv):
    if len(argv) < 4:
        raise SystemExit(__doc__)
    src, ui_regex = argv[1], re.compile(argv[2])
    found = faults(src, ui_regex, widget_modules(argv[3:]))
    for line in found:
        print(line)
    if found:
        print(f"check_includes: {len(found)} include(s) break the floors of src/", file=sys.stderr)
        return 1
    print("check_includes: the floors of src/ hold")
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
