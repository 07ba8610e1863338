[ "$(cat table.tsv)" = earlier ] || { echo "the read-only table was changed"; exit 1; }
[ "$(stat -c %a table.tsv)" = 444 ] || { echo "the table's mode is $(stat -c %a table.tsv), not 444"; exit 1; }
[ "$(ls -a | grep -c partial)" = 0 ] || { echo "a partial file was left"; exit 1; }
