#!/bin/sh
# gbk_escaped_copy.sh IN OUT
#
# Copies a UTF-8 source file with every non-ASCII character written as the
# octal escapes of its GBK bytes. Clang takes no execution character set but
# UTF-8, so this is how its builds get the GBK literals that GCC makes with
# -fexec-charset=GBK. Octal escapes end after three digits, so a digit or
# letter after them stays a character of its own.
set -eu
mkdir -p "$(dirname "$2")"
iconv -f UTF-8 -t GBK "$1" | perl -pe 's/([\x80-\xff])/sprintf("\\%03o", ord($1))/ge' >"$2.part"
mv "$2.part" "$2"
