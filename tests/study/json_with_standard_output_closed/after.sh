[ "$(cat study.json)" = '{"earlier": true}' ] || { echo "the earlier JSON summary was changed"; exit 1; }
[ "$(ls -a | grep -c partial)" = 0 ] || { echo "a partial file was left"; exit 1; }
