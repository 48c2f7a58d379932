# The Wine test environment: sourced by scripts/test, scripts/demo and scripts/bench.
# testenv_start BUILD [DESKTOP_SLOTS [PLAIN_SLOTS]] makes it: 24-bit test slots (default: one desktop slot), each
# an Xvfb display with a Wine prefix of its own under the build folder, its wineserver and its COM pairs, plus
# one prefix on a 16-bit and one on an 8-bit display (both desktops). Slot 1, a desktop slot, is the
# environment's own (WINEPREFIX, DISPLAY); every slot N is exported as DRAVIK_SLOT_PREFIX_N and
# DRAVIK_SLOT_DISPLAY_N, and testenv_slots_spec writes the slots as a ctest resource file ("desktop" and "plain"
# slots), so test executables run side by side, one per slot (scripts/wine-run picks the slot ctest gave).
# testenv_stop ends what testenv_start started.
# The prefixes are of the build that runs here (scripts/lib/platform.sh): 32-bit ones under the 32-bit loader,
# or 64-bit ones under the 64-bit loader, always called directly (Debian's wine, wineboot and winepath
# wrappers pick the 32-bit loader whenever its file exists, even where it cannot run).
#
# Why slots: one Wine session shares its named kernel objects (the link's "KvEventNextTransfer") and a prefix
# has one set of COM ports, so two executables that open the link must not share a prefix at once; a prefix of
# its own each, on a display of its own (sessions would fight over the pointer and the screen), lets them run
# together.
#
# Why the virtual desktop: with no window manager on a bare Xvfb, Wine waits about 2 s each time a managed
# top-level window hides; inside Wine's virtual desktop the same hide takes a few milliseconds. The desktop
# named "shell" also has Wine's taskbar with its notification area, where Shell_NotifyIcon icons appear (the
# driver's tray icon is tested there by screenshot and real clicks). Probed at 24, 16 and 8 bits: BitBlt from
# the screen DC reads a window's pixels, SendInput clicks and keys reach the focused window, and the depth
# (5-5-5 at 16 bits, the palette at 8) is the display's. Desktop slots get it through the prefix's Explorer
# "Desktop" setting.
# Why plain slots as well: on the virtual desktop the X pointer events of a warp reach Wine through the
# desktop's own process, which cannot tell them from moves, so a cursor set or a real mouse moved quickly goes
# back to where it was a moment ago: spurious leave and enter messages, a release where an earlier move was, a
# cursor that moves by itself. Tests that move the mouse and read it back run on a plain prefix, where the X11
# driver's "Managed" = "N" (set in every prefix) removes the hide wait instead. DRAVIK_DESKTOP=0 makes every
# slot plain.

testenv_pids=()
testenv_prefixes=()
testenv_slot_count=1
testenv_slot_kinds=()
testenv_here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=platform.sh
. "$testenv_here/scripts/lib/platform.sh"

