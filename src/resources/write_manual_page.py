#!/usr/bin/env python3
"""Writes a program's manual page from its own --help, so that the two never disagree.

    write_manual_page.py PROGRAM SUMMARY EXTRA.h2m PAGE.1.gz

help2man turns the program's --help and --version into the page and adds the sections of
EXTRA.h2m (examples, see also). For a program with commands (a "Commands:" list in its
help), each command's own --help becomes a subsection of COMMANDS, and the help's
"Exit codes: ..." sentence becomes EXIT STATUS. The page is compressed with gzip -9n.
"""
import os
import re
import subprocess
import sys
import tempfile


def help_text(program, *words):
    return subprocess.run([program, *words, "--help"], check=True, capture_output=True,
                          text=True).stdout


def roff(text):
    """Text as roff shows it: backslashes and minus signs escaped, no line read as a request."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return re.sub(r"^(?=[.'])", r"\\&", text, flags=re.MULTILINE)


def command_names(program_help):
    listing = re.search(r"^Commands:\n(.*?)(?:\n\n|\Z)", program_help, re.DOTALL | re.MULTILINE)
    if listing is None:
        return []
    return re.findall(r"^  (\S+)", listing.group(1), re.MULTILINE)


def commands_section(program, names):
    if not names:
        return []
    section = ["[COMMANDS]"]
    for name in names:
        usage, _, details = help_text(program, name).partition("\n\n")
        synopsis = usage.split(" ", 2)[2]  # after "Usage: PROGRAM"
        section.append('.SS "%s"' % roff(synopsis))
        for paragraph in details.strip().split("\n\n"):
            section += [".PP", roff(paragraph)]
    return section


def exit_status_section(program_help):
    codes = re.search(r"Exit codes: (.*?)\.", program_help.replace("\n", " "))
    if codes is None:
        return []
    section = ["[EXIT STATUS]"]
    for code in codes.group(1).split(", "):
        status, meaning = code.split(" ", 1)
        section += [".TP", ".B " + status, roff(meaning)]
    return section


def with_command_list_as_terms(page_text):
    """help2man sets each line of the help's command list as a paragraph of its own; each
    command's synopsis becomes a term and its summary the term's text."""
    def as_terms(listing):
        lines = listing.group(2).split(".IP\n")[1:]
        terms = [".TP\n" + lines[i] + lines[i + 1] for i in range(0, len(lines) - 1, 2)]
        return listing.group(1) + "".join(terms)
    return re.sub(r'(\.SS "Commands:"\n)((?:\.IP\n.*\n)+)', as_terms, page_text)


def main(program, summary, extra, page):
    program_help = help_text(program)
    generated = commands_section(program, command_names(program_help))
    generated += exit_status_section(program_help)
    with tempfile.TemporaryDirectory() as folder:
        includes = ["--include", extra]
        if generated:
            sections = os.path.join(folder, "generated.h2m")
            with open(sections, "w") as out:
                out.write("\n".join(generated) + "\n")
            includes += ["--include", sections]
        unpacked = os.path.join(folder, "page")
        subprocess.run(["help2man", "--no-info", "--name", summary, *includes, "--output",
                        unpacked, program], check=True)
        with open(unpacked) as source:
            page_text = with_command_list_as_terms(source.read())
        with open(page, "wb") as out:
            subprocess.run(["gzip", "-9n"], input=page_text.encode(), stdout=out, check=True)


if __name__ == "__main__":
    main(*sys.argv[1:])
