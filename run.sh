XDG_RUNTIME_DIR=/tmp/tsdemo/rt no_proxy=127.0.0.1 /tmp/tsdemo/inst/Tessaly &
p=$!
sleep 2; import -window root /tmp/tsdemo/err.png
xdotool key Return 2>/dev/null
kill $p
