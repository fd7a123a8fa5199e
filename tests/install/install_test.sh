#!/usr/bin/env bash
# The installed program: `cmake --install` into a scratch DESTDIR, then the installed grelt02-cli
# on a fresh XDG_DATA_HOME makes the user's copy of the program folder, works on it (a virtual
# printer attaches and an operation runs), and a second start keeps what the user changed there.
set -euo pipefail
# (No `| grep -q`: it stops reading at the first match and fails the pipe with SIGPIPE.)
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
installed="$scratch/root/usr/lib/grelt02"
test -f "$installed/grelt02.installed"
test -x "$installed/grelt02" && test -x "$installed/vprinterd"
# The desktop's menu entry, the icon at the theme's sizes, the man pages.
share="$scratch/root/usr/share"
desktop-file-validate --no-hints "$share/applications/grelt02.desktop"
for size in 16 22 24 32 48 64 128 256; do
  test -s "$share/icons/hicolor/${size}x$size/apps/grelt02.png"
done
test -s "$share/icons/hicolor/scalable/apps/grelt02.svg"
for program in grelt02 grelt02-cli; do
  zcat "$share/man/man1/$program.1.gz" | grep "^\.TH ${program^^} \"1\"" >/dev/null
done
zcat "$share/man/man1/grelt02-cli.1.gz" | grep "XDG_DATA_HOME" >/dev/null
# Each command with its own options, down to the commands of commands.
manual=$(zcat "$share/man/man1/grelt02-cli.1.gz")
for text in '^\.SS "vprinter attach"' '--new-board' '^\.SS "menu tree"' '^\.SS "record"' '--csv'; do
  grep -e "$text" <<<"$manual" >/dev/null || { echo "the man page lacks $text" >&2; exit 1; }
done

listing() { (cd "$installed" && find . -type f -exec md5sum {} + | sort); }
listing >"$scratch/installed-before"
cli="$scratch/root/usr/bin/grelt02-cli"
test -L "$cli"
export XDG_DATA_HOME="$scratch/data" HOME="$scratch/home"
copy="$XDG_DATA_HOME/grelt02"

"$cli" settings | grep '"pnInterface"' >/dev/null
test -f "$copy/GRELT02.INI" && test -f "$copy/Service/ext_funcdata.ini" && test -f "$copy/.shipped"
test -L "$copy/grelt02-nvram-info"
test ! -e "$copy/grelt02.installed"
"$cli" vprinter attach --model LW --name installed >/dev/null
test -d "$copy/VirtualPrinters"
"$cli" run 310230 | grep '"succeeded": true' >/dev/null

# The user changes a shipped file; the next start keeps it.
echo "; the technician's own line" >>"$copy/GRELT02.INI"
"$cli" settings >/dev/null
grep -q "the technician's own line" "$copy/GRELT02.INI"
# --program-folder still wins: that folder is worked on as it is, the user's copy is not touched.
cp -r "$installed" "$scratch/own"
"$cli" --program-folder "$scratch/own" vprinter attach --model MW --name own >/dev/null
test -d "$scratch/own/VirtualPrinters/own" && test ! -e "$copy/VirtualPrinters/own"

# Nothing was written into the installed folder.
listing | diff "$scratch/installed-before" -
echo "installed: the user's copy made, worked on and kept"
