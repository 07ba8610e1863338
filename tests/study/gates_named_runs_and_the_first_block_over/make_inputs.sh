# The example study shipped in examples/study.
cp "$GRIDCMP_SOURCE_DIR"/examples/study/*.log .
