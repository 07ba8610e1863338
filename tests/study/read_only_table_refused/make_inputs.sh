# A table its owner may not write (mode 444) is refused before anything is
# compared, root or not: no summary.
study=$GRIDCMP_SOURCE_DIR/examples/study
cp "$study/original.log" "$study/fp16.log" .
echo earlier >table.tsv
chmod 444 table.tsv
