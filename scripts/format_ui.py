#!/usr/bin/env python3
"""Rewrites Qt Designer interface files one element per line, so a change to one widget shows as a change to its
own lines. Structure (widgets, layouts, items, spacers, lists) is indented; a property, attribute or other leaf
stays whole on its line. Usage: format_ui.py FILE.ui ..."""
import sys
import xml.etree.ElementTree as ET

STRUCTURE = {"ui", "widget", "layout", "item", "spacer", "customwidgets", "customwidget", "tabstops",
             "connections", "resources", "layoutdefault", "buttongroups"}


def leaf(el):
    return ET.tostring(el, encoding="unicode").strip().replace(" />", "/>")


def write(el, depth, out):
    pad = " " * depth
    if el.tag not in STRUCTURE or (len(el) == 0):
        out.append(pad + leaf(el))
        return
    head = ET.tostring(ET.Element(el.tag, el.attrib), encoding="unicode", short_empty_elements=False)
    out.append(pad + head[: head.rindex("</")])
    for child in el:
        write(child, depth + 1, out)
    out.append(pad + "</%s>" % el.tag)


def main():
    for path in sys.argv[1:]:
        root = ET.parse(path).getroot()
        for el in root.iter():
            el.tail = None
            if el.tag in STRUCTURE and len(el):
                el.text = None
        lines = ['<?xml version="1.0" encoding="UTF-8"?>']
        write(root, 0, lines)
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
