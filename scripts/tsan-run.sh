#!/usr/bin/env bash
# Runs a command so that ThreadSanitizer programs started by it can map their shadow memory.
#
# TSan needs its fixed memory layout; on kernels that randomise mmap with many bits
# (vm.mmap_rnd_bits above 28, as on recent kernels) a TSan program dies at start with
# "unexpected memory mapping". A small probe program tells whether that happens here. If it
# does, the command runs under `setarch -R` (no address randomisation, inherited by every
# child), or, where setarch cannot help, vm.mmap_rnd_bits is lowered to 28 when writable.
set -euo pipefail

if (($# == 0)); then
  echo "usage: $0 command [argument...]" >&2
  exit 2
fi

probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
cat >"$probe_dir/probe.cpp" <<'CPP'
#include <thread>
int shared;
int main() {
  std::thread worker([] { shared = 1; });
  worker.join();
  return shared == 1 ? 0 : 1;
}
CPP
if ! "${CXX:-c++}" -std=c++20 -fsanitize=thread -pthread "$probe_dir/probe.cpp" \
     -o "$probe_dir/probe" 2>"$probe_dir/compile.log"; then
  echo "tsan-run: cannot build a ThreadSanitizer probe:" >&2
  cat "$probe_dir/compile.log" >&2
  exit 1
fi

# The failure depends on where the randomised mappings land, so one lucky start proves
# nothing: the probe has to start several times in a row.
probe_runs() {
  local i
  for i in 1 2 3 4 5; do
    "$@" "$probe_dir/probe" >/dev/null 2>&1 || return 1
  done
}

if probe_runs; then
  wrap=()
elif probe_runs setarch "$(uname -m)" -R; then
  echo "tsan-run: address randomisation breaks TSan here; running under setarch -R"
  wrap=(setarch "$(uname -m)" -R)
elif [[ -w /proc/sys/vm/mmap_rnd_bits ]] && echo 28 >/proc/sys/vm/mmap_rnd_bits && probe_runs; then
  echo "tsan-run: lowered vm.mmap_rnd_bits to 28 for TSan"
  wrap=()
else
  echo "tsan-run: ThreadSanitizer programs cannot start on this machine:" >&2
  "$probe_dir/probe" >&2 || true
  exit 1
fi

rm -rf "$probe_dir"
trap - EXIT
exec "${wrap[@]}" "$@"
