#!/usr/bin/python3
"""Captures for the Wireshark plugin's check (scripts/ci/75-wireshark.sh),
written with scapy, so that neither our capture writer nor tshark made them.

    make_captures.py OUTDIR CORPUS TRACE.hex... [-- PAYLOAD_FILE...] [--frames FRAMES_FILE...]

OUTDIR/corpus.pcap           every golden-corpus packet to UDP port 7700, then from it
OUTDIR/corpus.testcall.txt   the corpus' test-call line for each of those datagrams, UTF-8
OUTDIR/mixed.pcap            the corpus and the traces' packets, in turn to and from port
                             7700, among DNS, other UDP and TCP (to port 7700 too); every
                             fifth over IPv6, every seventh VLAN-tagged, the longer ones
                             in IP pieces written last piece first
OUTDIR/hostile.pcap          well-formed frames whose payloads are not: random bytes,
                             mutated and cut trace packets, the PAYLOAD_FILEs
OUTDIR/broken.pcap           frames that are not well-formed: cut by the capture inside the
                             payload or the UDP header, lone IP pieces, a lying UDP length
OUTDIR/ports.pcap            the traces' packets between port 7700 and peers on ports 53, 123,
                             1 and 40000, both ways, over IPv4 and IPv6, and one empty datagram
                             each way
OUTDIR/jumbo.pcap            an IPv6 jumbogram to port 7700: a UDP payload of 70,012 bytes
OUTDIR/fuzz-capture-NAME.pcap  for each FRAMES_FILE (an input of the capture fuzz target:
                             a link-type index, then frames, each a little-endian u16 length
                             and its bytes, the last one cut to what is left), its frames
"""
import random
import struct
import sys

from scapy.all import IP, TCP, UDP, Dot1Q, Ether, IPv6, IPv6ExtHdrFragment, Raw, fragment, fragment6

PORT = 7700
FIRST_SECOND = 1709285400  # 2024-03-01 09:30:00 UTC
SWITCH, PEER = "10.0.0.2", "10.0.0.1"
SWITCH6, PEER6 = "2001:db8::2", "2001:db8::1"
PIECE = 64  # IP piece payload size for fragmented datagrams
LONG = 120  # datagrams longer than this go in pieces


# The link types of the capture fuzz target, in its order, as pcap link types:
# Ethernet, Linux cooked v1 and v2, raw IP, IPv4, IPv6, BSD loopback, OpenBSD loopback.
FUZZ_LINKS = [1, 113, 276, 101, 228, 229, 0, 108]


