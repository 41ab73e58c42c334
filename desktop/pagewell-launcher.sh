#!/bin/sh
# Starts the installed Pagewell from its program folder, <prefix>/lib/pagewell.
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/pagewell/pagewell" "$@"
