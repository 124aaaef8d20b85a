# Sourced by the Windows tests: a private Wine prefix under the build folder,
# initialised without prompts, with a Chinese font standing in for SimSun.
# Needs WINDOWS_BUILD_DIR (the cross build's folder) to be set.

export WINEPREFIX=${WORDLOOM_WINEPREFIX:-$WINDOWS_BUILD_DIR/wineprefix}
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko: their installers would ask to download.
export WINEDLLOVERRIDES="mscoree,mshtml="
# A zh_CN.UTF-8 locale compiled into the build folder, so Wine can run with
# the Chinese (PRC) code page 936 without touching the system's locales.
export LOCPATH=$WINDOWS_BUILD_DIR/locale

wine_env_init() {
  if [ ! -f "$LOCPATH/zh_CN.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$LOCPATH"
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" 2>/dev/null || [ -f "$LOCPATH/zh_CN.UTF-8/LC_CTYPE" ]
  fi
  if [ ! -f "$WINEPREFIX/.wordloom-ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 DISPLAY= wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # The dialog asks for SimSun (宋体); AR PL UMing has the same glyphs'
    # coverage. A version 5 .reg file is UTF-16, so the Chinese name survives.
    local reg="$WINEPREFIX/wordloom-fonts.reg"
    printf '\xff\xfe' > "$reg"
    iconv -f UTF-8 -t UTF-16LE >> "$reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="AR PL UMing CN"
"宋体"="AR PL UMing CN"
"NSimSun"="AR PL UMing CN"
"新宋体"="AR PL UMing CN"

REG
    LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 DISPLAY= wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
    wineserver -w
    grep -q 'AR PL UMing CN' "$WINEPREFIX/user.reg" || { echo "wine-env: font substitutes not registered" >&2; return 1; }
    touch "$WINEPREFIX/.wordloom-ready"
  fi
}
