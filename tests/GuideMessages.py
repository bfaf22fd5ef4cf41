#!/usr/bin/env python3
"""Every message of the program's string table appears in the operator's guide word for word.

GuideMessages.py RESOURCE_SCRIPT GUIDE

A message compares as the operator sees it: each line break of the text ("\\r\\n" or "\\n") is a
line break in the guide, where the messages stand in blocks of their own, and an accelerator's
"&" is not shown ("&&" shows one "&"). A printf conversion of a result format ("%02X") stands for
the figures of an example (two or more hexadecimal digits). Everything else is compared exactly.
"""
import re
import sys

ENTRY = re.compile(r'^\s*(IDS_\w+)\s+"((?:[^"]|"")*)"\s*$')
CONVERSION = re.compile(r"%[-+ #0]*(\d*)(?:\.\d+)?[hlL]*([diuxXs%])")
FIGURES = {"d": "[0-9]", "i": "[0-9]", "u": "[0-9]", "x": "[0-9a-f]", "X": "[0-9A-F]"}


def string_table(path):
    """(name, text) of each entry of the script's STRINGTABLE blocks, with its escapes undone."""
    entries, inside = [], False
    with open(path, encoding="utf-8") as script:
        for number, line in enumerate(script, 1):
            word = line.strip()
            if word == "STRINGTABLE":
                inside = True
            elif inside and word == "END":
                inside = False
            elif inside and word.startswith("IDS_"):
                match = ENTRY.match(line)
                if not match:
                    sys.exit(f"{path}:{number}: a string-table line this check cannot read")
                text = match.group(2).replace('""', '"')
                text = re.sub(r"\\(r\\n|n|t|\\)",
                              lambda m: {"r\\n": "\n", "n": "\n", "t": "\t", "\\": "\\"}[m.group(1)], text)
                entries.append((match.group(1), text))
    return entries


def shown(text):
    """The message as a pattern of what the operator reads."""
    text = re.sub(r"&(&?)", r"\1", text)
    pattern, last = "", 0
    for match in CONVERSION.finditer(text):
        pattern += re.escape(text[last:match.start()])
        width, kind = match.group(1), match.group(2)
        if kind == "%":
            pattern += "%"
        elif kind == "s":
            pattern += ".+?"
        else:
            pattern += FIGURES[kind] + "{%s,}" % (width or "1")
        last = match.end()
    return pattern + re.escape(text[last:])


def main():
    rc, guide_path = sys.argv[1], sys.argv[2]
    with open(guide_path, encoding="utf-8") as guide_file:
        guide = guide_file.read()
    entries = string_table(rc)
    if not entries:
        sys.exit(f"{rc}: no string table found")
    missing = [(name, text) for name, text in entries if not re.search(shown(text), guide)]
    for name, text in missing:
        print(f"not in the guide word for word: {name}: {text!r}")
    print(f"{len(entries) - len(missing)} of {len(entries)} messages in the guide")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
