#!/usr/bin/env bash
# Cross-builds the 32-bit Windows executables, Wordloom.exe and
# wordloom-cli.exe, each statically linked, into build-win/dist/ (or
# $BUILD_DIR/dist); WINDOWS_ARCH=x86_64 builds the 64-bit ones, into
# build-win64/ by default. Installs the toolchain and builds the cached
# wxWidgets and libxlsxwriter first when they are missing. Extra arguments go to cmake's
# configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
export WINDOWS_ARCH=${WINDOWS_ARCH:-i686}
default_dir=build-win
[ "$WINDOWS_ARCH" = i686 ] || default_dir=build-win64
BUILD_DIR=${BUILD_DIR:-$default_dir}

deps_args=(--no-wine)
[ "${WORDLOOM_WINDOWS_WINE:-0}" = 1 ] && deps_args=()
wx_prefix=$(scripts/windows-deps.sh "${deps_args[@]}" | tail -1)
[ -x "$wx_prefix/bin/wx-config" ] || { echo "build-windows: no wxWidgets at $wx_prefix" >&2; exit 1; }
xlsxwriter_prefix=$(scripts/windows-xlsxwriter.sh | tail -1)
[ -f "$xlsxwriter_prefix/lib/libxlsxwriter.a" ] || { echo "build-windows: no libxlsxwriter at $xlsxwriter_prefix" >&2; exit 1; }

gui=ON
[ -f app/CMakeLists.txt ] && [ -f ui/CMakeLists.txt ] || gui=OFF

cmake -S . -B "$BUILD_DIR" \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-$WINDOWS_ARCH.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_EXE_LINKER_FLAGS="-s" \
  -DwxWidgets_CONFIG_EXECUTABLE="$wx_prefix/bin/wx-config" \
  -DWORDLOOM_XLSXWRITER_PREFIX="$xlsxwriter_prefix" \
  -DWORDLOOM_BUILD_GUI=$gui -DWORDLOOM_BUILD_TESTS=OFF -DWORDLOOM_BUILD_FUZZ=OFF \
  "$@" >/dev/null
cmake --build "$BUILD_DIR" -j"${WORDLOOM_JOBS:-2}"

mkdir -p "$BUILD_DIR/dist"
cp "$BUILD_DIR/cli/wordloom-cli.exe" "$BUILD_DIR/dist/"
if [ $gui = ON ]; then
  cp "$BUILD_DIR/app/Wordloom.exe" "$BUILD_DIR/dist/"
else
  echo "build-windows: the dialog's sources are not there; built wordloom-cli.exe only" >&2
fi
ls -l "$BUILD_DIR/dist"
