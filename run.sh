#!/usr/bin/env bash
# Sets everything up and starts the program.
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/setup-deps.sh"
"$top/tools/build.sh" --target Brevane ffmpeg_standin Halvora

pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done' EXIT

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  d=50
  while [ -e "/tmp/.X$d-lock" ]; do d=$((d + 1)); done
  Xvfb ":$d" -screen 0 1400x1000x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=":$d"
  echo "No display found: started a virtual one (Xvfb) on $DISPLAY."
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
fi

if ! pactl info >/dev/null 2>&1; then
  if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -w "${XDG_RUNTIME_DIR}" ]; then
    export XDG_RUNTIME_DIR=$(mktemp -d /tmp/quellin-run.XXXXXX)
    chmod 700 "$XDG_RUNTIME_DIR"
  fi
  pa=$(mktemp /tmp/quellin-pa.XXXXXX)
  printf '%s\n' "load-module module-native-protocol-unix" \
    "load-module module-null-sink sink_name=speakers sink_properties=device.description=Speakers" \
    "set-default-sink speakers" > "$pa"
  pulseaudio -n -F "$pa" --daemonize=no --exit-idle-time=-1 --disable-shm=yes >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
  echo "No sound server answered: started a private PulseAudio with an output sink \"Speakers\"."
fi

# Recordings go to Documents/ZeltoAudioRecord/; a bare account may have no
# Documents folder yet.
if [ -n "${HOME:-}" ] && [ ! -f "${XDG_CONFIG_HOME:-$HOME/.config}/user-dirs.dirs" ]; then
  mkdir -p "$HOME/Documents"
fi

"$top/build/bin/Brevane" "$@"
