#!/usr/bin/python3
"""Checks of the Wireshark plugin's fields against the paketlog command and
against the packet records as this file restates them (scripts/ci/75-wireshark.sh).

    check_fields.py values  TSHARK CAPTURE JSON   every field of every type and parameter
    check_fields.py filters TSHARK CAPTURE JSON   a filter on each kind of field keeps the right frames
    check_fields.py unique  TSHARK                tshark -G fields: each field once, every one listed
    check_fields.py types   TSHARK CAPTURE JSON   -z paketlog,types counts as the command's packets
    check_fields.py readme  TSHARK README CAPTURE...  the README names every field; each of its
                                                  example filters keeps a frame of a capture

TSHARK runs tshark with the plugin; JSON is `paketlog -r CAPTURE --port 7700
--json -x`, one object per packet, which gives each frame's bytes and line.
Each check prints what it compared, and on a mismatch the frame, the field
and both values, and ends with status 1.
"""
import json
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

# The packet records: where each field of a type lies (offset, size) and
# the bytes a packet needs to hold them all, with its count byte.
NUMBER, CAUSE, RTP = "number", "cause", "rtp"
LAYOUT = {
    128: [("paketlog.digit", 10, 1)],
    129: [("paketlog.called", 10, NUMBER), ("paketlog.calling", 37, NUMBER), ("paketlog.dial_param", 64, 4)],
    130: [("paketlog.control", 10, 1), ("paketlog.cause", 11, CAUSE), ("paketlog.ctrl_param", 15, 4)],
    132: [("paketlog.calling", 10, NUMBER), ("paketlog.dial_param", 37, 4)],
    136: [("paketlog.session_count", 10, 1)],
    138: [("paketlog.new_seance", 10, 4), ("paketlog.calling", 14, NUMBER), ("paketlog.change_param", 41, 4)],
    140: [("paketlog.second_seance", 10, 4), ("paketlog.move_param", 14, 4)],
    141: [("paketlog.u2u.command", 10, 4), ("paketlog.u2u.param", 14, 8)],
    144: [("paketlog.rtp", 10, RTP)],
    145: [("paketlog.connect.type", 10, 1), ("paketlog.connect.source", 11, 1), ("paketlog.connect.param", 12, 4)],
}
NEED = {128: 12, 129: 69, 130: 20, 132: 42, 136: 12, 138: 46, 140: 21, 141: 23, 144: 166, 145: 17,
        208: 11, 209: 11, 210: 11, 211: 11}
NUMBER_SIZE, RTP_ADDRESS, RTP_PORT, RTP_SEND, RTP_RECV = 27, 6 + 17, 6 + 145, 6 + 147, 6 + 148
# Parameter value layouts by type.
TEXT, U8, U32, PAIR, BINARY, ENDPOINT, RTP_P, VIDEO, HIDE, SILENT = range(10)
PARAMS = {160: ("ENDPOINT_A", TEXT), 161: ("ENDPOINT_B", TEXT), 162: ("BUTTON", U8), 163: ("NAME_CALL", TEXT),
          164: ("EIRINE_NUM", SILENT), 165: ("DMR_PRIORITY", U8), 166: ("ANOTHER_ABONENT_PARAM", SILENT),
          167: ("MGCP_SEANCE", TEXT), 168: ("RTP_PARAM", RTP_P), 169: ("EDSS_ID_CALL", U32),
          170: ("ENDPOINT_C", TEXT), 171: ("SESSION_LIST", U32), 172: ("CAMERA_PROP", PAIR),
          173: ("BINARY_DATA", BINARY), 174: ("VIDEO_PARAM", VIDEO), 175: ("HIDE_PARAM", HIDE),
          176: ("HIDE_NAME", TEXT), 177: ("ENDPOINT_TYPE", ENDPOINT), 178: ("REDIRECT_NUMBER", TEXT),
          179: ("ADDCAPABILITY", TEXT), 180: ("UNKNOWN", SILENT)}
FIXED = {U8: 1, ENDPOINT: 1, U32: 4, PAIR: 8, RTP_P: 155, VIDEO: 326, HIDE: 27}
PROPERTY = {"UNDEF": 0, "EMPTY": 1, "PART": 2, "FULL": 3}

