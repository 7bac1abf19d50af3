#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that
# are missing. Runs apt-get only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake make ninja-build
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcli11-dev libasio-dev nlohmann-json3-dev libtinyxml2-dev
  clang-14 libclang-rt-14-dev lld-14 llvm-14
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64
  valgrind socat busybox-static telnet python3 python3-pexpect expect
  gcovr pkgconf
  python3-pytest python3-pip python3-setuptools python3-wheel python3-venv
  mono-mcs mono-runtime nunit-console libnunit-cil-dev
  dpkg-dev unzip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
