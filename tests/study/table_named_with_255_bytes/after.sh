name=$(printf "t%.0s" $(seq 255))
[ "$(head -c 4 "$name")" = run$'\t' ] || { echo "no table named with 255 bytes"; exit 1; }
[ "$(ls -a | grep -c partial)" = 0 ] || { echo "a partial file was left"; exit 1; }
