#!/usr/bin/python3
"""What a screen reader gets over the Linux accessibility bus (AT-SPI) from real windows.

Run under an X server and a session bus (xvfb-run -a dbus-run-session -- read_over_atspi.py
HOST). HOST (host/atspi_windows.cpp) shows the order query, the publisher browse, the search
window and the settings window and tells what they show. Read over AT-SPI, as a screen reader reads them:
  - every closed drop-down list gives its name and, as its text, the entry it shows;
  - every label that shows a value is named "caption：value";
and both follow when the entry and the value change.
"""
import os
import select
import subprocess
import sys
import time

import pyatspi

LIMIT = 90  # seconds to wait for anything to appear over the bus
# Lists as a screen reader must hear them: the publisher browse, the search window and the
# settings window at opening, and the publisher browse after the next mode.
AT_OPENING = [("浏览方式", "按专业分类浏览书目"), ("查询项", "书名"), ("条件", "包含"),
              ("发送方式", "桌面的邮件程序"), ("附件", "订单文本（.xls）"), ("加密", "STARTTLS")]
AFTER_CHANGE = [("浏览方式", "按类别分类浏览书目")]
# Roles whose children are rows or entries: not searched.
LEAVES = {pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_LIST,
          pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_MENU_BAR, pyatspi.ROLE_MENU, pyatspi.ROLE_TEXT,
          pyatspi.ROLE_PAGE_TAB_LIST}


def read_told(host):
    """The lines HOST tells up to "shown": entries and totals."""
    entries, totals = [], []
    end = time.time() + LIMIT
    while True:
        ready, _, _ = select.select([host.stdout], [], [], max(0.0, end - time.time()))
        if not ready:
            raise SystemExit("the window host told nothing within %d s" % LIMIT)
        line = host.stdout.readline().decode("utf-8")
        if not line:
            raise SystemExit("the window host ended (exit %s)" % host.wait())
        parts = line.rstrip("\n").split("\t")
        if parts[0] == "shown":
            return entries, totals
        (entries if parts[0] == "entry" else totals).append((parts[1], parts[2]))


def find_application(pid):
    end = time.time() + LIMIT
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:  # an application leaving the bus meanwhile
                pass
        time.sleep(0.2)
    raise SystemExit("the window host never appeared on the accessibility bus")


def controls(node, found):
    """Combo boxes and labels below node, without going into lists, tables and menus."""
    for child in node:
        if child is None:
            continue
        role = child.getRole()
        if role in (pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_LABEL):
            found.append(child)
        if role not in LEAVES:
            controls(child, found)
    return found


def text_of(accessible):
    try:
        text = accessible.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, -1)


def heard(app):
    """(name, text) of every drop-down list and the names of the labels, as read now."""
    lists, labels = [], []
    for c in controls(app, []):
        if c.getRole() == pyatspi.ROLE_COMBO_BOX:
            lists.append((c.name, text_of(c)))
        else:
            labels.append(c.name)
    return lists, labels


def missing(app, entries, totals, fixed):
    """What a screen reader does not hear of what is shown; empty when it hears it all."""
    lists, labels = heard(app)
    faults = []
    for name, entry in dict.fromkeys(entries + fixed):
        if (name, entry) not in lists:
            faults.append("drop-down list %r showing %r: heard %r" % (name, entry, lists))
    for name, text in lists:
        if not name:
            faults.append("a drop-down list without a name, showing %r" % text)
    for caption, value in totals:
        if not value:
            faults.append("the label %r shows no value" % caption)
        elif caption + "：" + value not in labels:
            faults.append("label %r: heard %r" % (caption + "：" + value,
                                                  [n for n in labels if n.startswith(caption)]))
    return faults


def expect_heard(app, told, fixed, what):
    end = time.time() + LIMIT
    while True:
        faults = missing(app, told[0], told[1], fixed)
        if not faults or time.time() > end:
            break
        time.sleep(0.3)
    for f in faults:
        print("FAILED (%s): %s" % (what, f))
    if not faults:
        print("heard %s: %d drop-down lists, %d totals" % (what, len(told[0]), len(told[1])))
    return not faults


def main():
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QT_ACCESSIBILITY="1", LANG="C.UTF-8")
    # Unbuffered: select() then sees every line that is not yet read.
    host = subprocess.Popen([sys.argv[1]], stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env, bufsize=0)
    try:
        told = read_told(host)
        if not told[1]:
            raise SystemExit("the window host shows no totals")
        app = find_application(host.pid)
        ok = expect_heard(app, told, AT_OPENING, "at opening")
        host.stdin.write(b"change\n")
        host.stdin.flush()
        changed = read_told(host)
        if changed[1] == told[1] or changed[0] == told[0]:
            raise SystemExit("the lists or the totals shown did not change")
        ok = expect_heard(app, changed, AFTER_CHANGE, "after a change") and ok
        host.stdin.write(b"quit\n")
        host.stdin.flush()
        code = host.wait(timeout=LIMIT)
        if code != 0:
            print("FAILED: the window host ended with exit %d" % code)
            ok = False
    finally:
        if host.poll() is None:
            host.kill()
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
