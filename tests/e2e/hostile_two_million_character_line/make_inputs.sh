# A data row of two million characters, twice what a line may hold.
{ printf 'VistaGrid timeline paso t = 0.0\nh\nh\n1'; dd if=/dev/zero bs=1000000 count=2 2>/dev/null | tr '\0' 7; printf '\n\n'; } >original.log
