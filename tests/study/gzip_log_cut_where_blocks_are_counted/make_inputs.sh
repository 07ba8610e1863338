# The original has its first blocks only; the quantized run, gzip'd, is cut
# short well after them: the cut is met while the blocks left are counted,
# and is a read error all the same.
study=$GRIDCMP_SOURCE_DIR/examples/study
head -n 48 "$study/fp16.log" >original.log
gzip -c "$study/original.log" | head -c 15000 >run.log.gz
