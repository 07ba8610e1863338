# The summary cannot be written (standard output is closed): the earlier
# JSON summary must neither take its descriptor nor be replaced.
study=$GRIDCMP_SOURCE_DIR/examples/study
cp "$study/original.log" "$study/fp16.log" .
echo '{"earlier": true}' >study.json