failures = []


def fail(frame, what, got, expected):
    failures.append(f"frame {frame}: {what}: tshark has {got!r}, expected {expected!r}")


def le(data, off, size):
    return int.from_bytes(data[off:off + size], "little")


def run_tshark(tshark, *args):
    return subprocess.run([tshark, *args], check=True, stdout=subprocess.PIPE).stdout


def command_packets(path):
    """The command's packets by frame: (record, bytes)."""
    packets = {}
    for line in open(path, encoding="utf-8"):
        record = json.loads(line)
        if "frame" in record:
            packets[record["frame"]] = (record, bytes.fromhex(record["hex"]))
    return packets


def pdml_frames(tshark, capture):
    """Each frame's paketlog element: {frame: (pos, [field elements])}."""
    root = ET.fromstring(run_tshark(tshark, "-r", capture, "-T", "pdml", "-Y", "paketlog"))
    frames = {}
    for packet in root.iter("packet"):
        number = int(packet.find("proto[@name='geninfo']/field[@name='num']").get("show"))
        proto = packet.find("proto[@name='paketlog']")
        frames[number] = (int(proto.get("pos")), proto)
    return frames


def fields_named(proto, name):
    return [f for f in proto.iter("field") if f.get("name") == name]


def show_int(field):
    return int(field.get("show"), 0)


def walk_block(data, at):
    """The parameters the decoders visit: (type, value offset, value length)."""
    if at >= len(data):
        return []
    params, pos = [], at + 1
    for _ in range(min(data[at], 12)):
        if pos + 4 > len(data) or pos + 4 + le(data, pos + 2, 2) > len(data):
            break
        length = le(data, pos + 2, 2)
        params.append((data[pos], pos + 4, length))
        pos += 4 + length
    return params


# What the command's line shows of each number: digits, completeness, category, descriptor.
NUMBER_TEXT = r"(\S*?)(?::(UNDEF|EMPTY|PART|FULL))? Ka=(-?\d+) (\[[^\]]*\])"
LINE_NUMBERS = {
    "paketlog.called": re.compile(r"CalledN=" + NUMBER_TEXT),
    "paketlog.calling": re.compile(r"CallingN=" + NUMBER_TEXT),
}


