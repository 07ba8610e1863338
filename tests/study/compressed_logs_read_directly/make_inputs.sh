# The example study, its original gzip'd, one run zstd'd, one gzip'd under a
# name that does not say so: each read by what its first bytes are.
study=$GRIDCMP_SOURCE_DIR/examples/study
gzip -c "$study/original.log" >original.log.gz
zstd -q -c "$study/fp16.log" >fp16.log.zst
gzip -c "$study/bf16.log" >bf16.log
cp "$study/fp32.log" fp32.log
