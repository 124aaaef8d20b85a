# Sourced by the Windows tests: a private Wine prefix under the build folder,
# initialised without prompts, with a Chinese font standing in for SimSun.
# Needs WINDOWS_BUILD_DIR (the cross build's folder) to be set, and
# WINDOWS_ARCH=x86_64 for the 64-bit build.

export WINEPREFIX=${WORDLOOM_WINEPREFIX:-$WINDOWS_BUILD_DIR/wineprefix}
export WINEARCH=win32
if [ "${WINDOWS_ARCH:-i686}" = x86_64 ]; then
  # 64-bit Wine's own loader and server under the usual names:
  # /usr/bin/wine takes the 32-bit loader whenever wine32 is installed.
  export WINEARCH=win64 WINESERVER=/usr/lib/wine/wineserver64
  mkdir -p "$WINDOWS_BUILD_DIR/wine64-bin"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$WINDOWS_BUILD_DIR/wine64-bin/wine"
  printf '#!/bin/sh\nexec %s "$@"\n' "$WINESERVER" > "$WINDOWS_BUILD_DIR/wine64-bin/wineserver"
  chmod +x "$WINDOWS_BUILD_DIR/wine64-bin/wine" "$WINDOWS_BUILD_DIR/wine64-bin/wineserver"
  export PATH=$WINDOWS_BUILD_DIR/wine64-bin:$PATH
fi
export WINEDEBUG=-all
# No Mono or Gecko: their installers would ask to download.
export WINEDLLOVERRIDES="mscoree,mshtml="
# A zh_CN.UTF-8 locale compiled into the build folder, so Wine can run with
# the Chinese (PRC) code page 936 without touching the system's locales.
export LOCPATH=$WINDOWS_BUILD_DIR/locale

# The dialog asks for SimSun (宋体): AR PL UMing CN stands in for it. Wine
# draws captions and the system menu itself ("Managed"="N"), as Windows
# would, since Xvfb has no window manager.
WINE_ENV_REG='Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="AR PL UMing CN"
"宋体"="AR PL UMing CN"
"NSimSun"="AR PL UMing CN"
"新宋体"="AR PL UMing CN"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"
'

wine_env_init() {
  if [ ! -f "$LOCPATH/zh_CN.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$LOCPATH"
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" 2>/dev/null || [ -f "$LOCPATH/zh_CN.UTF-8/LC_CTYPE" ]
  fi
  if [ ! -f "$WINEPREFIX/.wordloom-prefix" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 DISPLAY= wine wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-env: wineboot did not create $WINEPREFIX" >&2; return 1; }
    touch "$WINEPREFIX/.wordloom-prefix"
  fi
  # Wine's own fonts (Marlett draws the caption buttons, menu checks and
  # arrows); this Wine does not find them in its data folder by itself.
  local font
  for font in /usr/share/wine/fonts/*.ttf; do
    [ -e "$font" ] || continue
    [ -e "$WINEPREFIX/drive_c/windows/Fonts/$(basename "$font")" ] || ln -s "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
  local want
  want=$(printf '%s' "$WINE_ENV_REG" | sha256sum | cut -c1-16)
  if [ "$(cat "$WINEPREFIX/.wordloom-reg" 2>/dev/null)" != "$want" ]; then
    # A version 5 .reg file is UTF-16, so the Chinese names survive.
    local reg="$WINEPREFIX/drive_c/wordloom.reg"
    { printf '\xff\xfe'; printf '%s\n' "$WINE_ENV_REG" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } > "$reg"
    LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 DISPLAY= wine regedit /S 'C:\wordloom.reg' >/dev/null 2>&1
    wineserver -w
    grep -q 'AR PL UMing CN' "$WINEPREFIX/user.reg" || { echo "wine-env: font substitutes not registered" >&2; return 1; }
    echo "$want" > "$WINEPREFIX/.wordloom-reg"
  fi
}