class FrameCheck:
    def __init__(self, frame, base, proto, record, data):
        self.frame, self.base, self.proto, self.record, self.data = frame, base, proto, record, data
        self.line = record["text"]

    def field_at(self, name, off, size):
        """The one item of `name` at the packet's offset `off`, `size` bytes long."""
        found = [f for f in fields_named(self.proto, name) if int(f.get("pos")) == self.base + off]
        if len(found) != 1:
            fail(self.frame, f"{name} at offset {off}", len(found), "one item")
            return None
        if int(found[0].get("size")) != size:
            fail(self.frame, f"{name} at offset {off}: size", int(found[0].get("size")), size)
            return None
        return found[0]

    def value(self, name, off, size, expected=None):
        field = self.field_at(name, off, size)
        if field is None:
            return None
        if expected is None:
            expected = le(self.data, off, size)
        if show_int(field) != expected:
            fail(self.frame, name, show_int(field), expected)
        return field

    def text(self, name, off, size, expected):
        field = self.field_at(name, off, size)
        if field is not None and field.get("show") != expected:
            fail(self.frame, name, field.get("show"), expected)

    def named(self, name, off, line_name, expert):
        """A named code: its value the byte, its name the line's, or unknown and marked."""
        field = self.value(name, off, 1)
        if field is None:
            return
        shown = field.get("showname").split(": ", 1)[1].rsplit(" (", 1)[0]
        marked = bool(fields_named(self.proto, expert))
        if line_name.startswith("Unknown"):
            if shown != "Unknown" or not marked:
                fail(self.frame, name + " (unknown code)", (shown, marked), ("Unknown", True))
        elif shown != line_name.strip() or marked:
            fail(self.frame, name, (shown, marked), (line_name.strip(), False))

    def number(self, name, off, shown=None):
        shown = shown or LINE_NUMBERS[name].search(self.line)
        if shown is None:
            fail(self.frame, name, "(no number in the line)", self.line)
            return
        digits, completeness, category, descriptor = shown.groups()
        self.text(name, off, NUMBER_SIZE, digits)
        self.text(name + ".descriptor", off, 4, descriptor)
        for i, code in enumerate(["number_type", "abonent", "format", "plan"]):
            self.value(f"{name}.{code}", off + i, 1)
        self.value(name + ".category", off + 4, 1, int(category) & 0xFF)
        prop = self.value(name + ".property", off + 5, 1)
        if name != "paketlog.called":  # only the called number shows its completeness
            completeness = None
        elif prop is not None and (completeness is None) != (show_int(prop) > 3):
            fail(self.frame, name + ".property", show_int(prop), completeness)
        if prop is not None and completeness is not None and show_int(prop) != PROPERTY[completeness]:
            fail(self.frame, name + ".property", show_int(prop), PROPERTY[completeness])
        self.value(name + ".digit_count", off + 6, 1)
        count = min(self.data[off + 6], 20)
        if count:
            codes = self.field_at(name + ".digits", off + 7, count)
            if codes is not None and codes.get("value") != self.data[off + 7:off + 7 + count].hex():
                fail(self.frame, name + ".digits", codes.get("value"), self.data[off + 7:off + 7 + count].hex())

    def rtp(self, off, shown):
        """u32 ID, u16 destination, RTP record; `shown`: the line's ID, Dstn, address, port, flags."""
        ident, destination, address, port, recv, send = shown.groups()
        self.value("paketlog.rtp.id", off, 4, int(ident))
        self.value("paketlog.rtp.destination", off + 4, 2, int(destination))
        self.text("paketlog.rtp.address", off + RTP_ADDRESS, 128, address)
        self.value("paketlog.rtp.port", off + RTP_PORT, 2, int(port))
        send_flag = self.value("paketlog.rtp.send", off + RTP_SEND, 1)
        if send_flag is not None and (show_int(send_flag) != 0) != (send == "s"):
            fail(self.frame, "paketlog.rtp.send", show_int(send_flag), send)
        recv_flag = self.value("paketlog.rtp.recv", off + RTP_RECV, 1)
        if recv_flag is not None and (show_int(recv_flag) != 0) != (recv == "r"):
            fail(self.frame, "paketlog.rtp.recv", show_int(recv_flag), recv)

    def type_fields(self, packet_type):
        for name, off, size in LAYOUT.get(packet_type, []):
            if size == NUMBER:
                self.number(name, off)
            elif size == CAUSE:
                cause = re.search(r"Cause:Loc=(\d+) Src=(\d+) Code=(\d+) Cause=(\d+),", self.line)
                for i, sub in enumerate(["location", "source", "code", "cause"]):
                    self.value("paketlog.cause." + sub, off + i, 1, int(cause.group(i + 1)))
                self.field_at("paketlog.cause", off, 4)
            elif size == RTP:
                shown = re.search(r"ID=(\d+) Dstn=(\d+) IP:Port=(.*):(\d+)\(([r-])([s-])\) EAP=", self.line)
                self.rtp(off, shown)
            elif name == "paketlog.control":
                self.named(name, off, re.search(r"Control=(\S+)", self.line).group(1),
                           "paketlog.unknown_control")
            elif name == "paketlog.connect.type":
                self.named(name, off, re.search(r"Type=(.*?) Source=", self.line).group(1),
                           "paketlog.unknown_connect_type")
            elif name == "paketlog.connect.source":
                self.named(name, off, re.search(r"Source=(.*?) Param=", self.line).group(1),
                           "paketlog.unknown_connect_source")
            else:
                self.value(name, off, size)

    def params(self, packet_type):
        if packet_type == 211:
            return
        texts = {int(f.get("pos")): f.get("show") for f in fields_named(self.proto, "paketlog.param.text")}
        for ptype, at, length in walk_block(self.data, NEED[packet_type] - 1):
            text = texts.get(self.base + at)
            if text is None:
                fail(self.frame, f"parameter at offset {at - 4}: paketlog.param.text", None, "its text")
                continue
            if text and text not in self.line:
                fail(self.frame, f"parameter at offset {at - 4}: text in the command's line", text, self.line)
            if ptype not in PARAMS:
                if not fields_named(self.proto, "paketlog.unknown_param_type"):
                    fail(self.frame, f"parameter type {ptype}", "no expert info", "paketlog.unknown_param_type")
                continue
            pname, layout = PARAMS[ptype]
            if length < FIXED.get(layout, 0):
                continue
            field = "paketlog.param." + pname.lower()
            value = text[len(pname) + 1:]
            if layout == TEXT:
                self.text(field, at, self.text_length(at, length), value[:-2])
            elif layout == U8:
                self.value(field, at, 1, int(value[:-2]))
            elif layout == U32:
                self.value(field, at, 4, int(value[:-2]))
            elif layout == PAIR:
                first, second = value[:-2].split(":")
                self.value(field, at, 4, int(first))
                self.value(field, at + 4, 4, int(second))
            elif layout == BINARY:
                got = self.field_at(field, at, length)
                if got is not None and (got.get("value") or "") != self.data[at:at + length].hex():
                    fail(self.frame, field, got.get("value"), self.data[at:at + length].hex())
            elif layout == ENDPOINT:
                got = self.value(field, at, 1)
                if got is not None and got.get("showname").split(": ", 1)[1].rsplit(" (", 1)[0] != value[:-2]:
                    if value[:-2] != "UNKNOWN":
                        fail(self.frame, field, got.get("showname"), value[:-2])
            elif layout == RTP_P:
                self.rtp(at, re.match(r": ID=(\d+) Dstn=(\d+) IP:Port=(.*):(\d+)\(([r-])([s-])\); $", text[len(pname):]))
            elif layout == HIDE:
                self.number("paketlog.param.hide_param", at, re.match(NUMBER_TEXT + "; $", value))
            elif layout == VIDEO:
                shown = re.match(r"IP4 (.*) (\d+) codecs: ", value)
                self.text("paketlog.video.address", at + 204, 120, shown.group(1))
                self.value("paketlog.video.port", at + 324, 2, int(shown.group(2)))

    def text_length(self, at, length):
        value = self.data[at:at + length]
        return value.index(0) if 0 in value else min(length, 6207)


