#!/usr/bin/env python3
"""Makes the manual page glimmer-pack.1.gz from the tool's own help texts, so the page says
what --help says and cannot fall behind it.

    packaging/man_page.py GLIMMER_PACK VERSION OUTPUT

It runs `GLIMMER_PACK --help` and `GLIMMER_PACK COMMAND --help` for each command, and turns
each text into roff: an option line ("  -o FILE    text", its description continued on lines
indented further) becomes a tagged paragraph, a line ending in a colon a heading, and the rest
plain paragraphs. The file is compressed without a time stamp, so two builds give the same
bytes.
"""
import gzip
import re
import subprocess
import sys

COMMANDS = ["build", "saver", "list", "extract", "check"]
SUMMARY = "turn pictures into a self-installing slideshow screen saver for Windows 95"
# An option line: two blanks, the option and its value, two or more blanks, its description.
OPTION = re.compile(r"^  (-\S.*?)(?:\s{2,}(.*))?$")


def escape(text):
    """Text safe in a roff line: backslashes and minus signs escaped, no leading dot."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def help_text(tool, arguments):
    run = subprocess.run([tool] + arguments, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         check=False)
    if run.returncode != 0:
        sys.exit("man_page.py: %s %s failed: %s"
                 % (tool, " ".join(arguments), run.stderr.decode(errors="replace")))
    return run.stdout.decode()


def roff_of_help(text):
    """The roff of one help text; its usage lines go to the synopsis, not here."""
    out = []
    paragraph = []
    in_option = False

    def close_paragraph():
        if paragraph:
            out.append(".PP")
            out.append(escape(" ".join(paragraph)))
            paragraph.clear()

    for line in text.splitlines():
        if line.startswith("usage:") or line.startswith("  glimmer-pack "):
            continue
        if not line.strip():
            close_paragraph()
            in_option = False
            continue
        option = OPTION.match(line)
        if option:
            close_paragraph()
            out.append(".TP")
            out.append("\\fB" + escape(option.group(1).rstrip()) + "\\fR")
            if option.group(2):
                out.append(escape(option.group(2)))
            in_option = True
        elif in_option and line.startswith("   "):
            out.append(escape(line.strip()))
        elif line.endswith(":") and not line.startswith(" "):
            close_paragraph()
            in_option = False
            out.append(".SS " + escape(line[:-1][:1].upper() + line[:-1][1:]))
        else:
            in_option = False
            paragraph.append(line.strip())
    close_paragraph()
    return out


def synopsis(text):
    """The usage lines of a help text, without the word usage."""
    lines = []
    for line in text.splitlines():
        if line.startswith("usage:") and line[6:].strip():
            lines.append(line[6:].strip())
        elif line.startswith("  glimmer-pack "):
            lines.append(line.strip())
    return lines


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    tool, version, output = sys.argv[1:]
    page = [
        '.TH GLIMMER\\-PACK 1 "" "glimmer-pack %s" "User Commands"' % escape(version),
        ".SH NAME",
        "glimmer\\-pack \\- " + escape(SUMMARY),
        ".SH SYNOPSIS",
    ]
    overview = help_text(tool, ["--help"])
    for line in synopsis(overview):
        page += [".br", "\\fB" + escape(line) + "\\fR"]
    page.append(".SH DESCRIPTION")
    page += roff_of_help(overview)
    page.append(".SH COMMANDS")
    for command in COMMANDS:
        text = help_text(tool, [command, "--help"])
        page.append(".SS " + escape("glimmer-pack " + command))
        for line in synopsis(text):
            page += [".PP", "\\fB" + escape(line) + "\\fR"]
        page += [line.replace(".SS ", ".PP\n\\fI", 1) + "\\fR" if line.startswith(".SS ")
                 else line for line in roff_of_help(text)]
    data = ("\n".join(page) + "\n").encode()
    with open(output, "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", fileobj=raw, mtime=0, compresslevel=9) as f:
            f.write(data)


if __name__ == "__main__":
    main()
