#!/usr/bin/env python3
"""The documents say what the tools and the public header have.

- docs/tools.md holds each tool's --help text between "<!-- generated: TOOL --help -->"
  and "<!-- end generated -->", and docs/limits.md the header's table of limits between
  "<!-- generated: limits -->" and the same end marker: each must equal what the tool
  prints or the header declares (with --update they are rewritten instead).
- Every --option the documents name on a line with a tool's name, and every --option in
  a tool's own section of docs/tools.md, is an option that tool's --help lists.
- Every DV_TTF_ name in the documents is declared by include/DovrelTTF.h.
- Each row of a "<!-- messages: TOOL -->" table in docs/tools.md (arguments, exit code,
  message) is run in a scratch directory and must exit with that code and print that
  message.

usage: docs_match_tools_test.py SOURCE_DIR BINARY_DIR [--update]
"""
import os
import re
import shlex
import subprocess
import sys
import tempfile

TOOLS = ("dvttf-render", "dvttf-info", "dvttf-run")
BEGIN = "<!-- generated: {} -->"
END = "<!-- end generated -->"
# Fonts the message rows may name, linked into the scratch directory when installed.
FONTS = {
    "DejaVuSans.ttf": "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "NimbusSans-Regular.pfb": "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb",
    "NimbusSans-Regular.otf": "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf",
    "NimbusSans-Regular.t1": "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1",
    "wqy-zenhei.ttc": "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
}

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def tool_help(binary_dir, tool):
    result = subprocess.run([os.path.join(binary_dir, tool), "--help"], capture_output=True,
                            text=True, check=False)
    if result.returncode != 0:
        fail(f"{tool} --help exited with {result.returncode}")
    return result.stdout


def options_of(help_text):
    return set(re.findall(r"(?<![\w-])--[a-z][a-z0-9-]*", help_text))


def header_limits(source_dir):
    """Rows of the limits table: each DV_TTF_*_MAX_* constant and its value."""
    with open(os.path.join(source_dir, "include", "DovrelTTF.h"), encoding="utf-8") as header:
        text = header.read()
    rows = ["| constant | value |", "| --- | --- |"]
    pattern = r"constexpr [a-z ]+ (DV_TTF_\w*MAX\w*) = ([^;]+);"
    for name, expression in re.findall(pattern, text):
        value = eval(re.sub(r"(\d+)(ull|ul|ll|l|u)\b", r"\1", expression))  # "1ul << 19"
        shift = re.fullmatch(r"1\w* << (\d+)", expression)
        shown = f"{value:,}" + (f" (2^{shift.group(1)})" if shift else "")
        rows.append(f"| `{name}` | {shown} |")
    return "\n".join(rows) + "\n"


def replace_block(path, name, content, update):
    """Checks (or, updating, rewrites) the generated block NAME of the document PATH."""
    with open(path, encoding="utf-8") as document:
        text = document.read()
    begin = BEGIN.format(name)
    start = text.find(begin)
    end = text.find(END, start)
    if start < 0 or end < 0:
        fail(f"{os.path.basename(path)} has no block '{begin}' ... '{END}'")
        return
    wanted = begin + "\n" + content + END
    if text[start:end + len(END)] == wanted:
        return
    if update:
        with open(path, "w", encoding="utf-8") as document:
            document.write(text[:start] + wanted + text[end + len(END):])
        print(f"updated {os.path.basename(path)}: {name}")
    else:
        fail(f"{os.path.basename(path)}: the block '{name}' is not what it is generated from "
             f"(run this script with --update, or `make docs`)")


def without_generated(text):
    """The text without its generated blocks and message tables (whose rows are run, and may
    name a refused option on purpose)."""
    text = re.sub(r"<!-- generated: .*? -->.*?<!-- end generated -->", "", text, flags=re.S)
    return re.sub(r"<!-- messages: \S+ -->\n(?:\|.*\n)+", "", text)


