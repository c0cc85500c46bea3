#!/usr/bin/env bash
# Fails when an include between folders of src/ runs back up. The floors, top to bottom:
#   app > bridge > services, window, storage, web > geometry > platform seam (src/platform/*) > model > util
# A folder includes its own floor's folder and any floor below, never a floor above nor a sibling
# on its own floor. The backends (src/platform/fake/, src/platform/linux/) stand on the seam's floor
# and include the seam; only src/app/main.cpp includes a backend, and neither backend the other.
set -euo pipefail
src=${1:-$(dirname "$0")/../src}
cd "$src"

grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*/' --include='*.h' --include='*.cpp' . |
awk '
  function folderOf(path) {
    if (path ~ /^platform\/fake\//) return "platform/fake"
    if (path ~ /^platform\/linux\//) return "platform/linux"
    if (index(path, "/") == 0) return "."
    return substr(path, 1, index(path, "/") - 1)
  }
  BEGIN {
    rank["app"] = 7; rank["bridge"] = 6
    rank["services"] = 5; rank["window"] = 5; rank["storage"] = 5; rank["web"] = 5
    rank["geometry"] = 4
    rank["platform"] = 3; rank["platform/fake"] = 3; rank["platform/linux"] = 3
    rank["model"] = 2; rank["util"] = 1
  }
  {
    split($0, parts, ":")
    file = parts[1]; sub(/^\.\//, "", file)
    target = $0; sub(/^[^"]*"/, "", target); sub(/".*$/, "", target)
    from = folderOf(file); to = folderOf(target)
    if (from == to) next
    checked++
    where = file ":" parts[2]
    if (!(from in rank)) { print "check-layers: " where ": " from " is on no floor"; bad = 1; next }
    if (!(to in rank)) { print "check-layers: " where ": " target " is on no floor"; bad = 1; next }
    if (to == "platform/fake" || to == "platform/linux") {
      if (file != "app/main.cpp") { print "check-layers: " where ": only app/main.cpp includes a backend (" target ")"; bad = 1 }
      next
    }
    if ((from == "platform/fake" || from == "platform/linux") && to == "platform") next
    if (rank[to] >= rank[from]) { print "check-layers: " where ": " from " includes " target ", which is not below it"; bad = 1 }
  }
  END {
    if (checked == 0) { print "check-layers: no include between folders found"; exit 1 }
    if (!bad) print "check-layers: " checked " includes between folders, all running down"
    exit bad
  }'
