#!/bin/sh
# libinputhook.so exports its interface and nothing else, with C names.
set -eu
lib=$1
actual=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TW]$/ {print $3}' | sort | tr '\n' ' ')
expected="InputHookActivateScreenSaver RegisterHookSendWindow StartCBT StartKeyOrMouse StopCBT StopKeyOrMouse "
if [ "$actual" != "$expected" ]; then
  echo "exported: $actual"
  echo "expected: $expected"
  exit 1
fi
all=$(nm -D --defined-only "$lib" | wc -l)
if [ "$all" -ne 6 ]; then
  echo "$all defined dynamic symbols, expected 6:"
  nm -D --defined-only "$lib"
  exit 1
fi
echo "exports: $actual"