testenv_start() {
  local build=$1 desktops=${2:-1} plains=${3:-0} i
  [ -n "${DRAVIK_WINDOWS:-}" ] || platform_decide
  if [ "$DRAVIK_WINDOWS" = 64 ]; then
    export WINEARCH=win64 WINELOADER=$DRAVIK_WINE
  else
    export WINEARCH=win32
  fi
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=UTC
  # A sound device that plays into nothing (ALSA's null device), so that Wine has a wave output to play on.
  mkdir -p "$build/config/alsa"
  printf '%s\n' 'pcm.!default {' '  type null' '}' >"$build/config/alsa/asoundrc"
  export XDG_CONFIG_HOME="$build/config"
  [ "$desktops" -ge 1 ] || desktops=1
  testenv_slot_count=$((desktops + plains))
  testenv_slot_kinds=()
  for ((i = 1; i <= testenv_slot_count; i++)); do
    if [ "$i" -le "$desktops" ]; then testenv_slot_kinds[i]=desktop; else testenv_slot_kinds[i]=plain; fi
  done

  if [ -f "$testenv_here/scripts/lib/compairs.sh" ]; then
    # shellcheck source=compairs.sh
    . "$testenv_here/scripts/lib/compairs.sh"
    compairs_build_lib "$build" "$DRAVIK_WINDOWS"
  fi

  # Displays first (each Xvfb picks its number), then every prefix booted side by side.
  if [ -z "${DISPLAY:-}" ]; then
    testenv_xvfb 24
    export DISPLAY=$testenv_xvfb_display
  fi
  export DRAVIK_SLOT_DISPLAY_1=$DISPLAY DRAVIK_SLOT_PREFIX_1="$build/wineprefix"
  for ((i = 2; i <= testenv_slot_count; i++)); do
    testenv_xvfb 24
    export "DRAVIK_SLOT_DISPLAY_$i=$testenv_xvfb_display" "DRAVIK_SLOT_PREFIX_$i=$build/wineprefix-$i"
  done
  # Extra displays for the 16-bit and 8-bit screen paths of capture and colour reduction.
  testenv_display 16 DRAVIK_DISPLAY16
  testenv_display 8 DRAVIK_DISPLAY8
  export DRAVIK_PREFIX16="$build/wineprefix16" DRAVIK_PREFIX8="$build/wineprefix8"
  export WINEPREFIX=$DRAVIK_SLOT_PREFIX_1

  local boots=() dv pv
  for ((i = 1; i <= testenv_slot_count; i++)); do
    dv=DRAVIK_SLOT_DISPLAY_$i pv=DRAVIK_SLOT_PREFIX_$i
    testenv_prefix "${!pv}" "${!dv}" "${testenv_slot_kinds[i]}" &
    boots+=($!)
  done
  testenv_prefix "$DRAVIK_PREFIX16" "$DRAVIK_DISPLAY16" desktop &
  boots+=($!)
  testenv_prefix "$DRAVIK_PREFIX8" "$DRAVIK_DISPLAY8" desktop &
  boots+=($!)
  local failed=0
  for i in "${boots[@]}"; do wait "$i" || failed=1; done
  testenv_prefixes=("$DRAVIK_PREFIX16" "$DRAVIK_PREFIX8")
  for ((i = 1; i <= testenv_slot_count; i++)); do
    pv=DRAVIK_SLOT_PREFIX_$i
    testenv_prefixes+=("${!pv}")
  done
  if [ "$failed" -ne 0 ]; then
    echo "testenv: a Wine prefix did not boot" >&2
    return 1
  fi

  # Each slot's COM pairs are its own: a pty pair is one cable.
  if declare -F compairs_start >/dev/null; then
    compairs_start "$build/ports" "$DRAVIK_SLOT_PREFIX_1"
    for ((i = 2; i <= testenv_slot_count; i++)); do
      pv=DRAVIK_SLOT_PREFIX_$i
      compairs_start "$build/ports-$i" "${!pv}"
    done
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

# testenv_prefix PREFIX DISPLAY KIND: the prefix booted, its wineserver kept running, set up as a desktop or a
# plain prefix.
testenv_prefix() {
  local prefix=$1 display=$2 kind=$3
  mkdir -p "$prefix"
  # Wine's helper processes would otherwise hold our pipes open.
  WINEPREFIX=$prefix DISPLAY=$display wineserver -p </dev/null >/dev/null 2>&1
  WINEPREFIX=$prefix DISPLAY=$display "$DRAVIK_WINE" wineboot.exe -i </dev/null >/dev/null 2>&1 || return 1
  local reg="$prefix/testenv-desktop.reg" desktop='"Desktop"=-'
  if [ "$kind" = desktop ] && [ "${DRAVIK_DESKTOP:-1}" != 0 ]; then desktop='"Desktop"="shell"'; fi
  # Imported once per prefix and setting; the running wineserver takes it at once.
  if [ -f "$reg" ] && grep -qxF "$desktop" "$reg"; then return 0; fi
  printf '%s\n' 'REGEDIT4' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer]' "$desktop" '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"shell"="1024x768"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' >"$reg"
  if ! WINEPREFIX=$prefix DISPLAY=$display "$DRAVIK_WINE" regedit.exe /S "$(testenv_winepath "$prefix" "$reg")" \
    </dev/null >/dev/null 2>&1; then
    rm -f "$reg"
    return 1
  fi
}

# testenv_winepath PREFIX PATH: the Windows name of a Unix path in that prefix.
testenv_winepath() {
  WINEPREFIX=$1 "$DRAVIK_WINE" winepath.exe -w "$2" 2>/dev/null | tr -d '\r'
}

# testenv_slots_spec FILE: the 24-bit slots as a ctest resource file, resources "desktop" and "plain" with one
# test per slot.
testenv_slots_spec() {
  local file=$1 i kind sep ksep=""
  {
    printf '{"version": {"major": 1, "minor": 0}, "local": [{'
    for kind in desktop plain; do
      printf '%s"%s": [' "$ksep" "$kind"
      sep=""
      for ((i = 1; i <= testenv_slot_count; i++)); do
        [ "${testenv_slot_kinds[i]}" = "$kind" ] || continue
        printf '%s{"id": "%d", "slots": 1}' "$sep" "$i"
        sep=", "
      done
      printf ']'
      ksep=", "
    done
    printf '}]}\n'
  } >"$file"
}

testenv_stop() {
  if declare -F compairs_stop >/dev/null; then compairs_stop; fi
  local p
  for p in "${testenv_prefixes[@]}"; do WINEPREFIX="$p" wineserver -k </dev/null >/dev/null 2>&1 || true; done
  testenv_prefixes=()
  for p in "${testenv_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${testenv_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  testenv_pids=()
}