def check_named_options(path, text, options):
    """Options named beside a tool's name, and in the tool's own section of tools.md."""
    name = os.path.basename(path)
    text = without_generated(text)
    for line in text.splitlines():
        for tool in TOOLS:
            # The options after the tool's name on the line (a command or a mention of one).
            for mention in re.finditer(re.escape(tool) + r"\b(.*)", line):
                for option in options_of(mention.group(1).split("dvttf-")[0]):
                    if option not in options[tool]:
                        fail(f"{name} names {tool} {option}, which {tool} --help does not list")
    if name != "tools.md":
        return
    sections = re.split(r"^## ", text, flags=re.M)
    for section in sections:
        tool = section.split(":")[0].strip()
        if tool not in TOOLS:
            continue
        for option in options_of(section):
            if option not in options[tool]:
                fail(f"tools.md, section {tool}, names {option}, which {tool} --help does not list")


def check_header_names(source_dir, path, text):
    with open(os.path.join(source_dir, "include", "DovrelTTF.h"), encoding="utf-8") as header:
        declared = set(re.findall(r"\bDV_TTF_\w+", header.read()))
    for name in sorted(set(re.findall(r"\bDV_TTF_[A-Z0-9_]*[A-Z0-9]\b", text))):
        if name not in declared:
            fail(f"{os.path.basename(path)} names {name}, which include/DovrelTTF.h does not declare")


def message_rows(text):
    """(tool, arguments, exit code, message) of each messages table."""
    rows = []
    for match in re.finditer(r"<!-- messages: (\S+) -->\n((?:\|.*\n)+)", text):
        tool = match.group(1)
        for line in match.group(2).splitlines()[2:]:
            cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
            if len(cells) < 3:
                fail(f"tools.md: a row of the {tool} messages table has no three cells: {line}")
                continue
            arguments, code, message = cells[0], cells[1], cells[2]
            rows.append((tool, arguments.strip("`"), int(code), message.strip("`")))
    return rows


def prepare_scratch(directory):
    """The files the message rows name: a file that is no font, fonts cut short, fonts."""
    with open(os.path.join(directory, "random.bin"), "wb") as random_file:
        random_file.write(bytes((i * 97 + 13) % 251 for i in range(4096)))
    for name, path in FONTS.items():
        if os.path.exists(path):
            os.symlink(path, os.path.join(directory, name))
            with open(path, "rb") as font, open(os.path.join(directory, "cut-" + name), "wb") as cut:
                cut.write(font.read(600))


def check_messages(binary_dir, text, ci):
    with tempfile.TemporaryDirectory() as scratch:
        prepare_scratch(scratch)
        for tool, arguments, code, message in message_rows(text):
            argv = [os.path.join(binary_dir, tool)] + shlex.split(arguments)
            missing = [a for a in shlex.split(arguments) if a in FONTS or a.removeprefix("cut-") in FONTS]
            missing = [a for a in missing if not os.path.exists(os.path.join(scratch, a))]
            if missing:
                (fail if ci else print)(f"{'' if ci else 'skipped: '}{tool} {arguments} needs {missing[0]}")
                continue
            result = subprocess.run(argv, cwd=scratch, capture_output=True, text=True,
                                    stdin=subprocess.DEVNULL, check=False)
            output = result.stdout + result.stderr
            if result.returncode != code or message not in output:
                fail(f"{tool} {arguments}: exit {result.returncode} (tools.md says {code}), "
                     f"output:\n{output}tools.md says it prints: {message}")


def main():
    source_dir, binary_dir = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    update = "--update" in sys.argv[3:]
    docs = os.path.join(source_dir, "docs")
    helps = {tool: tool_help(binary_dir, tool) for tool in TOOLS}
    options = {tool: options_of(helps[tool]) for tool in TOOLS}
    tools_md = os.path.join(docs, "tools.md")
    for tool in TOOLS:
        replace_block(tools_md, tool + " --help", "```text\n" + helps[tool] + "```\n", update)
    replace_block(os.path.join(docs, "limits.md"), "limits", header_limits(source_dir), update)
    documents = [os.path.join(source_dir, "README.md")] + sorted(
        os.path.join(docs, name) for name in os.listdir(docs) if name.endswith(".md"))
    for path in documents:
        with open(path, encoding="utf-8") as document:
            text = document.read()
        check_named_options(path, text, options)
        check_header_names(source_dir, path, text)
    with open(tools_md, encoding="utf-8") as document:
        check_messages(binary_dir, document.read(), os.environ.get("CI") == "true")
    print(f"{len(documents)} documents checked, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
