#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (Debian 12).
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

PACKAGES=(
  build-essential cmake pkg-config
  libcli11-dev libgtest-dev libxlsxwriter-dev
  libwxgtk3.2-dev wx3.2-i18n locales fonts-arphic-uming
  xvfb xauth x11-utils xdotool imagemagick
  python3-jieba
)
# Optional extra groups, e.g. `deps.sh fuzz windows`.
for group in "$@"; do
  case "$group" in
    fuzz) PACKAGES+=(clang libclang-rt-14-dev) ;;
    # Readers of the csv and the workbook that are not the program's, for the tests.
    readers) PACKAGES+=(python3-openpyxl libreoffice-calc-nogui) ;;
    bench) PACKAGES+=(time gnuplot-nox) ;;
    package) PACKAGES+=(dpkg-dev lintian help2man zip unzip) ;;
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

# The dialog tests run once on a Chinese desktop, which needs its locale.
# Enabled in /etc/locale.gen as well, so a later locale-gen keeps it.
if ! locale -a 2>/dev/null | grep -ix 'zh_CN.utf8' >/dev/null; then
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -qx 'zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  else
    $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
  fi
fi
