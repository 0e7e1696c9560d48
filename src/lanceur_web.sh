#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The engine in WebAssembly as a console program: node runs the worker's files on standard
# input and output, line for line what the native engine prints.
ici=$(dirname "$(readlink -f "$0")")
exec node "$ici/site/quorvik-worker.js" "$@"
