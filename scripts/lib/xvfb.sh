# A private X server for scripts and tests: source this file.
#
#   start_xvfb DIR    starts Xvfb on a display of its own, its log in DIR/xvfb.log; exports
#                     DISPLAY and sets xvfb_pid, or ends the script when it does not start
#   stop_xvfb         stops it and waits for it
#
# The display number is drawn at random from a range nobody uses by convention, and the server
# says when it is ready (-displayfd); a number that turns out to be taken is drawn again, so
# servers started side by side never race for one. -noreset: a server that resets when its last
# client goes refuses the next one for a moment, and tests start and end clients all the time.

xvfb_pid=""

start_xvfb() {
  local dir=$1
  local fifo="$dir/xvfb.display"
  local number=""
  for _ in 1 2 3 4 5 6 7 8; do
    local candidate=$((200 + RANDOM % 700))
    rm -f "$fifo"
    mkfifo "$fifo"
    Xvfb ":$candidate" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
      3>"$fifo" 2>"$dir/xvfb.log" &
    xvfb_pid=$!
    if read -r number <"$fifo" && [[ $number == "$candidate" ]]; then
      rm -f "$fifo"
      export DISPLAY=":$number"
      return 0
    fi
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  done
  rm -f "$fifo"
  echo "Xvfb did not start: $(cat "$dir/xvfb.log")" >&2
  exit 1
}

stop_xvfb() {
  if [[ -n $xvfb_pid ]]; then
    kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}
