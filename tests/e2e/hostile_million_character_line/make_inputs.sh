# A data row of a million characters.
{ printf 'VistaGrid timeline paso t = 0.0\nh\nh\n1'; head -c 1000000 /dev/zero | tr '\0' 7; printf '\n\n'; } >original.log