def check_values(tshark, capture, json_path):
    packets = command_packets(json_path)
    frames = pdml_frames(tshark, capture)
    checked = 0
    for frame, (record, data) in sorted(packets.items()):
        packet_type = record.get("type")
        if packet_type not in NEED or len(data) < NEED[packet_type]:
            continue
        if frame not in frames:
            fail(frame, "paketlog", None, "the packet dissected")
            continue
        base, proto = frames[frame]
        check = FrameCheck(frame, base, proto, record, data)
        check.value("paketlog.type", 2, 1)
        check.value("paketlog.seance", 6, 4)
        check.value("paketlog.eap_count", NEED[packet_type] - 1, 1)
        check.type_fields(packet_type)
        check.params(packet_type)
        checked += 1
    print(f"{os.path.basename(capture)}: the fields of {checked} packets equal their records and the command's lines")


def extract(packets):
    """Per filterable field, each frame's values of it, from the bytes and the command's lines."""
    values = {}

    def add(field, frame, value):
        values.setdefault(field, {}).setdefault(frame, set()).add(value)

    for frame, (record, data) in packets.items():
        packet_type = record.get("type")
        if packet_type not in NEED or len(data) < NEED[packet_type]:
            if record.get("type") is not None and record.get("name") is None:
                add("paketlog.unknown_type", frame, True)
            continue
        line = record["text"]
        for name, off, size in LAYOUT.get(packet_type, []):
            if size == NUMBER:
                shown = LINE_NUMBERS[name].search(line)
                add(name, frame, shown.group(1))
                add(name + ".category", frame, data[off + 4])
                add(name + ".number_type", frame, data[off])
            elif size == CAUSE:
                add("paketlog.cause.cause", frame, data[off + 3])
            elif size == RTP:
                add("paketlog.rtp.port", frame, le(data, off + RTP_PORT, 2))
            else:
                add(name, frame, le(data, off, size))
        if packet_type == 130 and "Control=Unknown Ctrl " in line:
            add("paketlog.unknown_control", frame, True)
        if packet_type == 145 and re.search(r"Type=Unknown\(", line):
            add("paketlog.unknown_connect_type", frame, True)
        if packet_type != 211:
            for ptype, at, length in walk_block(data, NEED[packet_type] - 1):
                layout = PARAMS.get(ptype, (None, None))[1]
                if ptype not in PARAMS:
                    add("paketlog.unknown_param_type", frame, True)
                elif layout == U8 and length >= 1:
                    add("paketlog.param." + PARAMS[ptype][0].lower(), frame, data[at])
                elif layout == RTP_P and length >= FIXED[RTP_P]:
                    add("paketlog.rtp.port", frame, le(data, at + RTP_PORT, 2))
                elif layout == TEXT:
                    text = data[at:at + length].split(b"\0", 1)[0]
                    if text and all(0x21 <= b < 0x7F and b not in b'"\\' for b in text):
                        add("paketlog.param." + PARAMS[ptype][0].lower(), frame, text.decode())
    return values


