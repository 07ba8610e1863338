[ "$(head -c 4 table.tsv)" = run$'\t' ] || { echo "the table was not replaced"; exit 1; }
[ "$(stat -c %a table.tsv)" = 600 ] || { echo "the table's mode is $(stat -c %a table.tsv), not 600"; exit 1; }
