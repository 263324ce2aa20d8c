#!/usr/bin/env bash
# Installs what is missing, builds, prepares the working directory ./run
# (icons, sounds, example dictionaries, first settings) and starts the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
work="$root/run"
mkdir -p "$work/icons" "$work/sounds" "$work/examples"
cp "$root"/build/icons/*.png "$work/icons/"
cp "$root"/examples/*.xml "$work/examples/" 2>/dev/null || true
cp "$root"/examples/sounds/* "$work/sounds/" 2>/dev/null || true
if [ ! -f "$work/settings.ini" ]; then
  # The open dialog starts in the examples folder; the settings file is Windows-1251.
  printf '\n[PATHS]\ndict_dir=%s\n\n[WORDS_CATEGORY]\ncategs=%s\n' "$work/examples" \
    "Ощущения,Торговля,Одежда,Числа,Общение,Еда,Родственники,Учеба,Животные,Растительность,Природа,Работа,Дом,Транспорт,СМИ,Искусство,Человек,Медицина,Досуг,Служебные,Неправильные глаголы,Прочие,Названия,Город,Время,Техника" \
    | iconv -f UTF-8 -t CP1251 > "$work/settings.ini"
fi
cd "$work"
exec "$root/build/lexitor"
