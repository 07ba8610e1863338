# Earlier outputs, and a run whose log cannot be read (exit status 2).
study=$GRIDCMP_SOURCE_DIR/examples/study
cp "$study/original.log" "$study/fp16.log" .
for output in table.tsv cells.tsv study.json; do echo earlier >"$output"; done
