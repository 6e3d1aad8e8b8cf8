# SPDX-License-Identifier: GPL-3.0-or-later
"""Which source files carry an SPDX line, which licence each gets, and how it is written."""
import fnmatch
import os
import re
import subprocess

TAG = "SPDX-License-Identifier:"

# First match wins; paths are relative to the repository's top.
LICENCE_RULES = [
    ("platform/dbx32/*", "LGPL-3.0-or-later"),
    ("designdb/Dbx32.h", "LGPL-3.0-or-later"),
    ("examples/pad-report/*", "MIT"),
    ("*", "GPL-3.0-or-later"),
]

C_LIKE = (".c", ".cpp", ".h", ".h.in", ".cpp.in")
HASH_LIKE = (".cmake", ".cmake.in", ".pc.in", ".sh", ".py", ".supp")
HASH_NAMES = ("CMakeLists.txt",)
SHEBANG = re.compile(rb"^#!.*\b(sh|bash|python3?)\b")


def licence_for(path):
    for pattern, licence in LICENCE_RULES:
        if fnmatch.fnmatch(path, pattern):
            return licence
    raise AssertionError("no rule for " + path)


def comment_style(path, head):
    """'c' for a C comment, 'cpp' for //, 'hash' for #, None for a file without an SPDX line."""
    name = os.path.basename(path)
    if name.endswith(C_LIKE):
        # C sources and headers that open with a C comment keep C comments.
        return "c" if name.endswith(".c") or head.startswith(b"/*") else "cpp"
    if name in HASH_NAMES or name.endswith(HASH_LIKE) or SHEBANG.match(head):
        return "hash"
    return None


def spdx_line(style, licence):
    if style == "c":
        return f"/* {TAG} {licence} */\n"
    if style == "cpp":
        return f"// {TAG} {licence}\n"
    return f"# {TAG} {licence}\n"


def declared_licence(text):
    """The licence named in the first lines, or None."""
    for line in text.splitlines()[:5]:
        match = re.search(re.escape(TAG) + r"\s*([A-Za-z0-9.+-]+(?:\s+(?:AND|OR|WITH)\s+[A-Za-z0-9.+-]+)*)", line)
        if match:
            return match.group(1)
    return None


def source_files(top):
    listed = subprocess.run(["git", "-C", top, "ls-files", "-z"], check=True,
                            capture_output=True).stdout.split(b"\0")
    for raw in listed:
        path = raw.decode()
        if not path or not os.path.isfile(os.path.join(top, path)):
            continue
        if path.startswith("LICENSES/"):
            continue
        with open(os.path.join(top, path), "rb") as f:
            head = f.read(256)
        style = comment_style(path, head)
        if style is not None:
            yield path, style
