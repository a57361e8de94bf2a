#!/bin/sh
# A sendmail stand-in for trying Korvani on one machine: reads one message on
# standard input and delivers it into the Inbox of the Maildir given as first
# argument (written in tmp/, then moved to new/, as mail delivery agents do).
# Further arguments (such as -t) are ignored. Usage: deliver_to_maildir.sh MAILDIR
set -eu
maildir=$1
name="$(date +%s).$$.$(hostname 2>/dev/null || echo localhost)"
cat > "$maildir/tmp/$name"
mv "$maildir/tmp/$name" "$maildir/new/$name"
