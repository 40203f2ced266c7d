#!/bin/sh
# The whole site, every file compressed with gzip -9 as a host would serve
# it, within LIMIT bytes; each file's share is printed. Skipped when the site
# has not been built (./dev web builds it).
#   size.sh SITE LIMIT
set -eu
site=$1 limit=$2
[ -f "$site/vantaro.wasm" ] || { echo "skipped: no site in $site (./dev web builds it)"; exit 77; }
total=0
for file in $(cd "$site" && find . -type f | sort); do
    packed=$(gzip -9c "$site/$file" | wc -c)
    total=$((total + packed))
    printf '%-26s %9d bytes, %8d compressed\n' "${file#./}" "$(wc -c < "$site/$file")" "$packed"
done
printf 'the site: %d bytes compressed (%d KiB), at most %d\n' "$total" $((total / 1024)) "$limit"
[ "$total" -le "$limit" ]
