#!/bin/sh
# Writes a help2man include file for a program with subcommands: a COMMANDS section with the
# help of every command, subcommands of subcommands included, as the program itself prints it.
# Usage: man-commands.sh PROGRAM NAME OUTPUT
set -eu
program=$1
name=$2
output=$3

# roff takes a backslash as an escape and a line starting with '.' or "'" as a request.
escape() { sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/" -e "s|$program|$name|g"; }

walk() {
  help=$("$program" "$@" --help)
  if [ $# -gt 0 ]; then
    printf '.SS "%s"\n.nf\n' "$*"
    printf '%s\n' "$help" | escape
    printf '.fi\n'
  fi
  subcommands=$(printf '%s\n' "$help" |
    awk '/^Subcommands:/ { inside = 1; next } inside && /^  [a-z]/ { print $1 } /^$/ { inside = 0 }')
  for subcommand in $subcommands; do walk "$@" "$subcommand"; done
}

{
  printf '[COMMANDS]\n'
  walk
} > "$output.tmp"
mv "$output.tmp" "$output"
