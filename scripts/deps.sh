#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (Debian 12).
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

PACKAGES=(
  build-essential cmake pkg-config
  libcli11-dev libgtest-dev
  libwxgtk3.2-dev fonts-arphic-uming
  xvfb xauth x11-utils xdotool imagemagick
  python3-jieba locales
)
# Optional extra groups, e.g. `deps.sh fuzz windows`.
for group in "$@"; do
  case "$group" in
    fuzz) PACKAGES+=(clang libclang-rt-14-dev) ;;
    bench) PACKAGES+=(time gnuplot-nox) ;;
    *) echo "deps.sh: unknown group $group" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
