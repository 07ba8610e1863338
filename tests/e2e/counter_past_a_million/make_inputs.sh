# 1,000,002 identical one-cell blocks: the counter of the last ones prints as
# 1e+06. Blocks labelled 0000000, 0000001, ... so that they pair in order.
blocks=1000002
awk -v n=$blocks 'BEGIN { for (k = 0; k < n; k++) printf "ine a b c d %07d\nh\nh\n1 2.5\n\n", k }' >original.log
cp original.log quantized.log
{
  printf 'Archivo original: original.log quantificado:quantized.log\n'
  cat heading.txt
  awk -v n=$blocks 'BEGIN { for (k = 0; k < n; k++) printf "%g\t\t%07d\t\t0.00000000\t\t0.00000000\t\t0.00000000\t\t0.00000000\n", k, k }'
} >expected.out
