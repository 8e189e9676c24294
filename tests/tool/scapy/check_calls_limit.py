"""More calls open at once than the command keeps: the oldest is evicted.

    check_calls_limit.py PAKETLOG CALLS_LIMIT_PCAP

The capture (make_calls.py) holds 65,537 calls that are never released.
The first is closed as evicted when the 65,537th begins, and that is
reported once; every call is still written, in order of first packet.
"""
import json
import subprocess
import sys

PAKETLOG, CAPTURE = sys.argv[1], sys.argv[2]
run = subprocess.run([PAKETLOG, "--port", "7700", "--calls", "--json", "-r", CAPTURE],
                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
failures = []
calls = [json.loads(line) for line in run.stdout.decode().splitlines()]
if run.returncode != 0:
    failures.append("exit status %d" % run.returncode)
if len(calls) != 65537:
    failures.append("%d calls written, not 65537" % len(calls))
if calls and (calls[0]["seance"] != 100000 or not calls[0].get("evicted")):
    failures.append("the first call written is not seance 100000 evicted: %s" % calls[0])
evicted = [c["seance"] for c in calls if c.get("evicted")]
if len(evicted) != 1:
    failures.append("%d calls evicted, not 1: %s" % (len(evicted), evicted[:5]))
if [c["seance"] for c in calls] != list(range(100000, 165537)):
    failures.append("calls not in order of first packet")
if any(c["released"] for c in calls):
    failures.append("a call is released")
reports = run.stderr.decode().splitlines()
if reports != ["paketlog: more than 65536 calls open at once: the oldest open call is closed as evicted, and so on"]:
    failures.append("standard error: %s" % reports)
for f in failures:
    print(f)
sys.exit(1 if failures else 0)
