"""tcpdump -U -w - | paketlog -r - -l: each datagram's line comes out while
tcpdump still runs, before the next datagram is sent.

    tcpdump_pipe.py PAKETLOG SAMPLE_HEX

Exits 77 (skipped) when tcpdump is missing or cannot capture on lo.
"""
import os
import select
import shutil
import socket
import subprocess
import sys
import time

PAKETLOG, SAMPLE = sys.argv[1], sys.argv[2]
PORT = 48000 + os.getpid() % 1000
WAIT = 5.0


def fail(message):
    print(message)
    sys.exit(1)


tcpdump = shutil.which("tcpdump")
if tcpdump is None:
    print("no tcpdump")
    sys.exit(77)
packets = [bytes.fromhex(l.split("#")[0]) for l in open(SAMPLE) if l.split("#")[0].strip()][:3]
dump = subprocess.Popen([tcpdump, "-U", "-w", "-", "-i", "lo", "udp", "port", str(PORT)],
                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
if not select.select([dump.stderr], [], [], WAIT)[0] or b"listening on" not in dump.stderr.readline():
    dump.kill()
    print("tcpdump cannot capture on lo")
    sys.exit(77)
p = subprocess.Popen([PAKETLOG, "-r", "-", "-l", "-t", "--port", str(PORT)], stdin=dump.stdout,
                     stdout=subprocess.PIPE)
dump.stdout.close()
try:
    for n, payload in enumerate(packets):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            s.sendto(payload, ("127.0.0.1", PORT))
        if not select.select([p.stdout], [], [], WAIT)[0]:
            fail("datagram %d: no line within %.0f s while tcpdump runs" % (n + 1, WAIT))
        line = p.stdout.readline().decode()
        expected = subprocess.run([PAKETLOG, "--msg-type", "2"], input=payload.hex().encode(), capture_output=True,
                                  check=True).stdout.decode()
        if not line.endswith(": " + expected):
            fail("datagram %d: %r, not %r" % (n + 1, line, expected))
finally:
    dump.terminate()
    dump.wait(WAIT)
if p.wait(WAIT) != 0:
    fail("paketlog: exit status %d after tcpdump ended" % p.returncode)
