# Shared by scripts/run and scripts/test: paths, configure/build steps and the X display.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
jobs=$(nproc)

# Configures (once) and builds one build tree: build_tree DIR [cmake options...]
build_tree() {
  local dir=$1
  shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
  fi
  cmake --build "$dir" -j"$jobs" >"$dir.build.log" 2>&1 || { grep -E 'error|Error' -A5 "$dir.build.log" | head -n 60; return 1; }
}

build_windows() {
  mkdir -p "$build"
  build_tree "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" -DCMAKE_BUILD_TYPE=Release
}

# Makes sure an X display is there for Wine's windows: the user's own, or a private Xvfb.
xvfb_pid=
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then return 0; fi
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  local number
  read -r number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$number"
}

stop_display() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}

# Ends the persistent wineserver of a prefix (it otherwise outlives the script).
stop_wineserver() {
  local prefix=$1
  [ -d "$prefix" ] && WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
}

# A test clip: a moving test picture with a tone. make_clip FILE SECONDS
make_clip() {
  local file=$1 seconds=${2:-10}
  [ -f "$file" ] && return 0
  mkdir -p "$(dirname "$file")"
  ffmpeg -loglevel error -y -f lavfi -i "testsrc=size=640x360:rate=25:duration=$seconds" \
    -f lavfi -i "sine=frequency=440:duration=$seconds" -c:v mpeg4 -q:v 5 -c:a mp3 -shortest "$file"
}
