#!/usr/bin/env bash
# One Wine prefix for a whole test run, kept warm by one long-lived client.
#   prefix.sh setup STATE_DIR WIN64_DIR
#                                make the prefix in a temporary folder, start the client
#                                (exit 77, skipped, when the win64 build is not there)
#   prefix.sh cleanup STATE_DIR  end the client and the server, remove the prefix
set -u
action=$1
state=$2
here=$(cd "$(dirname "$0")" && pwd)
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"

case "$action" in
setup)
  if [ ! -f "${3:-}/inventory/cleanupscan.exe" ]; then
    echo "skipped: no win64 build"
    exit 77
  fi
  "$0" cleanup "$state" >/dev/null 2>&1
  mkdir -p "$state"
  export WINEPREFIX
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/invsuite-wine.XXXXXX") || exit 1
  echo "$WINEPREFIX" >"$state/prefix"
  "$wine" wineboot --init >"$state/wineboot.log" 2>&1 || { cat "$state/wineboot.log"; exit 1; }
  # The client reads a fifo that a sleeper holds open: the server and Wine's
  # services stay up until cleanup ends the sleeper. Nothing started here may
  # keep the caller's output open, or ctest waits for it.
  mkfifo "$state/hold"
  setsid -f sh -c 'echo $$ >"$2"; exec sleep 100000 >"$1"' sh "$state/hold" "$state/holder.pid" \
    </dev/null >/dev/null 2>&1
  cd "$state" || exit 1
  setsid -f "$wine" cmd <"$state/hold" >"$state/client.log" 2>&1
  # Wait until the client answers so the first test does not pay for start-up.
  for _ in $(seq 1 100); do
    "$wine" cmd /c exit 0 </dev/null >/dev/null 2>&1 && break
    sleep 0.1
  done
  # The GPU vendors' stand-ins (sim/windows) go beside the system's DLLs, and
  # the Intel CUI class is registered as the graphics driver registers it.
  standins="$3/sim/windows"
  if [ -f "$standins/standin_machine.dll" ]; then
    cp "$standins"/*.dll "$WINEPREFIX/drive_c/windows/system32/" || exit 1
    registration="Z:$(cd "$here/../../sim/windows" && pwd)/standins.reg"
    "$wine" reg import "${registration//\//\\}" </dev/null >"$state/reg.log" 2>&1 ||
      { cat "$state/reg.log"; exit 1; }
  fi
  echo "Wine prefix ready: $WINEPREFIX"
  ;;
cleanup)
  [ -f "$state/prefix" ] || exit 0
  export WINEPREFIX
  WINEPREFIX=$(cat "$state/prefix")
  [ -f "$state/holder.pid" ] && kill "$(cat "$state/holder.pid")" 2>/dev/null
  /usr/lib/wine/wineserver -k 2>/dev/null
  /usr/lib/wine/wineserver -w 2>/dev/null
  case "$WINEPREFIX" in
    "${TMPDIR:-/tmp}"/invsuite-wine.*) rm -rf "$WINEPREFIX" ;;
  esac
  rm -rf "$state"
  ;;
*)
  echo "usage: prefix.sh setup|cleanup STATE_DIR" >&2
  exit 2
  ;;
esac
