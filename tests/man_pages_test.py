#!/usr/bin/env python3
"""The manual pages against the programs' --help: every option the window program
prints is in its OPTIONS, every tobrak-cli command has its own section in
COMMANDS and every option of the command's --help is in that section.
usage: man_pages_test.py TOBRAK TOBRAK_CLI TOBRAK_PAGE TOBRAK_CLI_PAGE"""
import re
import subprocess
import sys

LONG = re.compile(r"(?<![\w-])--[a-z][a-z-]*")
SHORT = re.compile(r"(?<![\w-])-[a-zA-Z](?![\w-])")
WORD = re.compile(r"[a-z]+$")
faults = []


def helptext(*argv):
    return subprocess.run(argv, capture_output=True, text=True, check=True).stdout


def plain(roff):
    """The text of a roff line, without its macro and font changes."""
    text = re.sub(r"^\.[A-Z]+\s?", "", roff)
    text = re.sub(r"\\f[BIRP]|\\\(dq|\"", "", text)
    return text.replace("\\-", "-").replace("\\ ", " ")


def sections(path, macro):
    """{heading: body} of the page's .SH or .SS sections."""
    found, heading = {}, None
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if line.startswith((".SH", ".SS")):
            if line.startswith(macro):
                heading = plain(line).strip()
                found[heading] = ""
                continue
            if line.startswith(".SH"):
                heading = None
        if heading is not None:
            found[heading] += plain(line) + "\n"
    return found


def command_path(synopsis):
    """The leading command words of 'trace zoom FILE.slt --factor …'."""
    words = []
    for w in synopsis.split():
        if not WORD.match(w):
            break
        words.append(w)
    return " ".join(words)


def options(text):
    return set(LONG.findall(text)) | set(SHORT.findall(text))


tobrak, cli, tobrak_page, cli_page = sys.argv[1:5]

# The window program: the option column of QCommandLineParser's table.
help_options = set()
for line in helptext(tobrak, "--help").splitlines():
    m = re.match(r"  (-\S.*?)(\s{2,}|$)", line)
    if m:
        help_options |= options(m.group(1))
if not {"--board", "--help", "-b"} <= help_options:
    faults.append(f"{tobrak} --help: no option table found")
documented = options("".join(sections(tobrak_page, ".SH").get("OPTIONS", "")))
for opt in sorted(help_options - documented):
    faults.append(f"{tobrak_page}: OPTIONS lacks {opt} (printed by tobrak --help)")

# tobrak-cli: the commands of the overview, then each command's own --help.
commands, footer = {}, set()
last = None
for line in helptext(cli, "--help").splitlines():
    if re.match(r"  [a-z]", line):
        synopsis = re.split(r"\s{2,}", line.strip())[0]
        last = command_path(synopsis)
        commands[last] = options(synopsis)
    elif last and re.match(r"\s{3,}[\[-]", line):
        commands[last] |= options(line)  # a synopsis going on over lines
    elif not line.startswith(" "):
        footer |= options(line)
if len(commands) < 10:
    faults.append(f"{cli} --help: only {len(commands)} commands found")

page = sections(cli_page, ".SS")
by_command = {command_path(heading): body for heading, body in page.items()}
whole = open(cli_page, encoding="utf-8").read().replace("\\-", "-")
for opt in sorted(footer - options(whole)):
    faults.append(f"{cli_page}: lacks {opt} (printed by tobrak-cli --help)")
for command, listed in commands.items():
    if command not in by_command:
        faults.append(f"{cli_page}: no section for '{command}' (listed by tobrak-cli --help)")
        continue
    for line in helptext(cli, *command.split(), "--help").splitlines():
        m = re.match(r"  ((?:-\w,)?--[a-z][\w-]*)", line)
        if m:
            listed |= options(m.group(1))
    heading = next(h for h in page if command_path(h) == command)
    for opt in sorted(listed - {"-h", "--help"} - options(heading + by_command[command])):
        faults.append(f"{cli_page}: the section '{command}' lacks {opt} (printed by tobrak-cli {command} --help)")
documented = options(sections(cli_page, ".SH").get("OPTIONS", ""))
for opt in sorted({"--help", "--version"} - documented):
    faults.append(f"{cli_page}: OPTIONS lacks {opt}")

for fault in faults:
    print(fault, file=sys.stderr)
sys.exit(1 if faults else 0)
