#!/usr/bin/env bash
# Checks the manual pages and the bash completion against what the console
# is made of, so neither can drift from it.
#
#   check_docs.sh CHECK DOC_TABLES VEXIL SOURCE_DIR
#
# CHECK is one of:
#   render       every page renders without a groff warning
#   statements   every statement, declaration, family name and error code of
#                the script engine's tables has its entry in vexil-script(5)
#   options      every option of the option table has its entry in vexil(8)
#                and is offered by the completion
#   environment  every VEXIL_ variable the console reads is in vexil(8)
#   bench        every word of the bench file language is in vexil-bench(5)
#   completion   the completion file loads and completes options, nodes,
#                script names and files
#   example      the example script of vexil-script(5) runs on virtual drives
#                and gives the verdicts its head promises
set -uo pipefail

check=$1 tables=$2 vexil=$(realpath -m "$3") top=$4
man=$top/man
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The page's text with the roff escapes that may sit inside a name undone.
plain() {
  sed -e 's/\\f[BIRP]//g; s/\\f(..//g; s/\\&//g; s/\\-/-/g; s/\\(dq/"/g; s/\\(aq/'"'"'/g; s/\\e/\\/g' "$1"
}

# The first word of every entry heading (the .B, .BI, .BR or .IB line that
# opens a .TP or .TQ entry), cut before a parenthesis: the names a page gives
# an entry of their own.
headings() {
  plain "$1" | awk '/^\.T[PQ]( |$)/ { tag = 1; next }
                    tag && /^\.(B|BI|BR|IB) / { sub(/^\.[A-Z]+ /, ""); gsub(/"/, ""); w = $1; sub(/\(.*/, "", w); print w }
                    { tag = 0 }' | sort -u
}

need_file() {
  [ -f "$1" ] || { echo "FAIL: $1 is missing (moved? then update $0)"; exit 1; }
}

check_render() {
  local page out
  for page in "$man"/*.[1-9]; do
    for device in ps utf8; do
      out=$(groff -ww -z -man -T"$device" "$page" 2>&1)
      [ -z "$out" ] || fail "groff -T$device warns on ${page##*/}: $out"
    done
    if command -v man >/dev/null; then
      out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
      [ -z "$out" ] || fail "man -l warns on ${page##*/}: $out"
    fi
  done
}

check_statements() {
  local page=$man/vexil-script.5 list documented text kind name
  need_file "$page"
  list=$("$tables") || { fail "$tables did not run"; return; }
  documented=$(headings "$page")
  text=$(plain "$page")
  while read -r kind name; do
    case $kind in
      statement | declaration)
        if [ "$name" = "*" ]; then
          grep -q '^\*' <<<"$documented" || fail "vexil-script.5 has no entry for the trigger lines (*SK ...)"
        elif ! grep -qxF -- "$name" <<<"$documented"; then
          fail "vexil-script.5 has no entry (a .B/.BI/.BR heading) for the $kind $name"
        fi
        ;;
      family)
        grep -qw -- "$name" <<<"$text" || fail "vexil-script.5 does not name the family $name"
        ;;
    esac
  done <<<"$list"

  # Error codes: the list in the page is ".IP <code> 6" and the message on the
  # next line, in the order of the codes, exactly as the table has them.
  local want have
  want=$(sed -n 's/^error \(-\{0,1\}[0-9]*\) \(.*\)$/\1\t\2/p' <<<"$list" | sed 's/[[:space:]]*$//' | sort)
  have=$(plain "$page" | awk '/^\.IP -?[0-9]+ 6$/ { code = $2; getline; sub(/[ \t]+$/, ""); print code "\t" $0 }' | sort)
  [ -n "$want" ] || fail "$tables printed no error codes"
  local missing stale
  missing=$(comm -23 <(echo "$want") <(echo "$have"))
  stale=$(comm -13 <(echo "$want") <(echo "$have"))
  if [ -n "$missing" ]; then
    fail "vexil-script.5 lacks these error codes; add them to its list under ERRORS:"
    sed 's/^-/\\-/; s/^\([^\t]*\)\t/.IP \1 6\n/' <<<"$missing"
  fi
  if [ -n "$stale" ]; then
    fail "vexil-script.5 lists error codes or messages the engine does not have:"
    echo "$stale"
  fi
}

# The options of the option table, each spelling of the usage and the version
# included.
option_names() {
  local source=$top/src/frontend/options.cpp
  need_file "$source"
  sed -n 's/.*{"\(--\{0,1\}[a-z]*\)", Takes::.*/\1/p' "$source" | sort -u
}

check_options() {
  local page=$man/vexil.8 options documented offered option
  need_file "$page"
  options=$(option_names)
  [ "$(wc -l <<<"$options")" -ge 10 ] || fail "found only these options in options.cpp: $options"
  documented=$(headings "$page")
  offered=$(bash -c 'source "$1"; COMP_WORDS=(vexil -); COMP_CWORD=1; _vexil; printf "%s\n" "${COMPREPLY[@]}"' _ "$top/completions/vexil")
  for option in $options; do
    grep -qxF -- "$option" <<<"$documented" || fail "vexil.8 has no entry for the option $option"
    grep -qxF -- "$option" <<<"$offered" || fail "the completion does not offer the option $option"
  done
}

