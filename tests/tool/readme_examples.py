#!/usr/bin/env python3
"""Runs every command the README shows and compares what it prints.

Usage: readme_examples.py README TOOL

In each ``` block, a line starting with "$ " is a command; the lines after it,
up to the next command or the block's end, are its output (standard output
and standard error as a terminal shows them). A line "..." stands for any
number of lines left out. build/tools/paketlog in a command is replaced by
TOOL; commands run from the README's folder through bash.
"""
import re
import subprocess
import sys


def examples(text):
    for block in re.findall(r"^```[a-z]*\n(.*?)^```", text, re.S | re.M):
        command, shown = None, []
        for line in block.split("\n")[:-1]:
            if line.startswith("$ "):
                if command is not None:
                    yield command, shown
                command, shown = line[2:], []
            elif command is not None:
                shown.append(line)
        if command is not None:
            yield command, shown


def matches(shown, printed):
    """Whether printed reads as shown, each "..." standing for zero or more lines."""
    if not shown:
        return not printed
    if shown[0] == "...":
        return any(matches(shown[1:], printed[i:]) for i in range(len(printed) + 1))
    return bool(printed) and printed[0] == shown[0] and matches(shown[1:], printed[1:])


def main():
    readme, tool = sys.argv[1], sys.argv[2]
    folder = readme.rsplit("/", 1)[0] if "/" in readme else "."
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    failed = checked = 0
    for command, shown in examples(text):
        if "build/tools/paketlog" not in command:
            continue  # the quick start's scripts, run by CI themselves
        run = command.replace("build/tools/paketlog", tool)
        result = subprocess.run(["bash", "-c", run + " 2>&1"], cwd=folder, stdout=subprocess.PIPE, timeout=60)
        printed = result.stdout.decode("utf-8", "replace").split("\n")
        if printed and printed[-1] == "":
            printed.pop()
        checked += 1
        if not matches(shown, printed):
            failed += 1
            print(f"README example differs: $ {command}")
            print("  shown:\n    " + "\n    ".join(shown))
            print("  printed:\n    " + "\n    ".join(printed))
    print(f"README examples: {checked} checked, {failed} differ")
    sys.exit(1 if failed or not checked else 0)


if __name__ == "__main__":
    main()
