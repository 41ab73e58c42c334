#!/bin/sh
# own_namespace.sh <test program> [arguments]: runs the test program in a process-ID namespace of its
# own, with /proc showing only that namespace, so that the tool programs the viewer finds by name are
# the test's own. A shell is the namespace's first process, not the test program: it reaps programs
# left orphaned (as D-Bus's autolaunch leaves its daemon), and no program of the test takes its parent
# for gone. The namespace ends, with everything in it, when this script is killed.
exec unshare --pid --fork --mount-proc --kill-child sh -c '"$0" "$@"; exit $?' "$@"
