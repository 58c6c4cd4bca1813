#!/usr/bin/python3
"""atspi-tree.py [--check] [APP_NAME]: prints the AT-SPI tree of a running application (the
window as a screen reader sees it): one line per node, indented by depth, with its role, name,
description and, for links, the address they open.

With --check it also says whether the main window passes: a frame named after the window title,
every node below it named and described, the three link labels as links (the two web links
saying their addresses), the text box named "Source folder". Exit status 0 when it passes, 1 when not, 77 when the AT-SPI bindings or the
application cannot be found (a test then skips).

Needs python3-gi and gir1.2-atspi-2.0, an AT-SPI bus, and the application started with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 (atspi-tree.sh sets all this up around a program)."""
import sys
import time

try:
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
except (ImportError, ValueError) as missing:
    print(f"atspi-tree: no AT-SPI bindings for Python ({missing})", file=sys.stderr)
    sys.exit(77)

SKIP = 77


def find_application(name, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(index)
            if app is not None and app.get_name() == name:
                return app
        time.sleep(0.2)
    return None


def link_target(node):
    try:
        hyperlink = node.get_hyperlink()
        if hyperlink is not None and hyperlink.get_n_anchors() > 0:
            return hyperlink.get_uri(0)
    except Exception:  # the node has no hyperlink interface
        pass
    return None


def walk(node, depth, rows):
    role = node.get_role_name()
    name = node.get_name() or ""
    description = node.get_description() or ""
    rows.append((depth, role, name, description, link_target(node)))
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None:
            walk(child, depth + 1, rows)


def check(rows):
    faults = []
    frames = [row for row in rows if row[1] == "frame"]
    if not any(row[2] == "Tarvik Plenwick" for row in frames):
        faults.append('no frame named "Tarvik Plenwick"')
    for depth, role, name, description, _ in rows:
        if depth >= 2 and not name:
            faults.append(f"a {role} without a name")
        if depth >= 2 and not description:
            faults.append(f'"{name}" ({role}) without a description')
    links = [row for row in rows if row[1] == "link"]
    for caption in ("Read Step-by-Step Product Guide", "Visit Product Website",
                    "Close this Application"):
        if not any(row[2] == caption for row in links):
            faults.append(f'no link "{caption}"')
    for caption, page in (("Read Step-by-Step Product Guide", "/plenwick/"),
                          ("Visit Product Website", "/plenwick.html")):
        if not any(row[2] == caption and row[3].endswith(page) for row in links):
            faults.append(f'the link "{caption}" does not say it opens {page}')
    if not any(row[2] == "Source folder" and row[1] == "text" for row in rows):
        faults.append('no text box "Source folder"')
    return faults


def main(argv):
    checking = "--check" in argv
    names = [arg for arg in argv if not arg.startswith("--")]
    app_name = names[0] if names else "Plenwick"
    app = find_application(app_name, 15)
    if app is None:
        print(f"atspi-tree: no application {app_name!r} on the AT-SPI bus", file=sys.stderr)
        return SKIP
    rows = []
    walk(app, 0, rows)
    for depth, role, name, description, target in rows:
        line = f"{'  ' * depth}{role}: {name!r}"
        if description:
            line += f" - {description}"
        if target:
            line += f" -> {target}"
        print(line)
    if not checking:
        return 0
    faults = check(rows)
    for fault in faults:
        print(f"atspi-tree: {fault}", file=sys.stderr)
    print(f"{len(rows)} nodes, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
