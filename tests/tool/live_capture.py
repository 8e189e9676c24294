"""Live capture on the loopback interface while this test sends the datagrams.

    live_capture.py PAKETLOG SAMPLE_HEX

Each datagram's line must come out before the next datagram is sent; SIGINT
and SIGTERM end the capture with status 0 and -c N after N packets. Exits 77
(skipped) when this machine does not let us capture on lo. First, without
capturing: -l writes each line of a hex trace while its input is still open.
"""
import json
import os
import select
import signal
import socket
import subprocess
import sys
import time

PAKETLOG, SAMPLE = sys.argv[1], sys.argv[2]
PORT = 47000 + os.getpid() % 1000
WAIT = 5.0  # seconds for any one step


def fail(message):
    print(message)
    sys.exit(1)


def start(*args):
    p = subprocess.Popen([PAKETLOG, "-i", "lo", "--port", str(PORT), "--json"] + list(args),
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    ready = select.select([p.stderr], [], [], WAIT)[0]
    said = p.stderr.readline().decode() if ready else ""
    if "listening on lo" not in said:
        p.kill()
        p.wait()
        if p.returncode == 2 or not ready:  # no privilege, or no capturing here
            print("cannot capture on lo: " + said.strip())
            sys.exit(77)
        fail("no 'listening' line: " + said)
    return p


def line_of(p):
    if not select.select([p.stdout], [], [], WAIT)[0]:
        fail("no line within %.0f s" % WAIT)
    return json.loads(p.stdout.readline())


def send(payload, from_switch):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", PORT if from_switch else 0))
        s.sendto(payload, ("127.0.0.1", PORT + 1 if from_switch else PORT))


def ended(p, what):
    try:
        rc = p.wait(WAIT)
    except subprocess.TimeoutExpired:
        p.kill()
        fail(what + ": still running")
    if rc != 0:
        fail("%s: exit status %d, %s" % (what, rc, p.stderr.read().decode()))
    return p.stdout.read()


packets = [bytes.fromhex(l.split("#")[0]) for l in open(SAMPLE) if l.split("#")[0].strip()][:4]

p = subprocess.Popen([PAKETLOG, "-l"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
p.stdin.write(packets[0].hex().encode() + b"\n")
p.stdin.flush()
if not select.select([p.stdout], [], [], WAIT)[0] or not p.stdout.readline().startswith(b"<< DIALDIGIT"):
    fail("-l: no line while the input is open")
p.stdin.close()
p.wait(WAIT)

p = start()
for n, payload in enumerate(packets):
    send(payload, n % 2 == 1)
    o = line_of(p)
    expected = subprocess.run([PAKETLOG, "--msg-type", "1" if n % 2 else "2"], input=payload.hex().encode(),
                              capture_output=True, check=True).stdout.decode().rstrip("\n")
    if (o["direction"], o["src"], o["text"]) != ("in" if n % 2 else "out", "127.0.0.1", expected):
        fail("datagram %d: %r" % (n, o))
p.send_signal(signal.SIGINT)
if ended(p, "SIGINT"):
    fail("output after the last datagram")

p = start()
send(packets[0], False)
line_of(p)
p.send_signal(signal.SIGTERM)
ended(p, "SIGTERM")

p = start("-c", "2")
for payload in packets[:3]:
    send(payload, False)
    time.sleep(0.05)
if len(ended(p, "-c 2").splitlines()) != 2:  # read after exit: the two lines
    fail("-c 2 did not stop after two lines")
