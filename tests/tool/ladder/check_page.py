"""One check of the call list page (paketlog --html) in a real headless chromium.

    check_page.py CHECK PAGE TOOL CAPTURE PORT SEANCES

PAGE was written by TOOL from CAPTURE with --port PORT; SEANCES (a,b,c) are
the calls the checks choose from. What the page should show is asked of TOOL
itself, as packet lines (--seance) and JSON objects (--json), not of the page.
Exits 77 (skipped) where chromium is missing, but under CI (CI or
PAKETLOG_REQUIRE_BROWSER set, as scripts/ci/10-gcc.sh does), where a missing
browser is a failure.
"""
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cdp import Browser  # noqa: E402
from tool_packets import call_packets, tool_lines  # noqa: E402

CHROMIUM = os.environ.get("PAKETLOG_CHROMIUM", "/usr/bin/chromium")


def rows_js(column):
    return f"Array.from(document.querySelectorAll('#calls tbody tr')).map(r => r.cells[{column}].textContent)"


def click_js(selector):
    return f"document.querySelector({json.dumps(selector)}).dispatchEvent(new MouseEvent('click', {{bubbles: true}}))"


def check(name, browser, tool, capture, port, seances):
    """Returns a list of what is wrong."""
    first, rest = seances[0], seances
    if name == "rows":
        # One row per call, in order of first packet: the seances of the packets that make calls.
        expected = []
        for o in call_packets(tool, capture, port, [])[1]:
            if str(o["seance"]) not in expected:
                expected.append(str(o["seance"]))
        shown = browser.evaluate(rows_js(0))
        return [] if shown == expected else [f"rows show seances {shown}, the capture has calls {expected}"]
    if name == "sort":
        browser.evaluate(click_js('th[data-key="seance"]'))
        browser.evaluate(click_js('th[data-key="seance"]'))
        shown = [int(s) for s in browser.evaluate(rows_js(0))]
        return [] if shown == sorted(shown, reverse=True) else [f"a second click on Seance gives {shown}, not descending"]
    if name == "sort_packets":
        browser.evaluate(click_js('th[data-key="packets"]'))
        shown = [int(s) for s in browser.evaluate(rows_js(7))]
        return [] if shown == sorted(shown) else [f"a click on Packets gives {shown}, not ascending numbers"]
    if name == "filter_number":
        # The called number of the first call; the calls whose numbers (the
        # last called and calling number each packet gives) or dialled
        # digits hold it, as their packets' lines give them.
        objects = [json.loads(line) for line in tool_lines(tool, capture, port, [], "--json")]
        numbers = {}
        for o in objects:
            call = numbers.setdefault(str(o.get("seance")), {"digits": ""})
            for key, value in re.findall(r"(CalledN|CallingN)=([0-9*#+]+)", o["text"]):
                call[key] = value
            call["digits"] += "".join(re.findall(r"Digit=([0-9])", o["text"]))
        number = re.search(r"CalledN=([0-9*#+]+)", next(
            o["text"] for o in objects if str(o.get("seance")) == first and "CalledN=" in o["text"])).group(1)
        expected = [s for s in numbers if any(number in n for n in numbers[s].values())]
        browser.evaluate(f"(() => {{ const i = document.getElementById('number'); i.value = {json.dumps(number)};"
                         " i.dispatchEvent(new Event('input')); })()")
        shown = browser.evaluate(rows_js(0))
        return [] if shown == expected else [f"number {number} shows calls {shown}, the packets give {expected}"]
    if name == "filter_outcome":
        browser.evaluate("(() => { const s = document.getElementById('outcome'); s.value = 'busy';"
                         " s.dispatchEvent(new Event('change')); })()")
        outcomes = set(browser.evaluate(rows_js(5)))
        shown = browser.evaluate(rows_js(0))
        return [] if outcomes == {"busy"} and shown else [f"outcome busy shows {shown} with outcomes {outcomes}"]
    if name == "ladder":
        # The chosen call's ladder: an arrow per packet of its seances, each in the packet's direction.
        browser.evaluate(click_js(f'#calls tbody tr[data-seance="{first}"]'))
        shown = browser.evaluate("Array.from(document.querySelectorAll('#ladder g.message')).map(g => g.getAttribute('class'))")
        expected = ["message " + o["direction"] for o in call_packets(tool, capture, port, rest)[1]]
        return [] if shown == expected else [f"seance {first} shows arrows {shown}, its packets go {expected}"]
    if name == "line":
        browser.evaluate(click_js(f'#calls tbody tr[data-seance="{first}"]'))
        lines = call_packets(tool, capture, port, rest)[0]
        problems = []
        for n in (1, len(lines)):
            browser.evaluate(f"document.querySelectorAll('#ladder g.message')[{n - 1}]"
                             ".dispatchEvent(new MouseEvent('click', {bubbles: true}))")
            shown = browser.evaluate("document.getElementById('line').textContent")
            if shown != lines[n - 1]:
                problems.append(f"arrow {n} shows {shown!r}, its packet's line is {lines[n - 1]!r}")
        return problems
    if name == "offline":
        browser.evaluate(click_js(f'#calls tbody tr[data-seance="{first}"]'))
        page = browser.evaluate("location.href")
        others = [u for u in browser.requests() if u != page and not u.startswith("data:")]
        errors = browser.errors()
        return ([f"the page requested {others}"] if others else []) + ([f"script errors: {errors}"] if errors else [])
    raise SystemExit(f"no check named {name}")


def page_rows(page, tool, capture, port):
    """The calls the page holds against the call list's own JSON rows."""
    text = open(page, encoding="utf-8").read()
    start = text.index('<script type="application/json" id="calls-data">') + len('<script type="application/json" id="calls-data">')
    held = json.loads(text[start:text.index("</script>", start)])
    rows = [json.loads(l) for l in tool_lines(tool, capture, port, [], "--calls", "--json")]
    return [] if held == rows else [f"the page holds {len(held)} calls unlike the {len(rows)} rows of --calls --json"]


def main():
    name, page, tool, capture, port, seances = sys.argv[1:7]
    if name == "data":  # no browser needed
        problems = page_rows(page, tool, capture, port)
        for p in problems:
            print(f"{name}: {p}")
        return 1 if problems else 0
    if not os.path.exists(CHROMIUM):
        if os.environ.get("CI") or os.environ.get("PAKETLOG_REQUIRE_BROWSER"):
            print(f"{CHROMIUM} is missing: CI installs chromium (scripts/deps.sh chromium)")
            return 1
        print(f"skipped: {CHROMIUM} is missing (install Debian's chromium to run the page's checks)")
        return 77
    with Browser(CHROMIUM) as browser:
        browser.navigate("file://" + os.path.abspath(page))
        problems = check(name, browser, tool, capture, port, seances.split(","))
    for p in problems:
        print(f"{name}: {p}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
