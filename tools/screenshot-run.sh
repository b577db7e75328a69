#!/bin/bash
# Runs INSIDE an X server: starts a Wine program, and whenever it shows a window takes a
# screenshot of the screen and presses Enter, until the program ends (120 s at most).
# usage: screenshot-run.sh SHOT_DIR WORK_DIR WINE PROGRAM [args...]
set -u
shots=$1; work=$2; shift 2
# $1 is wine, $2 the program: Wine names the X windows' class after the program.
(cd "$work" && exec "$@") & pid=$!
n=0
deadline=$((SECONDS + 120))
while kill -0 $pid 2>/dev/null && [ $SECONDS -lt $deadline ]; do
  sleep 1
  win=$(xdotool search --onlyvisible --classname "$(basename "$2" | tr 'A-Z' 'a-z')" 2>/dev/null | tail -1)
  [ -n "$win" ] || continue
  kill -0 $pid 2>/dev/null || break
  sleep 0.5                                      # let Wine finish painting
  n=$((n + 1))
  import -window root "$shots/shot-$n.png"
  xdotool key --window "$win" Return 2>/dev/null || xdotool key Return
  for _ in $(seq 30); do                         # until that window is gone
    xdotool search --onlyvisible --classname "$(basename "$2" | tr 'A-Z' 'a-z')" 2>/dev/null | grep -qx "$win" || break
    sleep 0.1
  done
done
if kill -0 $pid 2>/dev/null; then echo "the program did not end: stopped"; kill $pid; fi
wait $pid; rc=$?
echo "setup.exe exit code $rc"
