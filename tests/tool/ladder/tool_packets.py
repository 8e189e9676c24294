"""What the command prints of the packets of some seances, for the ladder checks."""
import json
import os
import subprocess


def tool_lines(tool, capture, port, seances, *extra):
    args = [tool, "--port", port, *extra, "-r", capture]
    for s in seances:
        args += ["--seance", s]
    return subprocess.run(args, check=True, capture_output=True, text=True, env=dict(os.environ, TZ="UTC")).stdout.splitlines()


def call_packets(tool, capture, port, seances):
    """The lines and JSON objects of the packets of `seances` that belong to
    calls: listed types (they have a name), module reports (208-211) not."""
    lines = tool_lines(tool, capture, port, seances)
    objects = [json.loads(l) for l in tool_lines(tool, capture, port, seances, "--json")]
    kept = [(l, o) for l, o in zip(lines, objects) if "name" in o and not 208 <= o["type"] <= 211]
    return [l for l, _ in kept], [o for _, o in kept]
