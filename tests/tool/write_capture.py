"""-w: the frames kept, every piece of a kept datagram included, written to a
pcap file that tshark and tcpdump read; no lines unless --print.

    write_capture.py PAKETLOG CAPTURE OUTDIR

CAPTURE holds datagrams on port 7700 and others, some in IP pieces. What
tshark finds on port 7700 there (the frames that complete each datagram
and the frames of its pieces) must be the frames of the written file.
"""
import os
import shutil
import subprocess
import sys

PAKETLOG, CAPTURE, OUTDIR = sys.argv[1:4]
os.makedirs(OUTDIR, exist_ok=True)
OUT = os.path.join(OUTDIR, "kept.pcap")


def fail(message):
    print(message)
    sys.exit(1)


def tshark(path, *fields, two_pass=False):
    args = ["tshark"] + (["-2"] if two_pass else []) + ["-r", path, "-T", "fields", "-E", "separator=,"]
    for f in fields:
        args += ["-e", f]
    return [line.split(",") for line in subprocess.run(args, capture_output=True, check=True).stdout.decode().splitlines()]


run = subprocess.run([PAKETLOG, "-r", CAPTURE, "-w", OUT, "--port", "7700"], capture_output=True)
if run.returncode != 0 or run.stdout or run.stderr:
    fail("-w: exit %d, stdout %r, stderr %r" % (run.returncode, run.stdout[:200], run.stderr[:200]))

# The frames tshark finds on port 7700, with the pieces it put them together from.
rows = tshark(CAPTURE, "frame.number", "ip.reassembled_in", "ipv6.reassembled.in", "udp.srcport", "udp.dstport",
              two_pass=True)
on_port = {r[0] for r in rows if "7700" in (r[3], r[4])}
kept = {r[0] for r in rows if r[0] in on_port or r[1] in on_port or r[2] in on_port}
frames = {r[0]: (r[1], r[2]) for r in tshark(CAPTURE, "frame.number", "frame.time_epoch", "frame.len")}
expected = sorted(frames[n] for n in kept)
written = sorted((r[0], r[1]) for r in tshark(OUT, "frame.time_epoch", "frame.len"))
if written != expected:
    fail("tshark reads %d frames in the file, %d expected:\n%s\n%s" % (len(written), len(expected), written, expected))

# The same bytes: paketlog and tcpdump read the file as the original.
lines = subprocess.run([PAKETLOG, "-r", OUT, "--port", "7700"], capture_output=True, check=True).stdout
original = subprocess.run([PAKETLOG, "-r", CAPTURE, "--port", "7700"], capture_output=True, check=True).stdout
if lines != original:
    fail("the written file decodes to other lines than the original's on port 7700")
if shutil.which("tcpdump"):
    dump = subprocess.run(["tcpdump", "-n", "-r", OUT], capture_output=True)
    if dump.returncode != 0 or len(dump.stdout.splitlines()) != len(expected):
        fail("tcpdump: exit %d, %d lines" % (dump.returncode, len(dump.stdout.splitlines())))

# --print: the lines too.
run = subprocess.run([PAKETLOG, "-r", CAPTURE, "-w", OUT, "--print", "--port", "7700"], capture_output=True)
if run.returncode != 0 or run.stdout != original:
    fail("--print: exit %d, other lines" % run.returncode)

# -w -: the capture on standard output, into another paketlog's standard input.
saved = subprocess.run([PAKETLOG, "-r", CAPTURE, "-w", "-", "--port", "7700"], capture_output=True, check=True).stdout
lines = subprocess.run([PAKETLOG, "--port", "7700"], input=saved, capture_output=True, check=True).stdout
if lines != original:
    fail("-w -: the capture on standard output decodes to other lines")
