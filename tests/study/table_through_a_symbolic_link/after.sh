# The links stay; what they point to is replaced, or made.
[ -L table.tsv ] && [ "$(readlink table.tsv)" = kept/table.tsv ] || { echo "the table's link was replaced"; exit 1; }
[ -L study.json ] && [ "$(readlink study.json)" = kept/study.json ] || { echo "the JSON's link was replaced"; exit 1; }
[ "$(head -c 4 kept/table.tsv)" = run$'\t' ] || { echo "the linked table was not replaced"; exit 1; }
[ "$(head -c 1 kept/study.json)" = '{' ] || { echo "the JSON summary was not made where its link points"; exit 1; }
[ "$(ls -a . kept | grep -c partial)" = 0 ] || { echo "a partial file was left"; exit 1; }
