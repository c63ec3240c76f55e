#!/usr/bin/env python3
"""Every screen as a screen reader sees it: the window runs on a virtual X server with the accessibility bus, each
tool is opened from the tablet menu by its tile's own action and closed by Back's, and in the accessibility tree
every control, wheel and wheel row shown has a name. Usage: accessibility_tree.py path/to/velkaro"""
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

        def launch():
            processes.insert(0, subprocess.Popen([velkaro, "--tablet"], env=env, stderr=subprocess.DEVNULL))

        launch()
        faults, screens = [], 0
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

            def button(name):
                root = app()
                return root and next((n for n, role, text in showing(root, []) if role == "push button"
                                      and text == name), None)

            def check(screen):
                for node, role, name in showing(app(), []):
                    if role in NAMED_ROLES and not name.strip():
                        faults.append(f"{screen}: a {role} without a name (under '{node.parent.name}')")

            # A window that starts before the accessibility bus is ready never joins the tree: start it again.
            for attempt in range(3):
                if wait_for(lambda: button("Rate"), 20):
                    break
                if attempt < 2:
                    processes[0].kill()
                    processes[0].wait()
                    launch()
            else:
                sys.exit("the window never showed its menu in the accessibility tree")
            check("menu")
            tiles = [name for _, role, name in showing(app(), []) if role == "push button"
                     and name not in ("Rate", "Help")]
            for tile in tiles:
                button(tile).queryAction().doAction(0)
                if not wait_for(lambda: button("Back")):
                    faults.append(f"{tile}: the tile's action opened nothing")
                    continue
                time.sleep(0.3)  # the page's rows and wheels fill in
                check(tile)
                screens += 1
                button("Back").queryAction().doAction(0)
                if not wait_for(lambda: button(tile)):
                    sys.exit(f"{tile}: Back did not return to the menu")
        finally:
            for p in processes:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        print(f"{screens} tools and the menu walked")
        if screens < 11 or faults:
            sys.exit("\n".join(faults) or f"only {screens} tools opened")


if __name__ == "__main__":
    main()
