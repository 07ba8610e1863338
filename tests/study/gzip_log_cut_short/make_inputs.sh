# A gzip'd original cut short inside its stream: a read error with zlib's
# reason, after the blocks that came before the cut.
study=$GRIDCMP_SOURCE_DIR/examples/study
gzip -c "$study/original.log" | head -c 6000 >original.log.gz
cp "$study/fp16.log" fp16.log