# One filter for each kind of field: a plain number, a hex number, a number's
# digits and subfields, a named code, the cause, the RTP record, the 64-bit
# parameter, parameter values (number, text, RTP) and the expert infos.
FILTERED = ["paketlog.digit", "paketlog.dial_param", "paketlog.called", "paketlog.calling",
            "paketlog.calling.category", "paketlog.called.number_type", "paketlog.control", "paketlog.cause.cause",
            "paketlog.session_count", "paketlog.new_seance", "paketlog.second_seance", "paketlog.u2u.param",
            "paketlog.connect.type", "paketlog.connect.source", "paketlog.rtp.port", "paketlog.param.button",
            "paketlog.param.endpoint_a", "paketlog.unknown_control", "paketlog.unknown_connect_type",
            "paketlog.unknown_param_type", "paketlog.unknown_type"]


def check_filters(tshark, capture, json_path):
    values = extract(command_packets(json_path))
    for field in FILTERED:
        frames = values.get(field)
        if not frames:
            failures.append(f"{capture}: no frame has {field}: the capture does not test it")
            continue
        value = sorted(next(iter(frames.values())), key=str)[0]
        if value is True:
            display_filter = field
        elif isinstance(value, str):
            display_filter = f'{field} == "{value}"'
        else:
            display_filter = f"{field} == {value}"
        expected = sorted(f for f, vs in frames.items() if value in vs)
        got = sorted(int(n) for n in run_tshark(tshark, "-r", capture, "-Y", display_filter, "-T", "fields",
                                                "-e", "frame.number").split())
        if got != expected:
            failures.append(f"{capture}: '{display_filter}' keeps frames {got}, expected {expected}")
        else:
            print(f"{os.path.basename(capture)}: '{display_filter}' keeps exactly its {len(got)} frames")


# Every field the plugin must have, by abbreviation.
EXPECTED_FIELDS = (
    ["paketlog.line", "paketlog.testcall", "paketlog.type", "paketlog.seance", "paketlog.eap_count",
     "paketlog.digit", "paketlog.dial_param", "paketlog.control", "paketlog.cause", "paketlog.cause.location",
     "paketlog.cause.source", "paketlog.cause.code", "paketlog.cause.cause", "paketlog.ctrl_param",
     "paketlog.session_count", "paketlog.new_seance", "paketlog.change_param", "paketlog.second_seance",
     "paketlog.move_param", "paketlog.u2u.command", "paketlog.u2u.param", "paketlog.rtp.id",
     "paketlog.rtp.destination", "paketlog.rtp.address", "paketlog.rtp.ip", "paketlog.rtp.port",
     "paketlog.rtp.send", "paketlog.rtp.recv", "paketlog.connect.type", "paketlog.connect.source",
     "paketlog.connect.param", "paketlog.param", "paketlog.param.type", "paketlog.param.length",
     "paketlog.param.text", "paketlog.video.payload", "paketlog.video.codec", "paketlog.video.address",
     "paketlog.video.ip", "paketlog.video.port"]
    + [f"{n}{s}" for n in ["paketlog.called", "paketlog.calling", "paketlog.param.hide_param"]
       for s in ["", ".descriptor", ".number_type", ".abonent", ".format", ".plan", ".category", ".property",
                 ".digit_count", ".digits"]]
    + ["paketlog.param." + name.lower() for name, layout in PARAMS.values()
       if layout in (TEXT, U8, U32, PAIR, BINARY, ENDPOINT)])
