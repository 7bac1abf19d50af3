#!/usr/bin/env bash
# Assembles the Windows SDK folder from the two cross builds:
#   bin/mpdll.dll          the 32-bit product
#   include/mpdll/mpdll.h  the C interface
#   lib/mpdll.def          its exports under their decorated names (_OpenDev@4 ...)
#   lib/libmpdll.dll.a     MinGW import library
#   lib/mpdll.lib          MSVC import library (import names _OpenDev@4 ...)
#   bin64/, lib64/         the 64-bit test build with its own .def and import libraries
#   example/board_check.c, README.txt
#   dotnet/Mpdll.cs        the C#/.NET binding, and dotnet/StationCheck.cs using it
# The .def files come from the export list. mpdll.lib is the import library
# lld-link writes while linking a stand-in DLL of empty stdcall functions with
# that .def: in its MSVC mode a decorated stdcall name is exported, and
# imported, exactly as written.
# Usage: make-sdk.sh I686_BUILD X86_64_BUILD EXPORT_LIST VERSION SDK_DIR
set -euo pipefail
i686_build=$1
x86_64_build=$2
export_list=$3
version=$4
sdk=$5
source_dir=$(cd "$(dirname "$0")/.." && pwd)
lld_link=${LLD_LINK:-lld-link-14}
clang=${CLANG:-clang-14}

work=$sdk.work
rm -rf "$sdk" "$work"
mkdir -p "$sdk"/{bin,bin64,lib,lib64,include/mpdll,example,dotnet} "$work"

exports() { grep -E '^[A-Za-z_]' "$export_list"; }

# write_def DECORATE DEF: the module definition file, names _Name@bytes when
# DECORATE is 1, plain names otherwise.
write_def() {
  { printf 'LIBRARY mpdll.dll\nEXPORTS\n'
    exports | awk -v decorate="$1" '{ print "    " (decorate ? "_" $1 "@" $2 : $1) }'
  } >"$2"
}

# Empty stdcall definitions with the listed argument bytes (4 per argument).
write_stubs() {
  exports | awk '{
    printf "int __stdcall %s(", $1
    n = $2 / 4
    if (n == 0) printf "void"
    for (i = 0; i < n; i++) printf "%sint a%d", (i ? ", " : ""), i
    print ") { return 0; }"
  }' >"$1"
}

# make_msvc_implib MACHINE TARGET DEF LIB
make_msvc_implib() {
  local dir=$work/$1
  mkdir -p "$dir"
  write_stubs "$dir/stubs.c"
  "$clang" --target="$2" -c "$dir/stubs.c" -o "$dir/stubs.obj"
  "$lld_link" /nologo /dll /noentry /nodefaultlib /machine:"$1" /def:"$3" \
    /out:"$dir/mpdll.dll" /implib:"$4" "$dir/stubs.obj"
}

cp "$i686_build/src/mpdll.dll" "$sdk/bin/"
cp "$x86_64_build/src/mpdll.dll" "$sdk/bin64/"
cp "$source_dir/include/mpdll/mpdll.h" "$sdk/include/mpdll/"
cp "$source_dir/examples/board_check/board_check.c" "$sdk/example/"
cp "$source_dir/bindings/dotnet/Mpdll.cs" "$source_dir/bindings/dotnet/examples/StationCheck.cs" "$sdk/dotnet/"
sed "s/@VERSION@/$version/g" "$source_dir/sdk/README.txt" >"$sdk/README.txt"
sed "s/@VERSION@/$version/g" "$source_dir/sdk/TEST-BUILD.txt" >"$sdk/bin64/TEST-BUILD.txt"

write_def 1 "$sdk/lib/mpdll.def"
write_def 0 "$sdk/lib64/mpdll.def"

# MinGW: the .def names are taken as the symbols themselves (no underscore
# added), so _OpenDev@4 is both the symbol and the import name.
i686-w64-mingw32-dlltool --no-leading-underscore -m i386 -d "$sdk/lib/mpdll.def" -D mpdll.dll \
  -l "$sdk/lib/libmpdll.dll.a"
x86_64-w64-mingw32-dlltool -m i386:x86-64 -d "$sdk/lib64/mpdll.def" -D mpdll.dll -l "$sdk/lib64/libmpdll.dll.a"

make_msvc_implib x86 i686-pc-windows-msvc "$sdk/lib/mpdll.def" "$sdk/lib/mpdll.lib"
make_msvc_implib x64 x86_64-pc-windows-msvc "$sdk/lib64/mpdll.def" "$sdk/lib64/mpdll.lib"

rm -rf "$work"
echo "SDK: $sdk"
(cd "$sdk" && find . -type f | sort | sed 's|^\./|  |')
