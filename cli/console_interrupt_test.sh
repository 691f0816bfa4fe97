#!/usr/bin/env bash
# Ctrl-C at a Windows console cancels a run of tessary-cli.exe through its console control
# handler, and the output is left as it was, replaced or appended to. wine delivers SIGINT to a
# Windows program as the console's Ctrl-C event.
#   console_interrupt_test.sh WINE TESSARY_CLI_EXE
set -euo pipefail
wine=$1
cli=$(realpath "$2")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
head -c 512 /dev/urandom >in.bin
failed=0
for mode in --replace --append; do
  printf 'keep me\r\n' >out.asm
  # 2 GiB past the end of a short file lists blank tiles for minutes; the size limit bounds
  # what a missed Ctrl-C could write.
  (ulimit -f 2000000; exec "$wine" "$cli" ${mode/--replace/} --end 2147483647 in.bin out.asm \
    2>stderr.txt) &
  pid=$!
  # The handler is in place once the listing grows (the new file, or out.asm when appending).
  for _ in $(seq 400); do
    [[ -n $(find . -name '*.tessary-*' -size +0) || $(stat -c %s out.asm) -gt 9 ]] && break
    sleep 0.05
  done
  kill -INT "$pid"
  status=0
  wait "$pid" || status=$?
  expected='tessary-cli: cancelled; output file "out.asm" is left as it was'
  problems=()
  [[ $status -eq 1 ]] || problems+=("exit status $status, not 1")
  [[ $(cat stderr.txt) == "$expected" ]] || problems+=("message: $(head -c 200 stderr.txt)")
  [[ $(cat out.asm) == $'keep me\r' ]] || problems+=("out.asm changed")
  [[ $(ls -A | tr '\n' ' ') == 'in.bin out.asm stderr.txt ' ]] || problems+=("left: $(ls -A)")
  for p in "${problems[@]}"; do echo "$mode: $p" >&2; failed=1; done
done
exit $failed
