#!/usr/bin/env bash
# Installs what Wordloom needs, builds it and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh -DWORDLOOM_BUILD_TESTS=OFF
out=${WORDLOOM_DEMO_OUTPUT:-$PWD/build/demo-titles.txt}
build/cli/wordloom-cli --library examples/words.txt --core 连衣裙 --length 60 --count 20 --separator comma --output "$out"
echo "wordloom-cli wrote 20 titles to $out; the first five (shown as UTF-8):"
head -n 6 "$out" | iconv -f GBK -t UTF-8 | tr -d '\r'
