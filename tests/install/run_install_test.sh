#!/usr/bin/env bash
# Installs the native build into a fresh prefix with `cmake --install` and
# checks the installed tree (check_installed_tree.sh).
# Usage: run_install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "$1")
source_dir=$(realpath "$2")
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
bash "$(dirname "$0")/check_installed_tree.sh" "$prefix" "$source_dir"
