#!/usr/bin/env bash
# Installs what Wordloom needs, builds it and starts the dialog program. With no
# display to show it on, shows the command-line front end at work instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh -DWORDLOOM_BUILD_GUI=ON -DWORDLOOM_BUILD_TESTS=OFF

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/wordloom
fi

cat <<'TXT'
没有可用的图形显示（DISPLAY 未设置），无法打开 Wordloom 对话框。
No display is available, so the dialog cannot open. The same generation runs from
the command line; for example (full options: build/cli/wordloom-cli --help):

  build/cli/wordloom-cli --library examples/words.txt --core 连衣裙 \
      --length 60 --count 20 --separator comma --output titles.txt

TXT
out=build/demo-titles.txt
build/cli/wordloom-cli --library examples/words.txt --core 连衣裙 --length 60 --count 20 \
  --separator comma --output "$out"
echo "wordloom-cli wrote 20 titles to $PWD/$out; the first five (shown as UTF-8):"
head -n 6 "$out" | iconv -f GBK -t UTF-8 | tr -d '\r'
formula='品牌+@+款式+袖长+领型+图案+卖点:1-2+流量词:*'
grouped=build/demo-formula-titles.txt
build/cli/wordloom-cli --library examples/grouped-words.txt --core 连衣裙 --length 60 --count 20 \
  --separator comma --formula "$formula" --output "$grouped"
echo
echo "The same with word groups in the order of a formula, --formula '$formula'"
echo "(examples/grouped-words.txt), written to $PWD/$grouped; the first five:"
head -n 6 "$grouped" | iconv -f GBK -t UTF-8 | tr -d '\r'
