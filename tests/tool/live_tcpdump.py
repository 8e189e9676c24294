"""A live capture on lo with tcpdump's options: the filter expression after
the options, -w to keep the frames (no lines), -s and -B, and on SIGINT
tcpdump's three counts on standard error.

    live_tcpdump.py PAKETLOG SAMPLE_HEX OUTDIR

Exits 77 (skipped) when this machine does not let us capture on lo.
"""
import os
import re
import select
import signal
import socket
import subprocess
import sys
import time

PAKETLOG, SAMPLE, OUTDIR = sys.argv[1:4]
PORT = 49000 + os.getpid() % 1000
WAIT = 5.0
os.makedirs(OUTDIR, exist_ok=True)
OUT = os.path.join(OUTDIR, "live.pcap")
if os.path.exists(OUT):
    os.remove(OUT)  # of an earlier run: its size must not pass for this one's


def fail(message):
    print(message)
    sys.exit(1)


packets = [bytes.fromhex(l.split("#")[0]) for l in open(SAMPLE) if l.split("#")[0].strip()][:3]
p = subprocess.Popen([PAKETLOG, "-i", "lo", "--port", str(PORT), "-s", "0", "-B", "2048", "-w", OUT, "udp", "port",
                      str(PORT)],
                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
ready = select.select([p.stderr], [], [], WAIT)[0]
said = p.stderr.readline().decode() if ready else ""
if "listening on lo" not in said:
    p.kill()
    p.wait()
    print("cannot capture on lo: " + said.strip())
    sys.exit(77 if p.returncode == 2 or not ready else 1)
for payload in packets:
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.sendto(payload, ("127.0.0.1", PORT))
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:  # not on the port: not captured
        s.sendto(payload, ("127.0.0.1", PORT + 1))
deadline = time.time() + WAIT
whole = 24 + sum(16 + 14 + 20 + 8 + len(payload) for payload in packets)  # Ethernet, IPv4, UDP on lo
while time.time() < deadline and (not os.path.exists(OUT) or os.path.getsize(OUT) < whole):
    time.sleep(0.05)  # each frame is written out as it comes
p.send_signal(signal.SIGINT)
try:
    out, err = p.communicate(timeout=WAIT)
except subprocess.TimeoutExpired:
    p.kill()
    fail("still running after SIGINT")
if p.returncode != 0 or out:
    fail("exit %d, stdout %r" % (p.returncode, out[:200]))
if not re.fullmatch(rb"3 packets captured\n\d+ packets? received by filter\n0 packets dropped by kernel\n", err):
    fail("counts on stderr: %r" % err)
dump = subprocess.run(["tcpdump", "-n", "-r", OUT], capture_output=True)
if dump.returncode != 0 or len(dump.stdout.splitlines()) != 3:
    fail("tcpdump reads %r" % dump.stdout)
lines = subprocess.run([PAKETLOG, "-t", "--port", str(PORT), "-r", OUT], capture_output=True, check=True).stdout
if len(lines.splitlines()) != 3:
    fail("the kept frames decode to %r" % lines)
