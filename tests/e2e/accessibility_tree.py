#!/usr/bin/env python3
"""Every screen as a screen reader sees it, in both layouts: the window runs on a virtual X server with the
accessibility bus; each tool is opened from the tablet menu by its tile's own action, and from the phone menu by a
click on its row, and closed by Back's action. In the accessibility tree every control, list row, wheel and wheel
row shown has a name, a result is read as the value it shows (the LED screen's follows its supply voltage), and the
transfer screen's instructions carry no frame marks of the text view. Usage: accessibility_tree.py path/to/velkaro"""
import importlib.util
import os
import subprocess
import sys
import tempfile
import time

NAMED_ROLES = {"push button", "toggle button", "text", "list", "list item", "table cell", "scroll pane",
               "check box", "radio button", "combo box", "spin button", "slider"}


def start_session(scratch):
    """A virtual display, a private session bus and an accessibility bus on it; returns (processes, env)."""
    env = dict(os.environ, XDG_CONFIG_HOME=f"{scratch}/config", XDG_DATA_HOME=f"{scratch}/data",
               XDG_RUNTIME_DIR=f"{scratch}/run", VELKARO_COLOR_SCHEME="light", QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", NO_AT_BRIDGE="0")
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x900x24", "-nolisten", "tcp"],
                            pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    env["DISPLAY"] = ":" + os.read(read, 16).decode().strip()
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"], stdout=subprocess.PIPE,
                           env=env)
    env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
    a11y = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env,
                            stderr=subprocess.DEVNULL)
    return [a11y, bus, xvfb], env


def wait_for(find, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        found = find()
        if found:
            return found
        time.sleep(0.1)
    return None


def main():
    # The accessibility bindings come with the system's Python; another python3 first on the PATH lacks them.
    if importlib.util.find_spec("pyatspi") is None and os.path.exists("/usr/bin/python3") \
            and sys.executable != "/usr/bin/python3":
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    velkaro = sys.argv[1]
    with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as scratch:
        processes, env = start_session(scratch)
        os.environ.update(env)
        import pyatspi  # after the session bus is chosen: it connects when imported

        layout = ["--tablet"]

        def launch():
            processes.insert(0, subprocess.Popen([velkaro] + layout, env=env, stderr=subprocess.DEVNULL))

        faults, screens = [], []
        try:
            def app():
                desktop = pyatspi.Registry.getDesktop(0)
                return next((a for a in desktop if a and a.name.lower() == "velkaro" and a.childCount), None)

            def showing(node, found):
                # Everything on screen below `node`, depth first, as (node, role, name); a node that went away
                # while the page changed is left out.
                try:
                    children = [c for c in node if c is not None and c.getState().contains(pyatspi.STATE_SHOWING)]
                except Exception:
                    return found
                for child in children:
                    try:
                        found.append((child, child.getRoleName(), child.name))
                    except Exception:
                        continue
                    showing(child, found)
                return found

            def find(role, name=None):
                return next((n for n, r, text in showing(app(), []) if r == role and name in (None, text)), None)

            def button(name):
                return find("push button", name)

            def check(screen):
                for node, role, name in showing(app(), []):
                    if role in NAMED_ROLES and not name.strip():
                        faults.append(f"{screen}: a {role} without a name (under '{node.parent.name}')")
                    if name == "How to connect" and {"\ufdd0", "\ufdd1"} & set(node.queryText().getText(0, -1)):
                        faults.append(f"{screen}: '{name}' carries the text view's frame marks")

            def check_led():
                # A result is read as its value, and follows it.
                results = lambda: [n for _, role, n in showing(app(), []) if role == "label" and n.startswith("R = ")]
                before, field = results(), find("text", "Supply voltage in volts")
                if not before or field is None:
                    return faults.append("LED: no result read as its value")
                field.queryEditableText().setTextContents("24")
                if not wait_for(lambda: results() not in ([], before), 5):
                    faults.append(f"LED: the result read stays {before} when the supply changes")

            def start():
                # A window that starts before the accessibility bus is ready never joins the tree: start it again.
                for attempt in range(3):
                    if wait_for(lambda: button("Rate"), 20):
                        return
                    if attempt < 2:
                        processes[0].kill()
                        processes[0].wait()
                        launch()
                sys.exit("the window never showed its menu in the accessibility tree")

            def walk(name, opens, come_back):
                opens()
                if not wait_for(lambda: button("Back")):
                    return faults.append(f"{name}: opening it showed nothing")
                time.sleep(0.3)  # the page's rows and wheels fill in
                check(name)
                if name.startswith("LED"):
                    check_led()
                if name.startswith("Datasheets") and button("FTP transfer"):
                    button("FTP transfer").queryAction().doAction(0)
                    if wait_for(lambda: any(n == "How to connect" for _, _, n in showing(app(), []))):
                        time.sleep(0.3)
                        check(name + ", transfer")
                    else:
                        faults.append("the transfer screen did not open from the datasheet list")
                    button("Back").queryAction().doAction(0)
                    wait_for(lambda: button("FTP transfer"))
                screens.append(name)
                button("Back").queryAction().doAction(0)
                if not wait_for(come_back):
                    sys.exit(f"{name}: Back did not return to the menu")

            launch()
            start()
            check("tablet menu")
            tiles = [name for _, role, name in showing(app(), []) if role == "push button"
                     and name not in ("Rate", "Help")]
            for tile in tiles:
                walk(tile, lambda: button(tile).queryAction().doAction(0), lambda: button(tile))

            # The phone layout: the menu is a list whose rows a screen reader names and opens with Return.
            processes[0].terminate()
            processes[0].wait(5)
            layout.clear()
            launch()
            start()
            check("phone menu")

            def rows():
                # A group's heading is a row too, but opens nothing.
                return [(n, name) for n, role, name in showing(app(), []) if role == "list item" and name.strip()
                        and n.getState().contains(pyatspi.STATE_SELECTABLE)]

            def press(name):
                row = next((n for n, text in rows() if text == name), None)
                if row is None:
                    return
                box = row.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                # Click the middle of the part the list shows: a row half scrolled out sits under the title.
                shown = find("list").queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                top, bottom = max(box.y, shown.y), min(box.y + box.height, shown.y + shown.height)
                pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, (top + bottom) // 2, "b1c")

            # The rows shown, then those the list shows once scrolled to its end (a wheel turned over it).
            opened = set()
            for turn in range(2):
                for name in [name for _, name in rows() if name not in opened]:
                    opened.add(name)
                    walk(name, lambda name=name: press(name), lambda: button("Rate"))
                box = find("list").queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                for _ in range(10):
                    pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, "b5c")
                time.sleep(0.3)
            if len(opened) < 15:
                faults.append(f"phone menu: only {len(opened)} rows named and opened: {sorted(opened)}")
        finally:
            for p in processes:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        print(f"{len(screens)} tool screens and both menus walked")
        if len(screens) < 30 or faults:
            sys.exit("\n".join(faults) or f"only {len(screens)} tool screens opened")


if __name__ == "__main__":
    main()
