#!/usr/bin/env python3
"""The shown texts' catalogue: one line per text, the Chinese text TAB its English text
(UTF-8; \\r \\n \\t \\\\ written as escapes). The Chinese text is the key; the texts are
numbered in catalogue order from FIRST_ID.

  catalogue.py cpp CATALOGUE OUT [--keys-only]   the C++ table (keys only where the
                                                 resources hold the English)
  catalogue.py rc CATALOGUE OUT                  the STRINGTABLE, one block per language
  catalogue.py check CATALOGUE SOURCE_DIR        every shown<"..."> literal and every dialog
                                                 text needs an English text; lists those that
                                                 lack one and fails while any does
"""
import os
import re
import sys

FIRST_ID = 0x6000  # above every id in resource.h
HAN = re.compile(r"[\u3400-\u9fff\uf900-\ufaff]")
ESCAPES = {"r": "\r", "n": "\n", "t": "\t", "\\": "\\", '"': '"'}


def unescape(text):
    return re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1), "\\" + m.group(1)), text)


def read(path):
    """[(chinese, english)] with escapes resolved; english is "" where it is missing."""
    entries, seen = [], set()
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            chinese, _, english = line.partition("\t")
            chinese, english = unescape(chinese), unescape(english)
            if not chinese or chinese in seen:
                sys.exit(f"{path}:{number}: empty or repeated Chinese text")
            try:
                english.encode("gbk")
            except UnicodeEncodeError:
                sys.exit(f"{path}:{number}: the English text has a character GBK cannot hold")
            seen.add(chinese)
            entries.append((chinese, english))
    return entries


def c_string(text):
    out = []
    for ch in text:
        if ch in "\\\"":
            out.append("\\" + ch)
        elif ch == "\r":
            out.append("\\r")
        elif ch == "\n":
            out.append("\\n")
        elif ch == "\t":
            out.append("\\t")
        else:
            out.append(ch)
    return '"' + "".join(out) + '"'


def rc_string(text):
    return c_string(text).replace('\\"', '""')


def write_cpp(entries, out, keys_only):
    lines = ["// Made by text/catalogue.py from text/catalogue.tsv; do not edit.",
             '#include "text/catalogue_table.h"', "",
             "namespace ardentis::text {", "",
             "std::span<const CatalogueEntry> catalogue() {",
             "    static constexpr CatalogueEntry kEntries[] = {"]
    for chinese, english in entries:
        lines.append(f"        {{{c_string(chinese)}, {c_string('' if keys_only else english)}}},")
    if not entries:
        lines.append('        {"", ""},')
    lines += ["    };", "    return kEntries;", "}", "", "}  // namespace ardentis::text", ""]
    write_if_changed(out, "\n".join(lines))


def write_rc(entries, out):
    lines = ["// Made by text/catalogue.py from text/catalogue.tsv; do not edit.", ""]
    for language, pick in (("LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED", 0),
                           ("LANG_ENGLISH, SUBLANG_ENGLISH_US", 1)):
        lines += [f"LANGUAGE {language}", "STRINGTABLE", "BEGIN"]
        for index, entry in enumerate(entries):
            text = entry[pick] or entry[0]  # a missing English text shows the Chinese one
            lines.append(f"    {FIRST_ID + index}, {rc_string(text)}")
        lines += ["END", ""]
    lines += ["LANGUAGE LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED", ""]
    write_if_changed(out, "\n".join(lines))


def write_if_changed(path, content):
    try:
        with open(path, encoding="utf-8") as f:
            if f.read() == content:
                return
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8") as f:
        f.write(content)


SHOWN = re.compile(r'shown<"((?:[^"\\]|\\.)*)">')
RC_TEXT = re.compile(r'^\s*(?:CAPTION|LTEXT|RTEXT|CTEXT|PUSHBUTTON|DEFPUSHBUTTON|AUTOCHECKBOX|'
                     r'CHECKBOX|AUTORADIOBUTTON|GROUPBOX|CONTROL)\s+"((?:[^"]|"")*)"')


def shown_texts(source_dir):
    """(text, where) for every shown<> literal in the program code and dialog text."""
    found = []
    for folder in ("text", "platform", "protocol", "controls", "settings", "game", "room",
                   "lobby", "ui", "app"):
        for root, _, files in os.walk(os.path.join(source_dir, folder)):
            for name in sorted(files):
                path = os.path.join(root, name)
                where = os.path.relpath(path, source_dir)
                if name.endswith((".cpp", ".h")):
                    with open(path, encoding="utf-8") as f:
                        for number, line in enumerate(f, 1):
                            for literal in SHOWN.findall(line):
                                found.append((unescape(literal), f"{where}:{number}"))
                elif name.endswith(".rc"):
                    with open(path, encoding="utf-8") as f:
                        for number, line in enumerate(f, 1):
                            match = RC_TEXT.match(line)
                            if match and HAN.search(match.group(1)):
                                text = unescape(match.group(1).replace('""', '"'))
                                found.append((text, f"{where}:{number}"))
    return found


def check(entries, source_dir):
    english = dict(entries)
    missing = [(text, where) for text, where in shown_texts(source_dir)
               if not english.get(text)]
    for text, where in missing:
        print(f"{where}: no English text for {c_string(text)}")
    return 1 if missing else 0


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    command, catalogue, target = sys.argv[1:4]
    entries = read(catalogue)
    if command == "cpp":
        write_cpp(entries, target, "--keys-only" in sys.argv[4:])
    elif command == "rc":
        write_rc(entries, target)
    elif command == "check":
        sys.exit(check(entries, target))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
