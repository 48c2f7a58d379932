# Serial port pairs for the Wine test environment: sourced by scripts/lib/testenv.sh.
# compairs_build_lib BUILD BITS builds the null-modem library for the Wine loader of that word size (exported
# as NULLMODEM_LIB32 or NULLMODEM_LIB64, which scripts/wine-run preloads into that loader); compairs_start PORTS PREFIX makes socat pty
# pairs in the folder PORTS and links them into PREFIX's dosdevices as COM ports (one call per prefix:
# each gets pairs of its own); compairs_stop ends exactly the socat processes it started.
# Pairs: COM5<->COM6, COM7<->COM8, COM10<->COM11 (COM10 and above open only as "\\.\COM10").

compairs_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
compairs_list=("5 6" "7 8" "10 11")
compairs_pids=()
compairs_links=()

compairs_build_lib() {
  local src="$compairs_root/tests/support/nullmodem/nullmodem.c" bits=${2:-32}
  local lib="$1/nullmodem/libnullmodem$bits.so"
  if [ ! -f "$lib" ] || [ "$src" -nt "$lib" ]; then
    mkdir -p "$1/nullmodem"
    gcc "-m$bits" -shared -fPIC -O2 -Wall -Wextra -D_FILE_OFFSET_BITS=64 -o "$lib.tmp" "$src" -ldl
    mv -f "$lib.tmp" "$lib"
  fi
  export "NULLMODEM_LIB$bits=$lib"
}

compairs_start() {
  local ports=$1 dos="$2/dosdevices"
  mkdir -p "$ports" "$dos"

  local pair a b
  for pair in "${compairs_list[@]}"; do
    read -r a b <<<"$pair"
    # Links left by an earlier run that did not stop cleanly.
    rm -f "$ports/com$a" "$ports/com$b" "$dos/com$a" "$dos/com$b"
    socat "pty,raw,echo=0,link=$ports/com$a" "pty,raw,echo=0,link=$ports/com$b" \
      </dev/null >/dev/null 2>"$ports/socat-com$a-com$b.log" &
    compairs_pids+=($!)
  done

  local i name
  for pair in "${compairs_list[@]}"; do
    read -r a b <<<"$pair"
    for name in "com$a" "com$b"; do
      for i in $(seq 1 100); do [ -e "$ports/$name" ] && break; sleep 0.05; done
      if [ ! -e "$ports/$name" ]; then
        echo "compairs: socat did not make $ports/$name (see $ports/socat-com$a-com$b.log)" >&2
        return 1
      fi
      ln -sf "$ports/$name" "$dos/$name"
      compairs_links+=("$dos/$name")
    done
  done
}

compairs_stop() {
  local p
  for p in "${compairs_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${compairs_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  compairs_pids=()
  if [ ${#compairs_links[@]} -gt 0 ]; then rm -f "${compairs_links[@]}"; fi
  compairs_links=()
}
