# Sourced by the benchmark scripts: a private X server for one run.
#   start_xvfb [SCREEN]   starts it (1024x768x24 by default) and exports DISPLAY;
#                         $tmp is a scratch folder, $xvfb the server. At exit every process the
#                         script started, the server too, is stopped and $tmp removed.
start_xvfb() {
    tmp=$(mktemp -d)
    Xvfb -displayfd 3 -screen 0 "${1:-1024x768x24}" -nolisten tcp -noreset 3>"$tmp/display" >/dev/null 2>&1 &
    xvfb=$!
    trap 'pkill -P $$ 2>/dev/null; rm -rf "$tmp"' EXIT
    for i in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$tmp/display")
}
