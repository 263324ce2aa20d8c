#!/usr/bin/env bash
# Installs what is missing, builds, prepares the working directory ./run
# (icons, sounds, example dictionaries, first settings) and starts the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# Sound decoding and output for the cards' sound files.
bash "$root/scripts/install-deps.sh" gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
bash "$root/scripts/build.sh" lexitor icons
work="$root/run"
mkdir -p "$work/icons" "$work/sounds" "$work/examples"
cp "$root"/build/icons/*.png "$work/icons/"
cp "$root"/examples/*.xml "$work/examples/" 2>/dev/null || true
cp "$root"/examples/sounds/* "$work/sounds/" 2>/dev/null || true
if [ ! -f "$work/settings.ini" ]; then
  # The open dialog starts in the examples folder; the settings file is Windows-1251.
  # A readable learning font and light panes for the first start; the
  # settings page changes them.
  printf '\n[PATHS]\ndict_dir=%s\n\n[SETTINGS_FONT]\nfont_family=DejaVu Sans\nfont_size=14\nfont_weight=50\nfont_italic=false\nfont_r=0\nfont_g=0\nfont_b=127\nbckg_r=236\nbckg_g=236\nbckg_b=236\n\n[WORDS_CATEGORY]\ncategs=%s\n' "$work/examples" \
    "Ощущения,Торговля,Одежда,Числа,Общение,Еда,Родственники,Учеба,Животные,Растительность,Природа,Работа,Дом,Транспорт,СМИ,Искусство,Человек,Медицина,Досуг,Служебные,Неправильные глаголы,Прочие,Названия,Город,Время,Техника" \
    | iconv -f UTF-8 -t CP1251 > "$work/settings.ini"
fi
cd "$work"
exec "$root/build/lexitor"
