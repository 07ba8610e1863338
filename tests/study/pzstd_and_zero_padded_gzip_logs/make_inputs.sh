# Two runs compressed as other tools leave them: fp16 as pzstd writes, a
# skippable frame (magic 0x184D2A50, 4 bytes of content) before the zstd
# frame; bf16 gzip'd and padded with zero bytes, as tapes and some tools pad
# a file. Each is read as its text.
study=$GRIDCMP_SOURCE_DIR/examples/study
{ printf '\120\052\115\030\004\000\000\000\000\000\000\000'; zstd -q -c "$study/fp16.log"; } >fp16.log.zst
{ gzip -c "$study/bf16.log"; head -c 4096 /dev/zero; } >bf16.log.gz
cp "$study/original.log" original.log
