#!/usr/bin/env bash
# Checks the Windows SDK folder against the export list:
#  - every file is there;
#  - lib/mpdll.def, lib/libmpdll.dll.a and lib/mpdll.lib name exactly the
#    listed exports (_Name@bytes), and the lib64 ones the plain names;
#  - a caller that calls every export through mpdll.h, linked with each
#    import library (MinGW gcc with libmpdll.dll.a, an MSVC-target object with
#    lld-link and mpdll.lib), imports from mpdll.dll exactly the names the
#    DLL next to it exports (read with objdump), for 32 and 64 bits;
#  - example/board_check.c builds with the command README.md shows.
# Usage: check-sdk.sh SDK_DIR EXPORT_LIST
set -euo pipefail
sdk=$(realpath "$1")
export_list=$2
here=$(cd "$(dirname "$0")" && pwd)
shim=$here/../tests/sdk
lld_link=${LLD_LINK:-lld-link-14}
clang=${CLANG:-clang-14}
nm=${NM:-llvm-nm-14}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
fail() { echo "FAIL $*"; status=1; }
pass() { echo "PASS $*"; }

exports() { grep -E '^[A-Za-z_]' "$export_list"; }
exports | awk '{ print "_" $1 "@" $2 }' | sort >"$work/expected32"
exports | awk '{ print $1 }' | sort >"$work/expected64"
count=$(wc -l <"$work/expected32")

# same_names WHAT EXPECTED_FILE ACTUAL_FILE
same_names() {
  if diff -q "$2" "$3" >/dev/null; then
    pass "$1: the $count listed names"
  else
    fail "$1 differs from the export list:"
    echo "    missing ($(comm -23 "$2" "$3" | wc -l)): $(comm -23 "$2" "$3" | head -5 | tr '\n' ' ')"
    echo "    unexpected ($(comm -13 "$2" "$3" | wc -l)): $(comm -13 "$2" "$3" | head -5 | tr '\n' ' ')"
  fi
}

def_names() { sed -n '/^EXPORTS/,$p' "$1" | sed -n 's/^[[:space:]]\{1,\}\([^[:space:]]\{1,\}\).*/\1/p' | sort; }
implib_names() { "$nm" "$1" 2>/dev/null | sed -n 's/^.* [A-Za-z] __imp_\(.*\)$/\1/p' | sort -u; }
dll_exports() { "$2" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
  | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort; }
# The names a program imports from mpdll.dll, from objdump's import tables.
imported_names() { "$2" -p "$1" | awk '
  /DLL Name:/ { inside = ($3 == "mpdll.dll"); next }
  inside && /^[[:space:]]*$/ { inside = 0 }
  inside && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }' | sort; }

for f in README.txt bin/mpdll.dll include/mpdll/mpdll.h lib/mpdll.def lib/libmpdll.dll.a lib/mpdll.lib \
         example/board_check.c bin64/mpdll.dll bin64/TEST-BUILD.txt lib64/mpdll.def lib64/libmpdll.dll.a lib64/mpdll.lib; do
  [ -s "$sdk/$f" ] || fail "missing: $f"
done
grep -q "TEST BUILD" "$sdk/bin64/TEST-BUILD.txt" || fail "bin64 is not marked as a test build"

# One call of every export, zero or null for each 4-byte argument; it is
# linked, never run. The header's prototypes must take these calls, and on
# the 32-bit targets the record must have its published size.
{ printf '#include <stddef.h>\n#include <mpdll/mpdll.h>\n'
  printf '_Static_assert(sizeof(void*) != 4 || sizeof(DevContext) == 16900, "DevContext size");\n'
  printf '_Static_assert(sizeof(void*) != 4 || offsetof(DevContext, prompt) == 16850, "prompt offset");\n'
  printf 'int main(void)\n{\n'
  exports | awk '{ printf "    (void)%s(", $1; for (i = 0; i < $2 / 4; i++) printf "%s0", (i ? ", " : ""); print ");" }'
  printf '    return 0;\n}\n'
} >"$work/calls.c"

for bits in 32 64; do
  if [ $bits = 32 ]; then
    lib=$sdk/lib; bin=$sdk/bin; gcc=i686-w64-mingw32-gcc; objdump=i686-w64-mingw32-objdump
    target=i686-pc-windows-msvc; machine=x86
  else
    lib=$sdk/lib64; bin=$sdk/bin64; gcc=x86_64-w64-mingw32-gcc; objdump=x86_64-w64-mingw32-objdump
    target=x86_64-pc-windows-msvc; machine=x64
  fi
  expected=$work/expected$bits
  dll_exports "$bin/mpdll.dll" $objdump >"$work/dll$bits"
  same_names "$bits-bit DLL export table" "$expected" "$work/dll$bits"
  def_names "$lib/mpdll.def" >"$work/def$bits"
  same_names "$bits-bit mpdll.def" "$expected" "$work/def$bits"
  implib_names "$lib/libmpdll.dll.a" >"$work/mingw-lib$bits"
  same_names "$bits-bit libmpdll.dll.a" "$expected" "$work/mingw-lib$bits"
  implib_names "$lib/mpdll.lib" >"$work/msvc-lib$bits"
  same_names "$bits-bit mpdll.lib" "$expected" "$work/msvc-lib$bits"

  if $gcc -Wall -I"$sdk/include" "$work/calls.c" -L"$lib" -lmpdll -o "$work/mingw$bits.exe" 2>"$work/log"; then
    imported_names "$work/mingw$bits.exe" $objdump >"$work/mingw-imports$bits"
    same_names "$bits-bit MinGW caller linked with libmpdll.dll.a imports from mpdll.dll" \
      "$work/dll$bits" "$work/mingw-imports$bits"
  else
    fail "$bits-bit MinGW caller does not build with libmpdll.dll.a:"; head -5 "$work/log"
  fi

  if "$clang" --target=$target -Wall -I"$shim" -I"$sdk/include" -c "$work/calls.c" -o "$work/msvc$bits.obj" 2>"$work/log" \
     && "$lld_link" /nologo /machine:$machine /subsystem:console /entry:main /nodefaultlib \
          /out:"$work/msvc$bits.exe" "$work/msvc$bits.obj" "$lib/mpdll.lib" >>"$work/log" 2>&1; then
    imported_names "$work/msvc$bits.exe" $objdump >"$work/msvc-imports$bits"
    same_names "$bits-bit MSVC-target caller linked by lld-link with mpdll.lib imports from mpdll.dll" \
      "$work/dll$bits" "$work/msvc-imports$bits"
  else
    fail "$bits-bit MSVC-target caller does not link with mpdll.lib:"; head -5 "$work/log"
  fi
done

# The example, built as README.md shows (from inside the SDK folder).
if (cd "$sdk" && i686-w64-mingw32-gcc -Iinclude example/board_check.c -Llib -lmpdll -o "$work/board_check.exe") \
   2>"$work/log"; then
  imported_names "$work/board_check.exe" i686-w64-mingw32-objdump >"$work/example-imports"
  unknown=$(comm -23 "$work/example-imports" "$work/dll32")
  if [ -s "$work/example-imports" ] && [ -z "$unknown" ]; then
    pass "example/board_check.c builds with MinGW and imports $(wc -l <"$work/example-imports") exports of mpdll.dll"
  else
    fail "board_check.exe imports names mpdll.dll lacks: ${unknown:-none at all}"
  fi
else
  fail "example/board_check.c does not build with the README's MinGW command:"; head -5 "$work/log"
fi

[ $status -eq 0 ] && echo "SDK check OK: $sdk"
exit $status
