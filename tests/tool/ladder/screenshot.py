"""The picture of the call list page in docs/: the page opened in headless
chromium, a call chosen and one of its arrows, saved as PNG.

    screenshot.py PAGE SEANCE ARROW OUT.png [WIDTH HEIGHT]

ARROW counts from 1 among the chosen call's arrows.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cdp import Browser  # noqa: E402


def main():
    page, seance, arrow, out = sys.argv[1:5]
    width, height = (int(v) for v in sys.argv[5:7]) if len(sys.argv) > 6 else (1280, 720)
    with Browser(os.environ.get("PAKETLOG_CHROMIUM", "/usr/bin/chromium")) as browser:
        browser.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1, mobile=False)
        browser.navigate("file://" + os.path.abspath(page))
        browser.evaluate(f"document.querySelector('#calls tbody tr[data-seance=\"{int(seance)}\"]')"
                         ".dispatchEvent(new MouseEvent('click', {bubbles: true}))")
        browser.evaluate(f"document.querySelectorAll('#ladder g.message')[{int(arrow) - 1}]"
                         ".dispatchEvent(new MouseEvent('click', {bubbles: true}))")
        browser.screenshot(out, width, height)


if __name__ == "__main__":
    main()
