# The table of the blocks compared before the cut is written.
[ "$(wc -l <table.tsv)" -gt 1 ] || { echo "no table"; exit 1; }
