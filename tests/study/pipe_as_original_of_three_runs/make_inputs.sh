# The example study, its original only as a gzip'd file, given through a pipe.
study=$GRIDCMP_SOURCE_DIR/examples/study
gzip -c "$study/original.log" >original.log.gz
cp "$study/fp32.log" "$study/fp16.log" "$study/bf16.log" .
