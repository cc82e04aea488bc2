#!/usr/bin/env bash
# lintian finds no error in the Debian package; its warnings are shown but
# left to judgement.
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"
require lintian
deb=$(build_deb "$1")

lintian --fail-on error "$deb"
