#!/usr/bin/env bash
# Compiles every source of the program with MinGW-w64 for Windows, syntax only, against
# the Linux Qt's headers: a system call or a GCC-only construct outside the platform
# guards, or Windows code that no longer compiles, fails here on Linux. It links nothing
# and runs nothing, and Qt's Linux configuration stands in for the Windows one, so it
# cannot tell whether the Windows build links, nor check code that depends on Qt's
# Windows-only features.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/deps.sh" wincheck

cxx=x86_64-w64-mingw32-g++-posix
qt=$(dirname "$(find /usr/include -maxdepth 3 -type d -name QtCore -path '*qt6*' | head -n 1)")
generated=$(mktemp -d)
trap 'rm -rf "$generated"' EXIT
# The two inputs CMake generates: the version header and the user guide's places.
printf '#pragma once\n#define TARNWICK_VERSION "0"\n' > "$generated/tarnwickversion.h"

# ICU's headers, for the code paths that use ICU, without the rest of /usr/include.
mkdir "$generated/system"
[[ -d /usr/include/unicode ]] && ln -s /usr/include/unicode "$generated/system/unicode"

includes=(-I"$generated" -isystem "$generated/system")
while IFS= read -r dir; do includes+=(-I"$dir"); done < <(find "$here/src" -type d)
for module in QtCore QtGui QtWidgets QtSvg; do includes+=(-isystem "$qt/$module"); done
includes+=(-isystem "$qt")

flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Werror -DUNICODE -D_UNICODE
       -DQT_NO_CAST_FROM_ASCII -DQT_NO_CAST_TO_ASCII -DQT_NO_URL_CAST_FROM_STRING
       -DQT_DISABLE_DEPRECATED_UP_TO=0x060400
       -DTARNWICK_GUIDE_FROM_PROGRAM='"doc/guide.html"' -DTARNWICK_GUIDE_IN_SOURCES='"guide.html"')

[[ -d /usr/include/unicode ]] && flags+=(-DTARNWICK_HAVE_ICU)

failed=0
count=0
while IFS= read -r source; do
  count=$((count + 1))
  if ! "$cxx" "${flags[@]}" "${includes[@]}" "$source"; then
    echo "wincheck: ${source#"$here"/} does not compile for Windows" >&2
    failed=$((failed + 1))
  fi
done < <(find "$here/src" -name '*.cpp' | sort)
echo "wincheck: $count sources, $failed failed"
[[ $failed -eq 0 ]]
