for output in table.tsv cells.tsv study.json; do
  [ "$(cat "$output")" = earlier ] || { echo "the earlier $output was replaced"; exit 1; }
done
[ "$(ls -a | grep -c partial)" = 0 ] || { echo "a partial file was left"; exit 1; }
[ -z "$(ls -A tmp)" ] || { echo "files were left in TMPDIR"; exit 1; }
