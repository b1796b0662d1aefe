#!/usr/bin/env python3
"""The floors check (scripts/check_includes.py) on a small src/ tree made for each case: every
include that breaks a floor is named, and the includes the floors allow pass.
  test_check_includes.py PATH_TO_check_includes.py"""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = sys.argv.pop(1) if len(sys.argv) > 1 else None
UI_REGEX = r"_(window|dialog|pane|view|widget|painter|delegate|gui)\.(h|cpp)$"

# Present in every case: a widget file and a core file in a folder that is in no list, and
# the top floor.
TREE = {
    "widgets/button_flow_widget.h": "",
    "widgets/flow_layout.h": "",
    "app/main_window.h": "",
    "app/data_module.h": "",
}

# (file, the line it gets, whether the check must fail)
CASES = [
    ("order/order_text.cpp", '#include "app/data_module.h"', True),
    ("widgets/captioned_button_widget.cpp", '#include "app/main_window.h"', True),
    ("tools/admin_commands.cpp", '#include "app/data_module.h"', True),
    ("common/whole_file.cpp", "#include <QWidget>", True),
    ("data/dataset.h", "#include <QtWidgets/QLabel>", True),
    ("data/dataset.h", "#  include <QtWidgets>", True),
    ("catalog/report_layout.cpp", "#include <qpainter.h>", True),
    ("catalog/report_layout.cpp", "#include <QPrinter>", True),
    ("widgets/flow_layout.cpp", '#include "widgets/button_flow_widget.h"', True),
    ("app/data_module.cpp", "#include <QPushButton>", True),
    ("tools/main.cpp", "#include <QPainter>", True),
    # What the floors allow.
    ("app/main_window.cpp", '#include "app/data_module.h"', False),
    ("app/main.cpp", "#include <QApplication>", False),
    ("widgets/button_flow_widget.cpp", "#include <QPushButton>", False),
    ("order/order_query_window.cpp", '#include "widgets/button_flow_widget.h"', False),
    ("order/order_text.cpp", '#include "widgets/flow_layout.h"', False),
    ("data/dataset.cpp", "#include <QSqlQuery>", False),
    ("common/whole_file.cpp", "#include <QFile>", False),
    ("common/whole_file.cpp", '// #include "app/data_module.h" was here once', False),
]


def write(root, rel, text):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


class FloorsCheck(unittest.TestCase):
    def run_check(self, file, line):
        with tempfile.TemporaryDirectory() as root:
            src = os.path.join(root, "src")
            for rel, text in TREE.items():
                write(src, rel, text)
            write(src, file, "#pragma once\n" + line + "\n")
            # Stand-ins for the widget modules' include folders.
            modules = []
            for module, headers in {"QtGui": ["QPainter", "qpainter.h"],
                                    "QtWidgets": ["QWidget", "QLabel", "QPushButton", "QApplication"],
                                    "QtPrintSupport": ["QPrinter"]}.items():
                folder = os.path.join(root, "qt", module)
                for header in headers:
                    write(folder, header, "")
                modules.append(folder)
            return subprocess.run([sys.executable, CHECK, src, UI_REGEX] + modules,
                                  capture_output=True, text=True)

    def test_cases(self):
        for file, line, fails in CASES:
            with self.subTest(file=file, line=line):
                result = self.run_check(file, line)
                self.assertEqual(result.returncode, 1 if fails else 0, result.stdout + result.stderr)
                if fails:
                    self.assertIn(f"src/{file}:2:", result.stdout)


if __name__ == "__main__":
    unittest.main()
