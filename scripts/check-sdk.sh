#!/usr/bin/env bash
# Checks the Windows SDK folder against the export list:
#  - every file is there;
#  - lib/mpdll.def, lib/libmpdll.dll.a and lib/mpdll.lib name exactly the
#    listed exports (_Name@bytes), and the lib64 ones the plain names;
#  - a caller that calls every export through mpdll.h, linked with each
#    import library (MinGW gcc with libmpdll.dll.a, an MSVC-target object with
#    lld-link and mpdll.lib), imports from mpdll.dll exactly the names the
#    DLL next to it exports (read with objdump), for 32 and 64 bits;
#  - example/board_check.c builds with the command README.md shows;
#  - README.txt's LabVIEW/TestStand table has one row per export, under its
#    decorated name, with as many parameters as its argument bytes say;
#  - dotnet/Mpdll.cs is the binding of this tree, and the C# example builds
#    with it alone as README.txt shows, for a 32-bit process;
#  - the statement on threads reads the same in README.txt, the header, the
#    top README (the Python package's documentation) and Mpdll.cs.
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
         example/board_check.c dotnet/Mpdll.cs dotnet/StationCheck.cs bin64/mpdll.dll bin64/TEST-BUILD.txt lib64/mpdll.def lib64/libmpdll.dll.a lib64/mpdll.lib; do
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

# The call table: "  _Name@bytes  RETURN  parameter, parameter, ..."
sed -n 's/^  \(_[A-Za-z0-9_]*@[0-9]*\) *[A-Za-z0-9]* *\(.*\)$/\1 \2/p' "$sdk/README.txt" >"$work/table"
cut -d' ' -f1 "$work/table" | sort >"$work/table-names"
same_names "README.txt's LabVIEW/TestStand call table" "$work/expected32" "$work/table-names"
miscounted=$(awk '{ name = $1; $1 = ""; split(name, parts, "@"); n = split($0, params, ", ")
                    if (4 * n != parts[2]) print name " lists " n " parameters" }' "$work/table")
[ -z "$miscounted" ] && pass "every row of the call table lists the parameters of its argument bytes" \
  || fail "call table rows with the wrong parameter count: $miscounted"

# The C# binding and its example, built as README.txt shows.
cmp -s "$sdk/dotnet/Mpdll.cs" "$here/../bindings/dotnet/Mpdll.cs" || fail "dotnet/Mpdll.cs is not bindings/dotnet/Mpdll.cs"
if (cd "$sdk" && mcs -nologo -platform:x86 -unsafe -out:"$work/StationCheck.exe" dotnet/StationCheck.cs dotnet/Mpdll.cs) \
   >"$work/log" 2>&1; then
  pass "dotnet/StationCheck.cs builds with dotnet/Mpdll.cs alone for a 32-bit process"
else
  fail "dotnet/StationCheck.cs does not build with the README's mcs command:"; head -5 "$work/log"
fi

# thread_statement FILE: the paragraph that starts "Threads:", comment marks
# and line breaks taken out.
thread_statement() {
  tr '\n' ' ' <"$1" | sed 's#//##g; s#  *\* # #g' | tr -s ' ' \
    | grep -o 'Threads: calls on different records.*between that call and GetBuffer\.' || true
}
statement=$(thread_statement "$sdk/README.txt")
for file in "$sdk/include/mpdll/mpdll.h" "$here/../README.md" "$sdk/dotnet/Mpdll.cs"; do
  [ -n "$statement" ] && [ "$(thread_statement "$file")" = "$statement" ] \
    || fail "the statement on threads in $(basename "$file") differs from README.txt's (or is missing)"
done
[ -n "$statement" ] && pass "README.txt, mpdll.h, README.md and Mpdll.cs say the same on threads"

[ $status -eq 0 ] && echo "SDK check OK: $sdk"
exit $status
