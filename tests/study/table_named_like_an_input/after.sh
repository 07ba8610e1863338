# The log named as the table is as it was, and nothing was written beside it.
cmp -s original.log quantized.log || { echo "original.log was changed"; exit 1; }
[ "$(ls -a | grep -c partial)" = 0 ] || { echo "a partial table was left"; exit 1; }
