# A zstd'd run with bytes of its stream overwritten: a read error with
# libzstd's reason.
study=$GRIDCMP_SOURCE_DIR/examples/study
zstd -q -c "$study/fp16.log" >whole.log.zst
size=$(wc -c <whole.log.zst)
{ head -c 200 whole.log.zst; printf 'XXXXXXXXXXXXXXXX'; tail -c $((size - 216)) whole.log.zst; } >fp16.log.zst
cp "$study/original.log" original.log
