#!/usr/bin/env bash
# Fails when a C++ source does not follow the committed .clang-format, listing
# the files and the command that formats them. Checks the files git tracks
# (every .cpp and .h outside the build folders when this is not a git
# checkout). CLANG_FORMAT chooses the program; the settings were made with
# Debian 12's clang-format 14, and other versions may format differently.
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null; then
  echo "check-format: $clang_format not found; install it with: apt-get install clang-format" >&2
  exit 1
fi

files=()
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  while IFS= read -r -d '' file; do files+=("$file"); done < <(git ls-files -z -- '*.cpp' '*.h')
else
  while IFS= read -r -d '' file; do files+=("$file"); done < <(
    find . -path './build*' -prune -o -path './demo-output' -prune -o \
      \( -name '*.cpp' -o -name '*.h' \) -type f -print0 | sort -z)
fi
[ ${#files[@]} -eq 0 ] && exit 0

# One run over all files; each violation is reported as "file:line:col: error: ...".
status=0
report=$("$clang_format" --dry-run --Werror "${files[@]}" 2>&1) || status=$?
[ "$status" -eq 0 ] && exit 0
mapfile -t unformatted < <(
  printf '%s\n' "$report" | sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ ${#unformatted[@]} -eq 0 ]; then
  # clang-format failed for another reason (a settings key this version lacks, say).
  printf '%s\n' "$report" >&2
  echo "check-format: $clang_format failed (status $status)" >&2
  exit 1
fi
echo "These files do not follow .clang-format:" >&2
printf '  %s\n' "${unformatted[@]}" >&2
echo "Format them with:" >&2
echo "  $clang_format -i ${unformatted[*]}" >&2
exit 1