EXPECTED_EXPERTS = ["paketlog.truncated", "paketlog.block_cut", "paketlog.empty", "paketlog.too_long",
                    "paketlog.unknown_type", "paketlog.unknown_control", "paketlog.unknown_connect_type",
                    "paketlog.unknown_connect_source", "paketlog.unknown_param_type", "paketlog.unknown_descriptor"]


def check_unique(tshark):
    """Expert infos are listed among the fields too."""
    rows = [line.split("\t") for line in run_tshark(tshark, "-G", "fields").decode().splitlines()]
    ours = [row[2] for row in rows if row[0] == "F" and row[2].startswith("paketlog.")]
    twice = sorted({a for a in ours if ours.count(a) > 1})
    if twice:
        failures.append(f"tshark -G fields lists these more than once: {twice}")
    expected = set(EXPECTED_FIELDS) | set(EXPECTED_EXPERTS)
    missing = sorted(expected - set(ours))
    if missing:
        failures.append(f"tshark -G fields lacks {missing}")
    extra = sorted(set(ours) - expected)
    if extra:
        failures.append(f"tshark -G fields lists fields nobody expects: {extra}")
    print(f"tshark -G fields: {len(ours)} paketlog fields and expert infos, each once")


def check_types(tshark, capture, json_path):
    expected = {}
    for record, _ in command_packets(json_path).values():
        row = "(no type byte)" if record.get("type") is None else record.get("name", "Unknown").strip()
        counts = expected.setdefault((row, record.get("type")), [0, 0])
        counts[0 if record["direction"] == "in" else 1] += 1
    output = run_tshark(tshark, "-r", capture, "-q", "-z", "paketlog,types").decode()
    got = {}
    for line in output.splitlines():
        shown = re.match(r"^(\S.*?)\s+(\d+|-)\s+(\d+)\s+(\d+)\s+(\d+)$", line)
        if shown and shown.group(1) != "All":
            code = None if shown.group(2) == "-" else int(shown.group(2))
            got[(shown.group(1), code)] = [int(shown.group(3)), int(shown.group(4))]
            if int(shown.group(5)) != int(shown.group(3)) + int(shown.group(4)):
                failures.append(f"-z paketlog,types: the total of {shown.group(1)} is not in + out")
    if got != expected:
        failures.append(f"-z paketlog,types on {capture} counts {sorted(got.items(), key=str)}, "
                        f"the command's packets {sorted(expected.items(), key=str)}\n{output}")
    else:
        print(f"{os.path.basename(capture)}: -z paketlog,types counts {sum(map(sum, got.values()))} packets as the command does")


def check_readme(tshark, readme, *captures):
    text = open(readme, encoding="utf-8").read()
    for field in EXPECTED_FIELDS + EXPECTED_EXPERTS:
        if f"`{field}`" not in text:
            failures.append(f"{readme} does not name {field}")
    filters = []
    for line in text.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if line.startswith("| `") and len(cells) == 4:
            filters += re.findall(r"`([^`]+)`", cells[3])
    for display_filter in filters:
        kept = 0
        for capture in captures:
            done = subprocess.run([tshark, "-r", capture, "-Y", display_filter], stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE)
            if done.returncode != 0:
                failures.append(f"{readme}: '{display_filter}' is no filter: {done.stderr.decode().strip()}")
                break
            kept += len(done.stdout.splitlines())
        if kept == 0:
            failures.append(f"{readme}: '{display_filter}' keeps no frame of {captures}")
    print(f"{readme}: names every field; its {len(filters)} example filters each keep frames")


def main():
    mode, args = sys.argv[1], sys.argv[2:]
    checks = {"values": check_values, "filters": check_filters, "unique": check_unique, "types": check_types,
              "readme": check_readme}
    checks[mode](*args)
    if failures:
        print("\n".join(failures[:40]), file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
