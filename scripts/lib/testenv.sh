# The Wine test environment: sourced by scripts/test and scripts/demo.
# testenv_start makes it (own prefix under the build folder, Xvfb, wineserver, COM pairs);
# testenv_stop ends what testenv_start started.

testenv_pids=()

testenv_start() {
  local build=$1
  export WINEPREFIX="$build/wineprefix"
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=UTC

  if [ -z "${DISPLAY:-}" ]; then
    testenv_xvfb 24
    export DISPLAY=$testenv_xvfb_display
  fi

  # Extra displays for the 16-bit and 8-bit screen paths of capture and colour reduction.
  testenv_display 16 DRAVIK_DISPLAY16
  testenv_display 8 DRAVIK_DISPLAY8

  mkdir -p "$WINEPREFIX"
  # Wine's helper processes would otherwise hold our pipes open.
  wineserver -p </dev/null >/dev/null 2>&1
  wineboot -i </dev/null >/dev/null 2>&1

  # Each extra display gets a Wine session of its own: the windows of one session live on one X display.
  testenv_prefix "$build" 16 DRAVIK_DISPLAY16 DRAVIK_PREFIX16
  testenv_prefix "$build" 8 DRAVIK_DISPLAY8 DRAVIK_PREFIX8

  if [ -f "$here/scripts/lib/compairs.sh" ]; then
    # shellcheck source=compairs.sh
    . "$here/scripts/lib/compairs.sh"
    compairs_start "$build"
  fi
}

# testenv_xvfb DEPTH: a 1024 x 768 Xvfb display of that depth, its name (":N") left in testenv_xvfb_display.
# Xvfb picks the number itself (-displayfd), so runs started side by side never share a display.
testenv_xvfb_display=
testenv_xvfb() {
  local depth=$1 out i
  out=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "1024x768x$depth" -nolisten tcp -noreset 3>"$out" >/dev/null 2>&1 &
  testenv_pids+=($!)
  for i in $(seq 1 100); do [ -s "$out" ] && break; sleep 0.1; done
  testenv_xvfb_display=":$(tr -d '[:space:]' <"$out")"
  rm -f "$out"
  for i in $(seq 1 100); do [ -e "/tmp/.X11-unix/X${testenv_xvfb_display#:}" ] && break; sleep 0.1; done
}

# testenv_display DEPTH VAR: a display of that depth, its name exported in VAR (kept when set).
testenv_display() {
  local depth=$1 var=$2
  [ -n "${!var:-}" ] && return 0
  testenv_xvfb "$depth"
  export "$var=$testenv_xvfb_display"
}

# testenv_prefix BUILD DEPTH DISPLAYVAR PREFIXVAR: a booted prefix for that display, its path exported in PREFIXVAR.
testenv_prefixes=()
testenv_prefix() {
  local build=$1 depth=$2 display=$3 var=$4
  export "$var=$build/wineprefix$depth"
  mkdir -p "${!var}"
  WINEPREFIX="${!var}" DISPLAY="${!display}" wineserver -p </dev/null >/dev/null 2>&1
  WINEPREFIX="${!var}" DISPLAY="${!display}" wineboot -i </dev/null >/dev/null 2>&1
  testenv_prefixes+=("${!var}")
}

testenv_stop() {
  if declare -F compairs_stop >/dev/null; then compairs_stop; fi
  wineserver -k </dev/null >/dev/null 2>&1 || true
  for p in "${testenv_prefixes[@]}"; do WINEPREFIX="$p" wineserver -k </dev/null >/dev/null 2>&1 || true; done
  testenv_prefixes=()
  local p
  for p in "${testenv_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${testenv_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  testenv_pids=()
}
