#!/usr/bin/env bash
# The public interface of the armhf library (RelWithDebInfo) against the
# committed baseline abi/paketlog.abi, with libabigail's abidiff.
set -euo pipefail
bash scripts/update-abi.sh --check
