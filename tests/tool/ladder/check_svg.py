"""One check of a ladder written as SVG (paketlog --flow N --svg FILE).

    check_svg.py CHECK SVG TOOL CAPTURE PORT SEANCES

The SVG is read with Python's XML parser; what it should hold is asked of
TOOL itself: the lines (--seance) and JSON objects (--json) of the packets
of SEANCES (a,b,c) in CAPTURE, with --port PORT.
"""
import os
import sys
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from tool_packets import call_packets  # noqa: E402

SVG = "{http://www.w3.org/2000/svg}"


def messages(root):
    return [g for g in root.iter(SVG + "g") if g.get("class", "").split()[:1] == ["message"]]


def main():
    name, svg, tool, capture, port, seances = sys.argv[1:7]
    seances = seances.split(",")
    try:
        root = ET.parse(svg).getroot()
    except ET.ParseError as e:
        print(f"{svg} is not well-formed XML: {e}")
        return 1
    if name == "parses":
        ok = root.tag == SVG + "svg"
        print("" if ok else f"the document's root is {root.tag}, not an SVG svg element", end="")
        return 0 if ok else 1
    lines, objects = call_packets(tool, capture, port, seances)
    groups = messages(root)
    if name == "arrows":
        if len(groups) != len(lines):
            print(f"{len(groups)} message groups for the {len(lines)} packets of seances {seances}")
            return 1
        return 0
    if name == "directions":
        expected = ["message " + o["direction"] for o in objects]
        shown = [g.get("class") for g in groups]
        if shown != expected:
            print(f"the groups' classes are {shown}; the packets go {expected}")
            return 1
        return 0
    if name == "titles":
        shown = [g.find(SVG + "title").text for g in groups]
        wrong = [(i + 1, t, l) for i, (t, l) in enumerate(zip(shown, lines)) if t != l]
        for n, t, l in wrong:
            print(f"arrow {n}: title {t!r}, the packet's line {l!r}")
        return 1 if wrong or len(shown) != len(lines) else 0
    raise SystemExit(f"no check named {name}")


if __name__ == "__main__":
    sys.exit(main())
