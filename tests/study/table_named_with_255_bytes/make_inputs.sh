# A table named with as many bytes as a file name may have.
study=$GRIDCMP_SOURCE_DIR/examples/study
cp "$study/original.log" "$study/fp16.log" .
