#!/bin/sh
# The test program for Windows under Wine: every case of the headless suite
# that Windows can run, and Windows' own (windows_test.cpp).
#   suite.sh WINDOWS_BUILD PREFIX
set -u
. "$(dirname "$0")/wine.sh"
wine_start "$1" "$2"
tests=$1/tests/vantaro_tests.exe
[ -f "$tests" ] || skip "no test program in $1/tests (./dev test builds the vantaro_tests target there)"
cd "$tmp"
win "$tests" --gtest_color=no
