#!/bin/bash
# Exit 0 when this machine can execute 32-bit x86 programs (and so run 32-bit Wine).
/lib/ld-linux.so.2 --version >/dev/null 2>&1
