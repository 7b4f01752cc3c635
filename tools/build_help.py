#!/usr/bin/env python3
"""Builds the user guide (docs/kvlhelp.txt) into kvlhelp.doc, a rich-text document that the
system's word processor opens. The source knows headings (#, ##), bullets (- ), indented
example lines and paragraphs."""
import sys


def escape(text):
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) > 127:
            code = ord(ch)
            out.append(f"\\u{code if code < 32768 else code - 65536}?")
        else:
            out.append(ch)
    return "".join(out)


def build(source):
    rtf = [r"{\rtf1\ansi\ansicpg1252\deff0",
           r"{\fonttbl{\f0\fswiss Arial;}{\f1\fmodern Courier New;}}",
           r"{\colortbl;\red16\green60\blue140;}",
           r"\viewkind4\uc1\pard\sa120\f0\fs20"]
    for line in source.splitlines():
        if line.startswith("# "):
            rtf.append(r"\pard\sa200\cf1\b\fs32 " + escape(line[2:]) + r"\b0\cf0\fs20\par")
        elif line.startswith("## "):
            rtf.append(r"\pard\sb240\sa120\cf1\b\fs24 " + escape(line[3:]) + r"\b0\cf0\fs20\par")
        elif line.startswith("- "):
            rtf.append(r"\pard\fi-240\li480\sa60 \bullet\tab " + escape(line[2:]) + r"\par")
        elif line.startswith("    "):
            rtf.append(r"\pard\li480\sa0\f1\fs18 " + escape(line[4:]) + r"\f0\fs20\par")
        elif line.strip():
            rtf.append(r"\pard\sa120 " + escape(line) + r"\par")
    rtf.append("}")
    return "\r\n".join(rtf) + "\r\n"


if __name__ == "__main__":
    src, dst = sys.argv[1], sys.argv[2]
    with open(src, encoding="utf-8") as f:
        text = f.read()
    with open(dst, "w", encoding="ascii", newline="") as f:
        f.write(build(text))
