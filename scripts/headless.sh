# Sourced by the scripts that need a display and a silent audio device of
# their own (tests, benchmarks, soak).

own_display_pid=""

# Starts Xvfb on the first free display number from $1 to $2, waits for its
# socket, and points DISPLAY and OpenAL (null backend) at it. The screen is
# 1280x1024 unless $3 gives another size (WxH). The caller stops it with
# stop_own_display, from its exit trap.
start_own_display() {
  local n display=""
  for n in $(seq "$1" "$2"); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
  done
  [ -n "$display" ] || { echo "No free X display number" >&2; return 1; }
  Xvfb ":$display" -screen 0 "${3:-1280x1024}x24" -nolisten tcp >/dev/null 2>&1 &
  own_display_pid=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.05
  done
  export DISPLAY=":$display"
  export ALSOFT_DRIVERS=null
  unset WAYLAND_DISPLAY
}

stop_own_display() {
  [ -n "$own_display_pid" ] || return 0
  kill "$own_display_pid" 2>/dev/null || true
  wait "$own_display_pid" 2>/dev/null || true
  own_display_pid=""
}

# Mesa's software GL driver, or nothing. It keeps blocks reachable only from
# its own globals and is unloaded before the leak checker runs, leaving them
# with no symbols a suppression could name: preloaded (LD_PRELOAD), it stays
# mapped to the end and only real leaks are reported.
swrast_driver() {
  local f
  for f in /usr/lib/*/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so; do
    [ -e "$f" ] && { echo "$f"; return 0; }
  done
  return 0
}
