# Sourced by tools/test, tools/run and tools/bench: a private Xvfb display and a persistent
# wineserver for one build tree, both stopped by xsession_stop.

. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

xsession_start() {  # $1: build directory
  local build=$1
  wine_env "$build/wineprefix"
  local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local num; read -r -t 20 num <"$fifo" || true
  rm -f "$fifo"
  if [ -z "${num:-}" ]; then echo "Xvfb did not start" >&2; return 1; fi
  export DISPLAY=:$num
  wine_prefix_prepare
  # Wine's server and services outlive the programs: start them here with no inherited
  # descriptors, or they hold the caller's output pipe open after everything has ended.
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1 || true
}

xsession_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then timeout 20 wineserver -k </dev/null >/dev/null 2>&1 || true; fi
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
  XVFB_PID=
}
