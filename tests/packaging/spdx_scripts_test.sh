#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# spdx_scripts_test.sh SCRIPTS_DIR: scripts/add-spdx and scripts/check-spdx on a small repository
# of their own: the check finds the files without a line, the sweep gives each the licence of
# its place in the comment style of its kind, a second sweep changes nothing, and the check
# then passes until a file names the wrong licence.
set -eu
scripts=$1
repo=$(mktemp -d)
trap 'rm -rf "$repo"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$repo/app" "$repo/platform/dbx32" "$repo/designdb" "$repo/examples/pad-report" "$repo/scripts"
printf '// The launcher.\nint x;\n' >"$repo/app/Launcher.cpp"
printf '/* A C header. */\nint y;\n' >"$repo/designdb/Dbx32.h"
printf '// Records.\n#pragma once\n' >"$repo/designdb/DesignRecords.h"
printf '// Library.\nint z;\n' >"$repo/platform/dbx32/Calls.cpp"
printf 'int main(void) { return 0; }\n' >"$repo/examples/pad-report/report.c"
printf '#!/bin/sh\necho hi\n' >"$repo/scripts/tool"
printf 'add_library(a STATIC a.cpp)\n' >"$repo/CMakeLists.txt"
printf '// SPDX-License-Identifier: GPL-3.0-or-later\nint w;\n' >"$repo/app/Done.cpp"
printf '# Notes\n' >"$repo/README.md"
git -C "$repo" init -q
git -C "$repo" add -A

if "$scripts/check-spdx" "$repo" 2>"$repo.err"; then fail "check passed on unmarked files"; fi
grep -q 'app/Launcher.cpp: no SPDX' "$repo.err" || fail "check did not name app/Launcher.cpp"
grep -q 'app/Done.cpp' "$repo.err" && fail "check named a file that has its line"
rm -f "$repo.err"

"$scripts/add-spdx" "$repo" >/dev/null
first() { sed -n "${2:-1}p" "$repo/$1"; }
[ "$(first app/Launcher.cpp)" = "// SPDX-License-Identifier: GPL-3.0-or-later" ] || fail "C++ file"
[ "$(first designdb/Dbx32.h)" = "/* SPDX-License-Identifier: LGPL-3.0-or-later */" ] || fail "C header"
[ "$(first designdb/DesignRecords.h)" = "// SPDX-License-Identifier: GPL-3.0-or-later" ] || fail "records"
[ "$(first platform/dbx32/Calls.cpp)" = "// SPDX-License-Identifier: LGPL-3.0-or-later" ] || fail "library"
[ "$(first examples/pad-report/report.c)" = "/* SPDX-License-Identifier: MIT */" ] || fail "example"
[ "$(first scripts/tool)" = "#!/bin/sh" ] || fail "shebang moved"
[ "$(first scripts/tool 2)" = "# SPDX-License-Identifier: GPL-3.0-or-later" ] || fail "script"
[ "$(first CMakeLists.txt)" = "# SPDX-License-Identifier: GPL-3.0-or-later" ] || fail "CMake"
[ "$(first README.md)" = "# Notes" ] || fail "README was given a line"
[ "$(grep -c SPDX "$repo/app/Done.cpp")" = 1 ] || fail "marked file marked again"

git -C "$repo" add -A
"$scripts/add-spdx" "$repo" >/dev/null
git -C "$repo" diff --quiet || fail "second sweep changed files"
"$scripts/check-spdx" "$repo" >/dev/null || fail "check failed after the sweep"

sed -i 's/LGPL-3.0-or-later/GPL-3.0-or-later/' "$repo/platform/dbx32/Calls.cpp"
if "$scripts/check-spdx" "$repo" 2>/dev/null; then fail "check accepted the wrong licence"; fi
echo "spdx scripts: ok"
