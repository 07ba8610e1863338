# The four means of gridcmp, as a user would write them in awk: reads the
# original log, then the quantized log line by line alongside it.
# Usage: awk -v quantized=QUANTIZED -f means.awk ORIGINAL
# Prints one line per block: label, block and running relative and absolute
# means (running sums divided by the block's cells, as gridcmp does).
function flush() {
    if (rows > 0) {
        cells = cols * rows
        printf "%s %.8f %.8f %.8f %.8f\n", label, br / cells, tr / cells, ba / cells, ta / cells
    }
    br = 0; ba = 0; rows = 0
}
{
    if ((getline other < quantized) <= 0) exit
    if ($0 ~ /ine/) { flush(); label = $6; header = 2; inblock = 1; next }
    if (header > 0) { header--; next }
    if (!inblock) next
    if (NF == 0 || $0 ~ /---/) { flush(); inblock = 0; next }
    n = split(other, q, " ")
    cols = n - 1
    for (i = 2; i <= n; i++) {
        r = 1 - $i / q[i]; if (r < 0) r = -r
        a = $i - q[i]; if (a < 0) a = -a
        br += r; tr += r; ba += a; ta += a
    }
    rows++
}
END { flush() }
