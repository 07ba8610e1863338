# The quantized log: its first block, then a line of 1048576 characters where
# its next time line is looked for.
{
  printf 'VistaGrid timeline paso t = 1.0\nh\nh\n1 1 1\n\n'
  head -c 1048576 /dev/zero | tr '\0' 'x'
  printf '\nVistaGrid timeline paso t = 5.0\nh\nh\n1 1 1\n\n'
} >quantized.log
