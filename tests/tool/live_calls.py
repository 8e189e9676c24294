"""The call list of a live capture on the loopback interface.

    live_calls.py PAKETLOG

Sends the calls of make_calls.py (their datagrams in order, at once) while
paketlog --calls --json captures on lo: each call's row must come out when
the packet that releases it is sent, and no row before; the calls still open
come out when SIGINT ends the capture. Exits 77 (skipped) when this machine
does not let us capture on lo.
"""
import json
import os
import select
import signal
import socket
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "scapy"))
import make_calls  # noqa: E402  (scapy's import is slow: after the path)

PAKETLOG = sys.argv[1]
PORT = 48000 + os.getpid() % 1000
WAIT = 5.0  # seconds for a row that must come
QUIET = 0.3  # seconds in which a row that must not come does not
RELEASES = {1, 130, 131}  # toFB_CTRL_DOBYE, frFB_CTRL_REJECT, frFB_CTRL_BYE


def fail(message):
    print(message)
    sys.exit(1)


p = subprocess.Popen([PAKETLOG, "-i", "lo", "--port", str(PORT), "--calls", "--json"],
                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
ready = select.select([p.stderr], [], [], WAIT)[0]
said = p.stderr.readline().decode() if ready else ""
if "listening on lo" not in said:
    p.kill()
    p.wait()
    if p.returncode == 2 or not ready:
        print("cannot capture on lo: " + said.strip())
        sys.exit(77)
    fail("no 'listening' line: " + said)


def rows(timeout):
    if not select.select([p.stdout], [], [], timeout)[0]:
        return None
    return json.loads(p.stdout.readline())


def send(payload, from_switch):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", PORT if from_switch else 0))
        s.sendto(payload, ("127.0.0.1", PORT + 1 if from_switch else PORT))


released = set()
seen = set()
for t, src, dst, payload in make_calls.scenario():
    kind, seance = payload[2], int.from_bytes(payload[6:10], "little")
    send(payload, src == make_calls.SWITCH)
    if kind in (208, 131):  # not calls
        continue
    seen.add(seance)
    if kind == 130 and payload[10] in RELEASES and seance not in released:
        released.add(seance)
        row = rows(WAIT)
        if row is None:
            fail("%s: no row within %.0f s of its release" % (seance, WAIT))
        if row["seance"] != seance or not row["released"]:
            fail("%s released, but the row is %s" % (seance, row))
    else:
        row = rows(QUIET)
        if row is not None:
            fail("a row before its release: %s" % row)

p.send_signal(signal.SIGINT)
try:
    out, err = p.communicate(timeout=WAIT)
except subprocess.TimeoutExpired:
    p.kill()
    fail("SIGINT: still running")
if p.returncode != 0:
    fail("SIGINT: exit status %d, %s" % (p.returncode, err.decode()))
left = [json.loads(line) for line in out.decode().splitlines()]
open_calls = sorted(seen - released)
if [c["seance"] for c in left] != open_calls or any(c["released"] for c in left):
    fail("at the end: %s, expected the open calls %s" % ([(c["seance"], c["released"]) for c in left], open_calls))
