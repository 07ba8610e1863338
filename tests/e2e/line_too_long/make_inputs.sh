# Lines at the limit: the original's first data row is padded with blanks to
# 1048575 characters, the longest line taken; the quantized log's row on line
# 10 to 1048576 characters, one too many.
pad() { awk -v width="$1" '{ printf "%s", $0; for (i = length($0); i < width; i++) printf " "; printf "\n" }'; }
{ sed -n 1,3p original-source.log; sed -n 4p original-source.log | pad 1048575; sed -n '5,$p' original-source.log; } >original.log
{ cat quantized-head.log; printf '1 1.0 1.0 1.0\n' | pad 1048576; cat quantized-tail.log; } >quantized.log
