# Which Windows build this machine runs: sourced by scripts/setup, test, demo and bench.
# The product users run is the 32-bit program. Some machines' kernels refuse every 32-bit Linux program, the
# 32-bit Wine loader among them; there the whole tree is built for 64-bit Windows as well and run under the
# 64-bit loader. DRAVIK_X64=1 takes that path on any machine.
#
# platform_decide sets (and exports):
#   DRAVIK_WINDOWS  32 or 64: the build that is run here
#   DRAVIK_WINE     the Wine loader for it
#   DRAVIK_WHY      why, in a few words
# platform_run_dir BUILD: the folder of the build that is run (BUILD itself, or BUILD/x64).

platform_wine32=/usr/lib/wine/wine
platform_wine64=/usr/lib/wine/wine64

# A 93-byte i386 Linux program that only exits: whether the kernel runs 32-bit programs at all, before any
# 32-bit package is installed.
platform_runs_32bit() {
  local probe rc=0
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'\
'\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00'\
'\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'\
'\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || rc=1
  rm -f "$probe"
  return $rc
}

platform_decide() {
  if [ "${DRAVIK_X64:-0}" = 1 ]; then
    DRAVIK_WINDOWS=64 DRAVIK_WHY="DRAVIK_X64=1 asks for it"
  elif [ -x "$platform_wine32" ] && "$platform_wine32" --version >/dev/null 2>&1; then
    DRAVIK_WINDOWS=32 DRAVIK_WHY="this machine runs 32-bit programs"
  elif platform_runs_32bit; then
    DRAVIK_WINDOWS=32 DRAVIK_WHY="this machine runs 32-bit programs"
  else
    DRAVIK_WINDOWS=64 DRAVIK_WHY="this machine cannot run 32-bit programs"
  fi
  if [ "$DRAVIK_WINDOWS" = 64 ]; then DRAVIK_WINE=$platform_wine64; else DRAVIK_WINE=$platform_wine32; fi
  export DRAVIK_WINDOWS DRAVIK_WINE DRAVIK_WHY
}

platform_run_dir() {
  if [ "$DRAVIK_WINDOWS" = 64 ]; then echo "$1/x64"; else echo "$1"; fi
}

# platform_say WHO: the one line that says which build WHO runs.
platform_say() {
  echo "$1: the $DRAVIK_WINDOWS-bit build ($DRAVIK_WHY)"
}
