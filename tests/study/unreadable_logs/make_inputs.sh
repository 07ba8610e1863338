# git keeps no empty folders: make the one given as a log.
mkdir -p folder
