"""The command's own pcapng reader against tshark on pcapng files of every
shape it reads: interfaces of different link types (mergecap of an Ethernet
and a Linux cooked capture), several sections, big-endian sections,
nanosecond and binary time resolutions, an if_tsoffset, simple packet
blocks. For each file, the frames paketlog --json -x shows must be tshark's
UDP frames: the same numbers, times and payload bytes.

    check_pcapng.py PAKETLOG CAPTURE_DIR OUTDIR

Where libpcap reads a file (one link type), tcpdump's reading of it is
compared too. CAPTURE_DIR holds paketlog-capture's ethernet-ipv6-vlan.pcapng,
sll-ipv4.pcap and sll2-ipv6.pcapng.
"""
import datetime
import json
import os
import struct
import subprocess
import sys

PAKETLOG, CAPTURES, OUTDIR = sys.argv[1:4]
os.makedirs(OUTDIR, exist_ok=True)


def blocks(data):
    """(type, body) of each block of a little-endian pcapng file."""
    pos = 0
    while pos < len(data):
        kind, length = struct.unpack("<II", data[pos:pos + 8])
        yield kind, data[pos + 8:pos + length - 4]
        pos += length


def block(order, kind, body):
    body += b"\0" * (-len(body) % 4)
    return struct.pack(order + "II", kind, len(body) + 12) + body + struct.pack(order + "I", len(body) + 12)


def rewrite(data, big=False, resolution=None, offset=0, simple=False):
    """The file again: big-endian, another if_tsresol (time stamps scaled), an if_tsoffset, or simple packet blocks."""
    o = ">" if big else "<"
    out = b""
    for kind, body in blocks(data):
        if kind == 0x0A0D0D0A:
            magic, major, minor, length = struct.unpack("<IHHq", body[:16])
            out += block(o, kind, struct.pack(o + "IHHq", magic, major, minor, length))
        elif kind == 1:
            link, _, snap = struct.unpack("<HHI", body[:8])
            options = b""
            if resolution is not None:
                options += struct.pack(o + "HH", 9, 1) + bytes([resolution]) + b"\0\0\0"
            if offset:
                options += struct.pack(o + "HHq", 14, 8, offset)
            if options:
                options += struct.pack(o + "HH", 0, 0)
            out += block(o, 1, struct.pack(o + "HHI", link, 0, snap) + options)
        elif kind == 6:
            iface, hi, lo, cap, wire = struct.unpack("<IIIII", body[:20])
            stamp = (hi << 32 | lo) - offset * 1000000
            if resolution == 9:
                stamp *= 1000
            elif resolution == 0x94:  # 2^-20 s
                stamp = stamp * (1 << 20) // 1000000
            frame = body[20:20 + cap]
            if simple:
                out += block(o, 3, struct.pack(o + "I", wire) + frame)
            else:
                out += block(o, 6, struct.pack(o + "IIIII", iface, stamp >> 32, stamp & 0xFFFFFFFF, cap, wire) + frame)
    return out


def path(name):
    return os.path.join(OUTDIR, name)


def ours(capture):
    out = subprocess.run([PAKETLOG, "--json", "-x", "--port", "any", "-r", capture], capture_output=True)
    if out.returncode != 0:
        sys.exit("%s: paketlog exit %d: %s" % (capture, out.returncode, out.stderr.decode()))
    seen = []
    for line in out.stdout.splitlines():
        o = json.loads(line)
        t = datetime.datetime.strptime(o["time"][:19], "%Y-%m-%dT%H:%M:%S").replace(tzinfo=datetime.timezone.utc)
        fraction = o["time"][20:-1]
        seen.append((o["frame"], "%d.%s" % (int(t.timestamp()), fraction.ljust(9, "0")), o["hex"]))
    return seen


def theirs(capture, timed):
    out = subprocess.run(["tshark", "-r", capture, "-Y", "udp", "-T", "fields", "-e", "frame.number", "-e",
                          "frame.time_epoch", "-e", "udp.payload"], capture_output=True, check=True).stdout.decode()
    seen = []
    for line in out.splitlines():
        number, epoch, payload = line.split("\t")
        seconds, _, fraction = epoch.partition(".")
        seen.append((int(number), "%s.%s" % (seconds, fraction.ljust(9, "0")) if timed else "", payload.replace(":", "")))
    return seen


eth = open(os.path.join(CAPTURES, "ethernet-ipv6-vlan.pcapng"), "rb").read()
sll2 = open(os.path.join(CAPTURES, "sll2-ipv6.pcapng"), "rb").read()
subprocess.run(["mergecap", "-F", "pcapng", "-w", path("mixed-links.pcapng"), os.path.join(CAPTURES, "ethernet-ipv6-vlan.pcapng"),
                os.path.join(CAPTURES, "sll-ipv4.pcap")], check=True)
files = {
    "mixed-links.pcapng": open(path("mixed-links.pcapng"), "rb").read(),
    "sections.pcapng": eth + rewrite(sll2, big=True),
    "big-endian.pcapng": rewrite(eth, big=True),
    "nanoseconds.pcapng": rewrite(eth, resolution=9),
    "binary-resolution.pcapng": rewrite(sll2, big=True, resolution=0x94),
    "offset.pcapng": rewrite(eth, offset=1000),
    "simple.pcapng": rewrite(eth, simple=True),
}
failed = False
for name, data in files.items():
    with open(path(name), "wb") as f:
        f.write(data)
    a, b = ours(path(name)), theirs(path(name), name != "simple.pcapng")
    if name == "simple.pcapng":  # simple packet blocks carry no time
        a = [(n, "", h) for n, _, h in a]
    if name == "binary-resolution.pcapng":  # tshark rounds 2^-20 s to microseconds its own way
        a = [(n, t[:17], h) for n, t, h in a]
        b = [(n, t[:17], h) for n, t, h in b]
    if a != b or not a:
        print("%s: paketlog %d frames, tshark %d\n%s\n%s" % (name, len(a), len(b), a[:3], b[:3]))
        failed = True
# libpcap (through tcpdump, nanosecond time stamps) where it reads the file: one link type a file.
for name in ["big-endian.pcapng", "nanoseconds.pcapng", "offset.pcapng"]:
    dump = subprocess.run(["tcpdump", "-n", "--nano", "-tt", "-r", path(name)], capture_output=True)  # every frame UDP
    times = [line.split()[0].decode() for line in dump.stdout.splitlines()]
    mine = [t for _, t, _ in ours(path(name))]
    if dump.returncode != 0 or times != mine:
        print("%s: libpcap reads %r, paketlog %r" % (name, times[:3], mine[:3]))
        failed = True
sys.exit(1 if failed else 0)
