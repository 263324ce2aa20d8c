#!/usr/bin/env bash
# Runs each command of lexitor-tool on the fixtures and checks exit codes and
# output. Usage: check_tool.sh TOOL SOURCE_DIR
set -uo pipefail
tool="$1"
src="$2"
data="$src/tests/data/exchange"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# No settings of the user's: the default category list.
export HOME="$work/home" LC_ALL=C.UTF-8 LANG=C.UTF-8
unset XDG_DATA_HOME
mkdir -p "$HOME"
cd "$work"
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
# expect CODE PATTERN command...: the exit code, and a pattern the output
# (standard output and error together) must hold.
expect() {
  local code="$1" pattern="$2"
  shift 2
  local out rc
  out="$("$@" 2>&1)"
  rc=$?
  [ "$rc" -eq "$code" ] || fail "$* ended with $rc, not $code:"$'\n'"$out"
  printf '%s\n' "$out" | grep -q -- "$pattern" || fail "$* did not print '$pattern':"$'\n'"$out"
}

expect 0 "check FILE" "$tool" --help
for option in --to --into --lesson --category --duplicates --separator --encoding --plain \
              --hide --foreign-id --russian-id --force --json --settings --version; do
  "$tool" --help | grep -q -- "$option" || fail "--help does not document $option"
done
expect 2 "Unknown command" "$tool" frobnicate
expect 0 "cards: 32" "$tool" check "$src/examples/english_basics.xml"
expect 1 "<extra>" "$tool" check "$data/one_skipped.xml"
expect 2 "does not exist\|не существует\|Не может быть открыт" "$tool" check "$work/missing.xml"
expect 2 "Не является файлом словаря" "$tool" check "$data/two_words.tsv"

expect 0 "Wrote 52 cards" "$tool" export "$src/examples/english_basics.xml" \
  "$src/examples/english_verbs_phrases.xml" --to all.tsv
head -c 3 all.tsv | od -An -tx1 | grep -q "ef bb bf" || fail "the TSV has no UTF-8 mark"
expect 2 "--force" "$tool" export "$src/examples/english_basics.xml" --to all.tsv
expect 0 "Wrote 32 cards" "$tool" export "$src/examples/english_basics.xml" --to list.csv \
  --encoding cp1251 --plain
head -n 1 list.csv | iconv -f WINDOWS-1251 -t UTF-8 | grep -q "Иностранное слово;" ||
  fail "the CSV is not semicolon-separated Windows-1251"
expect 0 "Wrote" "$tool" export "$src/examples/english_basics.xml" --to list.kvtml
expect 0 "Wrote" "$tool" export "$src/examples/english_basics.xml" --to sheet.html --hide russian
grep -q "<h2>" sheet.html || fail "the printable list has no lesson headings"
expect 2 "tsv" "$tool" export "$src/examples/english_basics.xml" --to list.doc

# The exact columns bring every card back: the second export is the first.
expect 0 "Добавлено 52 карточки" "$tool" import all.tsv --into back.xml
expect 0 "Wrote 52" "$tool" export back.xml --to back.tsv
cmp -s <(tail -n +2 all.tsv | sort) <(tail -n +2 back.tsv | sort) || fail "the round trip changed cards"
expect 2 "--force" "$tool" import all.tsv --into back.xml
expect 0 "пропущено повторов: 52" "$tool" import all.tsv --into back.xml --force
expect 0 "Добавлено 32 карточки" "$tool" import list.kvtml --into k.xml
expect 0 "Добавлено 4 карточки" "$tool" import "$data/parley_sample.kvtml" --into p.xml \
  --lesson "Прочее"
expect 0 "Добавлено 2 карточки" "$tool" import "$data/two_words.tsv" --into t.xml
expect 0 "Animals: 2" "$tool" stats t.xml
expect 1 "Нет такой" "$tool" import "$data/two_words.tsv" --into u.xml --category "Нет такой"

expect 0 "Cards: 52" "$tool" stats "$src/examples/english_basics.xml" \
  "$src/examples/english_verbs_phrases.xml"
expect 0 '"cards": 2' "$tool" stats t.xml --json
expect 1 '"archived": 1' "$tool" stats "$data/one_skipped.xml" --json
exit $failed
