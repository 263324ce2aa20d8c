#!/usr/bin/env bash
# The core never names a header of the ui or app layer, nor a widget module:
# fails with the offending lines, before anything is linked.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bad=$(grep -rnE '#include +[<"](ui/|app/|QtWidgets|QtMultimedia|QtTextToSpeech|QtCharts|Q(Widget|Dialog|MessageBox|Application|MainWindow|AbstractButton|PushButton|Label|LineEdit|TextEdit|Menu|Action|Style|ProgressDialog|FileDialog)\b)' \
      "$root/src/core" || true)
if [ -n "$bad" ]; then
  echo "The core includes a header of the ui or app layer or of Qt Widgets:"
  echo "$bad"
  exit 1
fi
echo "core: no ui, app or widget include"
