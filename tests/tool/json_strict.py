"""Every line of --json output is valid UTF-8 and a JSON value Python's
strict parser takes, whatever the input: texts with control characters,
quotes and backslashes, captures, the summary, and a file whose name is not
UTF-8 (its bad bytes read as Latin-1, \\u00XX).

    json_strict.py PAKETLOG SOURCE_DIR OUTDIR
"""
import json
import os
import shutil
import subprocess
import sys

PAKETLOG, SOURCE, OUTDIR = sys.argv[1:4]
os.makedirs(OUTDIR, exist_ok=True)
bad_name = os.path.join(os.fsencode(OUTDIR), b"pak\xff\xc0\x80et.bin")
shutil.copyfile(os.path.join(SOURCE, "tests/tool/data/klt_ntrdy.bin"), bad_name)

runs = [
    [PAKETLOG, "--json", os.path.join(SOURCE, "tests/tool/data/escapes.hex")],
    [PAKETLOG, "--json", "--testcall", os.path.join(SOURCE, "tests/tool/data/escapes.hex")],
    [PAKETLOG, "--json", "-x", "--stats", os.path.join(SOURCE, "examples/sample.pcap")],
    [PAKETLOG, "--json", "--binary", bad_name],
]
for args in runs:
    out = subprocess.run(args, capture_output=True).stdout
    for n, line in enumerate(out.splitlines(), 1):
        try:
            json.loads(line.decode("utf-8"), strict=True)
        except (UnicodeDecodeError, ValueError) as e:
            print("%s, line %d: %s\n%r" % (args[1:], n, e, line[:300]))
            sys.exit(1)
source = json.loads(subprocess.run(runs[-1], capture_output=True).stdout.splitlines()[0])["source"]
if not source.endswith("/pak\u00ff\u00c0\u0080et.bin"):
    print("source: %r" % source)
    sys.exit(1)
