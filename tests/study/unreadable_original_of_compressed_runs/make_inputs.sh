# Two runs from gzip logs, each decompressed on a thread of its own, and an
# original that cannot be read: every thread ends, none waits for another.
study=$GRIDCMP_SOURCE_DIR/examples/study
for run in fp32 fp16; do gzip -c "$study/$run.log" >$run.log.gz; done
