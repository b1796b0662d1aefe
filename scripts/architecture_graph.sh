#!/bin/bash
# Redraws the floors picture of docs/architecture.md from the code: docs/architecture.dot
# (scripts/architecture_graph.py) and docs/architecture.svg (Graphviz, installed when missing).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
python3 "$root/scripts/architecture_graph.py"
if ! command -v dot >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Graphviz is missing: run this script as root once, or apt-get install -y graphviz" >&2
    exit 1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q graphviz
fi
dot -Tsvg "$root/docs/architecture.dot" -o "$root/docs/architecture.svg"
echo "wrote docs/architecture.svg"
