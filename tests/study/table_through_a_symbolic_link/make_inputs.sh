# The table's name is a link to an earlier table in another folder; the
# JSON summary's a link to a file not yet made.
study=$GRIDCMP_SOURCE_DIR/examples/study
cp "$study/original.log" "$study/fp16.log" .
mkdir kept
echo earlier >kept/table.tsv
ln -s kept/table.tsv table.tsv
ln -s kept/study.json study.json
