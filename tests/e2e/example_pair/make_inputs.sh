# The example pair shipped in examples/, and its expected report.
mkdir -p examples
cp "$GRIDCMP_SOURCE_DIR"/examples/original.log "$GRIDCMP_SOURCE_DIR"/examples/quantized.log examples/
cp "$GRIDCMP_SOURCE_DIR"/examples/expected-report.txt expected.out
