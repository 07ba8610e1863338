# An earlier table that only its owner may read.
study=$GRIDCMP_SOURCE_DIR/examples/study
cp "$study/original.log" "$study/fp16.log" .
echo earlier >table.tsv
chmod 600 table.tsv