check_environment() {
  local page=$man/vexil.8 variables documented variable
  need_file "$page"
  variables=$(grep -rhoE '"VEXIL_[A-Z_]+"' "$top/src" | tr -d '"' | sort -u)
  [ -n "$variables" ] || fail "found no VEXIL_ variable in the sources"
  documented=$(headings "$page")
  for variable in $variables; do
    grep -qxF -- "$variable" <<<"$documented" || fail "vexil.8 has no entry for the variable $variable"
  done
}

check_bench() {
  local page=$man/vexil-bench.5 source=$top/src/sim/bench_file.cpp words text word
  need_file "$page"
  need_file "$source"
  # Statements (w[0] == "..."), option keys ({"key", ...}) and the values the
  # parser compares words with.
  words=$(grep -oE '(== "[a-z]+"|^ *\{"[a-z]+",)' "$source" | grep -oE '[a-z]+' | sort -u)
  [ "$(wc -l <<<"$words")" -ge 30 ] || fail "found only these bench words in bench_file.cpp: $words"
  text=$(plain "$page")
  for word in $words; do
    grep -qw -- "$word" <<<"$text" || fail "vexil-bench.5 does not mention the bench word $word"
  done
}

# Runs the completion for a command line in a folder; prints the replies.
complete_in() { # folder, words...
  local folder=$1
  shift
  (cd "$folder" && bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _vexil; printf "%s\n" "${COMPREPLY[@]}"' _ "$top/completions/vexil" "$@")
}

check_completion() {
  local file=$top/completions/vexil rule work replies
  need_file "$file"
  rule=$(bash -c 'source "$1" && complete -p vexil' _ "$file" 2>&1)
  [ "$rule" = "complete -F _vexil vexil" ] || fail "complete -p vexil printed: $rule"

  work=$(mktemp -d)
  mkdir -p "$work/Scripts/Benches"
  touch "$work/Scripts/Check.scs" "$work/Scripts/Locked.XCS" "$work/Scripts/notes.txt" \
        "$work/Scripts/With Blank.scs" "$work/fw image.bin"

  replies=$(complete_in "$work" vexil -s "")
  for name in Check.scs Locked.XCS "With Blank.scs"; do
    grep -qxF "$name" <<<"$replies" || fail "-s does not offer the script $name: $replies"
  done
  grep -q notes.txt <<<"$replies" && fail "-s offers a file that is no script: $replies"
  replies=$(complete_in "$work" vexil -y -s Ch)
  [ "$replies" = "Check.scs" ] || fail "-s Ch gives: $replies"
  replies=$(complete_in "$work" vexil -s Scripts/L)
  [ "$replies" = "Scripts/Locked.XCS" ] || fail "-s Scripts/L gives: $replies"

  for option in -u -t -p; do
    replies=$(complete_in "$work" vexil -f /dev/sg0 "$option" fw)
    [ "$replies" = "fw image.bin" ] || fail "$option fw gives: $replies"
  done
  replies=$(complete_in "$work" vexil -p -v)
  [ "$(sort <<<"$replies")" = "$(printf -- '-v\n-version\n-vv' | sort)" ] || fail "-p -v gives: $replies"

  replies=$(complete_in "$work" vexil -f "")
  while read -r reply; do
    [ -z "$reply" ] || [[ $reply == /dev/sg[0-9]* ]] || fail "-f offers $reply"
  done <<<"$replies"
  rm -rf "$work"
}

# The first .EX block of the EXAMPLES section of vexil-script(5), as text.
example_script() {
  awk '/^\.SH EXAMPLES/ { on = 1 } on && /^\.EE/ { exit } on && copy { print } on && /^\.EX/ { copy = 1 }' \
    "$man/vexil-script.5" | plain /dev/stdin
}

check_example() {
  local work out status
  need_file "$vexil"
  work=$(mktemp -d)
  mkdir -p "$work/Scripts" "$work/Logs"
  example_script >"$work/Scripts/Ready.scs"
  grep -q 'EXIT 0' "$work/Scripts/Ready.scs" || fail "found no example script in vexil-script.5"

  # The tape drive of the default bench is ready: a pass.
  out=$(cd "$work" && VEXIL_SIM=1 "$vexil" -f /dev/sg0 -s Ready.scs -y 2>&1)
  status=$?
  [ $status -eq 0 ] || fail "the example exits $status on /dev/sg0: $out"
  grep -q "The drive is ready" <<<"$out" || fail "the example does not pass on /dev/sg0: $out"
  grep -q "FAIL status" <<<"$out" && fail "the example fails on /dev/sg0: $out"

  # The DAT drive of the default bench holds no cartridge: exit status 3.
  out=$(cd "$work" && VEXIL_SIM=1 "$vexil" -f /dev/sg2 -s Ready.scs -y 2>&1)
  grep -q "No cartridge is loaded" <<<"$out" || fail "the example misses the empty drive on /dev/sg2: $out"
  grep -q "Script completed with a FAIL status!" <<<"$out" || fail "the example passes an empty drive: $out"
  rm -rf "$work"
}

case $check in
  render | statements | options | environment | bench | completion | example) "check_$check" ;;
  *) echo "unknown check: $check"; exit 2 ;;
esac
[ $failures -eq 0 ] && echo "docs $check: passed"
exit $((failures > 0))
