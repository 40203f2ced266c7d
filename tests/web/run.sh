#!/bin/sh
# The browser build's tests: the full round in Debian's Chromium, driven over
# the DevTools protocol by puppeteer-core, and the page in Firefox ESR (over
# WebDriver BiDi, puppeteer-core too) and WebKitGTK (WebKitWebDriver and its
# MiniBrowser in an Xvfb of its own, over W3C WebDriver by
# selenium-webdriver), held against Chromium and the desktop game. Skipped
# when the site has not been built (./dev web builds it); an engine that is
# not installed is skipped with a line saying so.
#   run.sh SITE GAME [FILE...]  the test files given (all of them without);
#                               GAME: the desktop program, to hold the page against
#   run.sh --install            only the npm packages, installed whenever what
#                               is there is not what package.json pins (the
#                               tests do this first themselves)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
install() {
    command -v npm >/dev/null || { echo "skipped: no npm"; exit 77; }
    (cd "$here" && { npm ls --silent >/dev/null 2>&1 || npm ci --no-audit --no-fund --silent; })
}
if [ "${1:-}" = --install ]; then
    install
    exit 0
fi
site=$1 game=$2
shift 2
[ -f "$site/vantaro.wasm" ] || { echo "skipped: no site in $site (./dev web builds it)"; exit 77; }
command -v node >/dev/null || { echo "skipped: no node"; exit 77; }
[ -x /usr/bin/chromium ] || { echo "skipped: no chromium"; exit 77; }
site=$(cd "$site" && pwd)
case $game in /*) ;; *) game=$PWD/$game ;; esac
install
cd "$here"
[ $# -gt 0 ] || set -- game.test.mjs storage.test.mjs release.test.mjs phone.test.mjs engines.test.mjs
# The files side by side: their browsers mostly wait for the page. A test
# held up by a browser that stopped answering fails after five minutes,
# named, and the run ends once every test has, whatever a dead browser left
# behind.
VANTARO_SITE=$site VANTARO_GAME=$game exec node --test --test-concurrency=$# --test-timeout=300000 \
    --test-force-exit "$@"
