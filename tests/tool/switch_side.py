"""--switch ADDR[:PORT]: a datagram from the switch is incoming, one to it
outgoing, also where both peers use port 7700; datagrams neither from nor
to it are left out. Captures keep only port 7700 unless --port any.

    switch_side.py PAKETLOG SAMPLE_HEX OUTDIR
"""
import json
import os
import struct
import subprocess
import sys

PAKETLOG, SAMPLE, OUTDIR = sys.argv[1:4]
os.makedirs(OUTDIR, exist_ok=True)
CAPTURE = os.path.join(OUTDIR, "two-peers.pcap")
packet = [bytes.fromhex(l.split("#")[0]) for l in open(SAMPLE) if l.split("#")[0].strip()][0]


def datagram(src, dst, sport, dport, payload):
    udp = struct.pack(">HHHH", sport, dport, 8 + len(payload), 0) + payload
    ip = struct.pack(">BBHHHBBH4s4s", 0x45, 0, 20 + len(udp), 1, 0, 64, 17, 0, bytes(src), bytes(dst))
    return ip + udp


A, B, C = (10, 0, 0, 1), (10, 0, 0, 2), (10, 0, 0, 3)
frames = [datagram(A, B, 7700, 7700, packet), datagram(B, A, 7700, 7700, packet),
          datagram(A, C, 7700, 7700, packet), datagram(A, B, 5353, 53, packet)]
with open(CAPTURE, "wb") as f:
    f.write(struct.pack("<IHHiIII", 0xA1B2C3D4, 2, 4, 0, 0, 65535, 101))
    for n, frame in enumerate(frames):
        f.write(struct.pack("<IIII", 1709285400 + n, 0, len(frame), len(frame)) + frame)

failed = False


def check(args, want, what):
    global failed
    out = subprocess.run([PAKETLOG, "-t"] + args + ["-r", CAPTURE], capture_output=True)
    got = [(l.split(b": ")[0].decode(), l.split(b": ")[1][:2].decode()) for l in out.stdout.splitlines()]
    if out.returncode != 0 or got != want:
        print("%s: %s gives %r (exit %d), not %r" % (what, args, got, out.returncode, want))
        failed = True


AB, BA, AC, DNS = "10.0.0.1.7700 > 10.0.0.2.7700", "10.0.0.2.7700 > 10.0.0.1.7700", "10.0.0.1.7700 > 10.0.0.3.7700", \
    "10.0.0.1.5353 > 10.0.0.2.53"
check(["--switch", "10.0.0.2"], [(AB, ">>"), (BA, "<<")], "by address")
check(["--switch", "10.0.0.2:7700"], [(AB, ">>"), (BA, "<<")], "by address and port")
check(["--switch", "10.0.0.2:7701"], [], "another port of the switch")
check(["--switch", "10.0.0.2", "--switch", "10.0.0.3"], [(AB, ">>"), (BA, "<<"), (AC, ">>")], "two switches")
check(["--switch", "10.0.0.1"], [(AB, "<<"), (BA, ">>"), (AC, "<<")], "the other side")
check([], [(AB, "<<"), (BA, "<<"), (AC, "<<")], "port 7700 by default, from the port: incoming")
check(["--port", "any"], [(AB, "<<"), (BA, "<<"), (AC, "<<"), (DNS, "<<")], "--port any")
out = subprocess.run([PAKETLOG, "--json", "--switch", "10.0.0.2", "-r", CAPTURE], capture_output=True).stdout
if [json.loads(l)["direction"] for l in out.splitlines()] != ["out", "in"]:
    print("--json direction: %r" % out)
    failed = True
sys.exit(1 if failed else 0)
