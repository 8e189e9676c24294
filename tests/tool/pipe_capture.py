"""A capture read from a pipe: each frame's line comes out while the pipe is
still open, as soon as the frame's bytes are in.

    pipe_capture.py PAKETLOG CAPTURE [ARG]...

Writes CAPTURE into paketlog's standard input one frame (pcapng: one block)
at a time, the file's header with the first, and waits after each for its
line before writing the next. ARGs are paketlog's (e.g. -r -, --pcap, or
none: standard input sniffed).
"""
import select
import struct
import subprocess
import sys

PAKETLOG, CAPTURE, ARGS = sys.argv[1], sys.argv[2], sys.argv[3:]
WAIT = 5.0  # seconds for any one line


def fail(message):
    print(message)
    sys.exit(1)


def pieces(data):
    """The capture cut where its frames begin: header and first frame, then one frame each."""
    if data[:4] == b"\x0a\x0d\x0d\x0a":  # pcapng: blocks; the section and interface go with the first frame
        order = "<" if data[8:12] == b"\x4d\x3c\x2b\x1a" else ">"
        cuts, pos = [], 0
        while pos < len(data):
            length = struct.unpack(order + "I", data[pos + 4:pos + 8])[0]
            if struct.unpack(order + "I", data[pos:pos + 4])[0] in (3, 6):  # simple and enhanced packets
                cuts.append(pos)
            pos += length
    else:
        order = "<" if data[:4] == b"\xd4\xc3\xb2\xa1" or data[:4] == b"\x4d\x3c\xb2\xa1" else ">"
        cuts, pos = [], 24
        while pos < len(data):
            cuts.append(pos)
            pos += 16 + struct.unpack(order + "I", data[pos + 8:pos + 12])[0]
    ends = cuts[1:] + [len(data)]
    return [data[:ends[0]]] + [data[a:b] for a, b in zip(cuts[1:], ends[1:])]


data = open(CAPTURE, "rb").read()
p = subprocess.Popen([PAKETLOG, "-l", "-t"] + ARGS, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                     stderr=subprocess.PIPE)
lines = []
for n, piece in enumerate(pieces(data)[:4]):
    p.stdin.write(piece)
    p.stdin.flush()
    if not select.select([p.stdout], [], [], WAIT)[0]:
        p.kill()
        fail("frame %d: no line within %.0f s while the pipe is open" % (n + 1, WAIT))
    lines.append(p.stdout.readline().decode())
p.stdin.close()
rest = p.stdout.read().decode()
if p.wait(WAIT) != 0:
    fail("exit status %d: %s" % (p.returncode, p.stderr.read().decode()))
whole = subprocess.run([PAKETLOG, "-t", CAPTURE], capture_output=True, check=True).stdout.decode()
if "".join(lines) + rest != "".join(whole.splitlines(True)[:4]):
    fail("lines differ from the file's:\n" + "".join(lines) + rest)
