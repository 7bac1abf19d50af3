#!/usr/bin/env bash
# Checks the 32-bit DLL's export and import tables against the export list:
# every export under its stdcall-decorated name (_Name@bytes), nothing
# missing, nothing extra, no undecorated or C++ names, and imports from
# system DLLs only.
# Usage: check-exports.sh DLL EXPORT_LIST
set -euo pipefail
dll=$1
list=$2
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

dump=$($objdump -p "$dll")
actual=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
  | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort)
expected=$(grep -E '^[A-Za-z_]' "$list" | awk '{print "_" $1 "@" $2}' | sort)

status=0
# The 69 come first; every name after them is an extension named Mpdll...
misplaced=$(grep -E '^[A-Za-z_]' "$list" | awk '{print $1}' | awk 'NR <= 69 && /^Mpdll/ || NR > 69 && !/^Mpdll/')
if [ -n "$misplaced" ]; then
  echo "extensions must follow the 69 exports and be named Mpdll...: $misplaced"
  status=1
fi
missing=$(comm -23 <(printf '%s\n' "$expected") <(printf '%s\n' "$actual"))
extra=$(comm -13 <(printf '%s\n' "$expected") <(printf '%s\n' "$actual"))
if [ -n "$missing" ]; then
  echo "missing exports ($(printf '%s\n' "$missing" | wc -l)):"
  printf '  %s\n' $missing
  status=1
fi
if [ -n "$extra" ]; then
  echo "unexpected exports:"
  printf '  %s\n' $extra
  status=1
fi

imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | sort -u)
allowed='^(KERNEL32|WS2_32|msvcrt|ADVAPI32|USER32|api-ms-win-[a-z0-9-]+)\.dll$'
echo "imports: $(printf '%s ' $imports)"
for d in $imports; do
  if ! printf '%s\n' "$d" | grep -qiE "$allowed"; then
    echo "non-system import: $d"
    status=1
  fi
done

count=$(printf '%s\n' "$actual" | grep -c . || true)
if [ $status -eq 0 ]; then
  echo "export table OK: $count decorated exports, imports from system DLLs only"
fi
exit $status