def write_pcap(path, frames, link=1, snaplen=65535):
    """frames: (bytes, length on the wire); little-endian microsecond pcap."""
    with open(path, "wb") as out:
        out.write(struct.pack("<IHHiIII", 0xA1B2C3D4, 2, 4, 0, 0, snaplen, link))
        for i, (data, wire) in enumerate(frames):
            out.write(struct.pack("<IIII", FIRST_SECOND + i // 4, (i % 4) * 250000, len(data), wire))
            out.write(data)


def whole(frame):
    data = bytes(frame)
    return data, len(data)


def read_trace(path):
    packets = []
    for line in open(path, encoding="utf-8"):
        line = line.split("#", 1)[0].strip()
        if line:
            packets.append(bytes.fromhex(line.replace(":", " ").replace("-", " ")))
    return packets


def unquote(text):
    """A corpus line's quoted text as its bytes."""
    body, out, i = text[text.index('"') + 1 : text.rindex('"')], bytearray(), 0
    while i < len(body):
        if body[i] == "\\" and body[i + 1] == "x":
            out.append(int(body[i + 2 : i + 4], 16))
            i += 4
        elif body[i] == "\\":
            out.append(ord(body[i + 1]))
            i += 2
        else:
            out.append(ord(body[i]))
            i += 1
    return bytes(out)


def read_corpus(path):
    """(packet, incoming test-call line, outgoing test-call line) per entry."""
    entries, packet, lines = [], None, {}
    for line in open(path, encoding="utf-8"):
        if line.startswith("name "):
            if packet is not None:
                entries.append((packet, lines["in"], lines["out"]))
            packet, lines = b"", {}
        elif line.startswith("packet "):
            packet += bytes.fromhex(line.split()[1])
        elif line.startswith("tc "):
            lines[line.split()[1]] = unquote(line)
    if packet is not None:
        entries.append((packet, lines["in"], lines["out"]))
    return entries


def utf8(line):
    """Windows-1251 bytes as the command shows them: controls and 0x98 as \\xNN."""
    shown = []
    for b in line:
        if b < 0x20 or b == 0x7F or b == 0x98:
            shown.append("\\x%02X" % b)
        else:
            shown.append(bytes([b]).decode("cp1251"))
    return "".join(shown)


def datagram(payload, incoming, n=0):
    """Ethernet frames of one datagram, to (outgoing) or from (incoming) the switch's port."""
    sport, dport = (PORT, 40000 + n % 100) if incoming else (40000 + n % 100, PORT)
    ipv6, vlan = n % 5 == 4, n % 7 == 6
    eth = Ether(src="02:00:00:00:00:01", dst="02:00:00:00:00:02")
    if vlan:
        eth = eth / Dot1Q(vlan=42)
    src, dst = (SWITCH6, PEER6) if incoming else (PEER6, SWITCH6)
    if not ipv6:
        src, dst = (SWITCH, PEER) if incoming else (PEER, SWITCH)
    udp = UDP(sport=sport, dport=dport) / Raw(payload)
    if ipv6:
        packet = IPv6(src=src, dst=dst) / IPv6ExtHdrFragment(id=n) / udp
        pieces = fragment6(packet, PIECE + 48) if len(payload) > LONG else [IPv6(src=src, dst=dst) / udp]
    else:
        packet = IP(src=src, dst=dst, id=n) / udp
        pieces = fragment(packet, fragsize=PIECE) if len(payload) > LONG else [packet]
    return [whole(eth / piece) for piece in reversed(pieces)]


PEER_PORTS = [53, 123, 1, 40000]


def port_frames(packets):
    """Each packet between port 7700 and a peer port, both ways on each port in
    turn, eight over IPv4 then eight over IPv6; then an empty datagram each way."""
    frames = []
    for n, packet in enumerate(packets + [b"", b""]):
        peer = PEER_PORTS[n // 2 % len(PEER_PORTS)]
        incoming = n % 2 == 1
        sport, dport = (PORT, peer) if incoming else (peer, PORT)
        if n // 8 % 2 == 0:
            ip = IP(src=SWITCH, dst=PEER) if incoming else IP(src=PEER, dst=SWITCH)
        else:
            ip = IPv6(src=SWITCH6, dst=PEER6) if incoming else IPv6(src=PEER6, dst=SWITCH6)
        eth = Ether(src="02:00:00:00:00:01", dst="02:00:00:00:00:02")
        frames.append(whole(eth / ip / UDP(sport=sport, dport=dport) / Raw(packet)))
    return frames


def jumbogram():
    """An IPv6 jumbogram (RFC 2675): payload length 0, a hop-by-hop Jumbo
    Payload option, UDP length 0, a CHK_SEANCE padded to 70,012 bytes."""
    payload = bytes([1, 0, 0x88, 0, 0, 0, 7, 0, 0, 0, 3, 0]) + bytes(70000)
    udp = struct.pack(">HHHH", 40000, PORT, 0, 0) + payload
    hop_by_hop = bytes([17, 0, 0xC2, 4]) + struct.pack(">I", len(udp) + 8)
    ip = IPv6(src=PEER6, dst=SWITCH6, nh=0, plen=0)
    data = bytes(Ether(src="02:00:00:00:00:01", dst="02:00:00:00:00:02") / ip) + hop_by_hop + udp
    return data, len(data)


def noise(rng, n):
    eth = Ether(src="02:00:00:00:00:01", dst="02:00:00:00:00:03")
    junk = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 60)))
    kinds = [
        IP(src=PEER, dst="10.0.0.53") / UDP(sport=50000 + n, dport=53) / Raw(junk),
        IP(src=PEER, dst="10.0.0.9") / UDP(sport=5000, dport=5001) / Raw(junk),
        IP(src=PEER, dst=SWITCH) / TCP(sport=40000, dport=PORT, flags="PA", seq=n) / Raw(junk),
    ]
    return [whole(eth / kinds[n % len(kinds)])]


