#!/bin/sh
# The browser build's tests, in Debian's Chromium driven over the DevTools
# protocol by puppeteer-core (installed here from npm on the first run).
# Skipped when the site has not been built (./dev web builds it).
#   run.sh SITE GAME    GAME: the desktop program, to hold the page against
set -eu
site=$1 game=$2
[ -f "$site/vantaro.wasm" ] || { echo "skipped: no site in $site (./dev web builds it)"; exit 77; }
command -v node >/dev/null || { echo "skipped: no node"; exit 77; }
[ -x /usr/bin/chromium ] || { echo "skipped: no chromium"; exit 77; }
cd "$(dirname "$0")"
[ -d node_modules/puppeteer-core ] || npm ci --no-audit --no-fund --silent
VANTARO_SITE=$(cd "$site" && pwd) VANTARO_GAME=$game exec node --test game.test.mjs storage.test.mjs release.test.mjs phone.test.mjs
