"""Compares paketlog's reading of a capture with tshark's.

    check_tshark.py PAKETLOG CAPTURE

For each case, the frames paketlog --json shows must be exactly those
tshark's display filter keeps (fragmented datagrams are counted in the frame
that completes them, as both tools do), with the same addresses and ports;
each line must be the hex-mode line of the same payload in its direction.
Prints one line per failure and exits 1 if there was any.
"""
import json
import subprocess
import sys

PORT = "udp.port == 7700"
# paketlog options, the tshark display filter that must keep the same frames
# (a BPF expression sees behind a VLAN tag only after "vlan", as in tcpdump)
CASES = [
    (["--port", "7700"], PORT),
    (["--port", "any", "--filter", "udp and src port 7700"], "!vlan && udp.srcport == 7700"),
    (["--port", "any", "--filter", "udp port 7701"], "!vlan && udp.port == 7701"),
    (["--port", "any", "--filter", "ip6"], "!vlan && ipv6 && udp"),
    (["--port", "any", "--filter", "vlan 42 and udp port 7700"], "vlan.id == 42 && " + PORT),
    (["--port", "7700", "--type", "CONTROL", "--type", "0x88"],
     PORT + " && (udp.payload[2:1] == 82 || udp.payload[2:1] == 88)"),
    (["--port", "7700", "--seance", "1042"], PORT + " && udp.payload[6:4] == 12:04:00:00"),
]
FIELDS = ["frame.number", "ip.src", "ipv6.src", "udp.srcport", "ip.dst", "ipv6.dst", "udp.dstport", "udp.payload"]


def run(args, stdin=b""):
    return subprocess.run(args, input=stdin, check=False, capture_output=True, env={"LC_ALL": "C", "TZ": "UTC"}).stdout


def main():
    paketlog, capture = sys.argv[1], sys.argv[2]
    failures = []
    for args, display in CASES:
        ours = {o["frame"]: o for o in map(json.loads, run([paketlog, "--json", "-r", capture] + args).splitlines())}
        theirs = {}
        for row in run(["tshark", "-r", capture, "-Y", display, "-T", "fields"] + sum((["-e", f] for f in FIELDS), [])).decode().splitlines():
            number, src4, src6, sport, dst4, dst6, dport, payload = row.split("\t")
            theirs[int(number)] = (src4 or src6, int(sport), dst4 or dst6, int(dport), payload)
        name = " ".join(args)
        if sorted(ours) != sorted(theirs):
            failures.append(f"{name}: frames {sorted(ours)}, tshark {sorted(theirs)}")
            continue
        frames = sorted(ours)
        for frame in frames:
            o, (src, sport, dst, dport, _) = ours[frame], theirs[frame]
            if (o["src"], o["sport"], o["dst"], o["dport"]) != (src, sport, dst, dport):
                failures.append(f"{name}: frame {frame}: {o['src']}.{o['sport']} > {o['dst']}.{o['dport']}, "
                                f"tshark {src}.{sport} > {dst}.{dport}")
        # tshark's payloads through the hex mode, each worded for its direction
        for direction, msg_type in (("in", "1"), ("out", "2"), (None, "1")):
            mine = [f for f in frames if ours[f].get("direction") == direction]
            trace = "".join(theirs[f][4] + "\n" for f in mine).encode()
            lines = run([paketlog, "--msg-type", msg_type], trace).decode().splitlines() if mine else []
            if len(lines) != len(mine):
                failures.append(f"{name}: {len(lines)} hex-mode lines for {len(mine)} payloads")
            for frame, line in zip(mine, lines):
                if ours[frame]["text"] != line:
                    failures.append(f"{name}: frame {frame}: {ours[frame]['text']!r}, hex mode {line!r}")
    for f in failures:
        print(f)
    sys.exit(1 if failures else 0)


main()