def mutated(rng, packet):
    data = bytearray(packet)
    for _ in range(rng.randrange(1, 6)):
        data[rng.randrange(len(data))] = rng.randrange(256)
    return bytes(data[: rng.randrange(1, len(data) + 1)])


def fuzz_frames(path):
    """The link type and frames of a capture fuzz target's input."""
    data = open(path, "rb").read()
    frames, pos = [], 1
    while pos + 2 <= len(data):
        n = min(data[pos] | data[pos + 1] << 8, len(data) - pos - 2)
        frames.append(whole(data[pos + 2 : pos + 2 + n]))
        pos += 2 + n
    return (FUZZ_LINKS[data[0] % len(FUZZ_LINKS)] if data else 1), frames


def main():
    args = sys.argv[1:]
    frame_files = args[args.index("--frames") + 1 :] if "--frames" in args else []
    args = args[: args.index("--frames")] if "--frames" in args else args
    payload_files = args[args.index("--") + 1 :] if "--" in args else []
    args = args[: args.index("--")] if "--" in args else args
    outdir, corpus_path, traces = args[0], args[1], args[2:]
    rng = random.Random(18)
    corpus = read_corpus(corpus_path)
    trace_packets = [p for path in traces for p in read_trace(path)]

    frames, expected = [], []
    for incoming in (False, True):
        for n, (packet, tc_in, tc_out) in enumerate(corpus):
            frames += [whole(f) for f in [Ether() / IP(src=SWITCH if incoming else PEER,
                                                        dst=PEER if incoming else SWITCH) /
                                          UDP(sport=PORT if incoming else 40000 + n,
                                              dport=40000 + n if incoming else PORT) / Raw(packet)]]
            expected.append(utf8(tc_in if incoming else tc_out))
    write_pcap(f"{outdir}/corpus.pcap", frames)
    with open(f"{outdir}/corpus.testcall.txt", "w", encoding="utf-8") as out:
        out.write("".join(line + "\n" for line in expected))

    frames = []
    for n, packet in enumerate(trace_packets + [entry[0] for entry in corpus]):
        frames += datagram(packet, n % 2 == 1, n)
        if n % 3 == 0:
            frames += noise(rng, n)
    write_pcap(f"{outdir}/mixed.pcap", frames)

    payloads = [b"", b"\x01", b"\x01\x00"]
    payloads += [bytes(rng.randrange(256) for _ in range(rng.randrange(3, 700))) for _ in range(100)]
    payloads += [mutated(rng, p) for p in trace_packets for _ in range(10)]
    payloads += [open(path, "rb").read()[:65000] for path in payload_files]
    frames = []
    for n, payload in enumerate(payloads):
        frames += datagram(payload, n % 2 == 1, n)
    write_pcap(f"{outdir}/hostile.pcap", frames)

    frames = []
    for n, packet in enumerate(trace_packets):
        data, wire = datagram(packet, n % 2 == 1, 0)[0]
        frames.append((data[: len(data) - rng.randrange(1, len(packet) + 1)], wire))  # cut in the payload
        frames.append((data[: 14 + 20 + 4], wire))  # cut inside the UDP header
    long_packet = max(trace_packets, key=len)
    pieces = datagram(long_packet, False, 1)
    frames += [pieces[0], pieces[-1]]  # an IP datagram missing its middle pieces
    lying = Ether() / IP(src=PEER, dst=SWITCH) / UDP(sport=40000, dport=PORT, len=500) / Raw(long_packet[:40])
    frames.append(whole(lying))
    write_pcap(f"{outdir}/broken.pcap", frames)

    write_pcap(f"{outdir}/ports.pcap", port_frames(trace_packets))
    write_pcap(f"{outdir}/jumbo.pcap", [jumbogram()], snaplen=262144)

    for path in frame_files:
        link, frames = fuzz_frames(path)
        write_pcap(f"{outdir}/fuzz-capture-{path.rsplit('/', 1)[-1]}.pcap", frames, link)


if __name__ == "__main__":
    main()
