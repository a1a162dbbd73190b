#!/usr/bin/env bash
# Starts and stops the real servers the integration suites talk to, on 127.0.0.1 only:
#   test_servers.sh start <kind> <state-dir> <port>
#   test_servers.sh stop  <kind> <state-dir>
# kinds: imap (dovecot), smtp (aiosmtpd), caldav (radicale), pg (PostgreSQL 15),
#        hfaxd (HylaFAX's SNPP server), imaps (dovecot over TLS), smtps (aiosmtpd over
#        TLS), smtpstls (aiosmtpd that requires STARTTLS).
# ctest starts each kind once per run (a fixture) and stops it at the end; the suites
# find the ports and folders in their environment (CORVANE_<KIND>_PORT,
# CORVANE_TEST_SERVERS). Each server's state lives in <state-dir>/<kind>; its PID in
# <state-dir>/<kind>.pid.
set -uo pipefail

action=${1:?start or stop}
kind=${2:?server kind}
SVC=${3:?state folder}
mkdir -p "$SVC"
pidfile=$SVC/$kind.pid

wait_until() { local n=0; until "$@" >/dev/null 2>&1; do n=$((n+1)); [ $n -gt 300 ] && return 1; sleep 0.05; done; }
stop_pid() {
  local p=$1 n=0
  kill "$p" 2>/dev/null || return 0
  while kill -0 "$p" 2>/dev/null; do n=$((n+1)); [ $n -gt 200 ] && kill -9 "$p"; sleep 0.05; done
}

# IMAP: dovecot with a passwd file that the suites add users to (it is read again when
# it changes); each user's Maildir is $SVC/imap/mail/<user>, owned by nobody. The user
# testuser/testpass exists from the start.
start_imap() {
  local d=$SVC/imap
  mkdir -p "$d/run" "$d/state" "$d/mail"
  [ -f "$d/users" ] || echo 'testuser:{PLAIN}testpass' > "$d/users"
  chmod 644 "$d/users"
  cat > "$d/dovecot.conf" <<EOC
base_dir = $d/run
state_dir = $d/state
log_path = $d/dovecot.log
protocols = imap
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain login
mail_location = maildir:$d/mail/%u
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $d/users
}
userdb {
  driver = static
  args = uid=nobody gid=nogroup home=$d/mail/%u
}
service imap-login {
  inet_listener imap {
    address = 127.0.0.1
    port = $1
  }
  inet_listener imaps {
    port = 0
  }
}
EOC
  chown -R nobody:nogroup "$d/mail"
  dovecot -F -c "$d/dovecot.conf" >"$d/stdout" 2>&1 </dev/null &
  local pid=$!
  wait_until curl -sf --max-time 1 -u testuser:testpass "imap://127.0.0.1:$1/" -X NOOP || return 1
  echo $pid
}

# SMTP: aiosmtpd writes each message into $SVC/smtp/Maildir/new with X-MailFrom and
# X-RcptTo headers.
start_smtp() {
  mkdir -p "$SVC/smtp"
  /usr/bin/python3 -m aiosmtpd -n -l "127.0.0.1:$1" -c aiosmtpd.handlers.Mailbox "$SVC/smtp/Maildir" \
    >"$SVC/smtp/log" 2>&1 </dev/null &
  local pid=$!
  wait_until curl -sf --max-time 1 "smtp://127.0.0.1:$1" -X NOOP || return 1
  echo $pid
}

# CalDAV: radicale with the user testuser/testpass; collections under $SVC/caldav.
start_caldav() {
  local d=$SVC/caldav
  mkdir -p "$d"
  printf '[server]\nhosts = 127.0.0.1:%s\n[auth]\ntype = htpasswd\nhtpasswd_filename = %s/users\nhtpasswd_encryption = md5\n[rights]\ntype = owner_only\n[storage]\nfilesystem_folder = %s/collections\n' \
    "$1" "$d" "$d" > "$d/config"
  htpasswd -cbm "$d/users" testuser testpass 2>/dev/null
  radicale --config "$d/config" >"$d/log" 2>&1 </dev/null &
  local pid=$!
  wait_until curl -sf --max-time 1 "http://127.0.0.1:$1/.web/" -o /dev/null || return 1
  echo $pid
}

# PostgreSQL 15: role pager/pagerpw owning the database pagerdb.
start_pg() {
  local d=$SVC/pg B=/usr/lib/postgresql/15/bin
  mkdir -p "$d"
  chown postgres:postgres "$d"
  if [ ! -f "$d/data/PG_VERSION" ]; then
    setpriv --reuid=postgres --regid=postgres --init-groups "$B/initdb" -D "$d/data" -U postgres \
      --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$d/initdb.log" 2>&1 || return 1
  fi
  setpriv --reuid=postgres --regid=postgres --init-groups "$B/postgres" -D "$d/data" -k "$d" -p "$1" \
    -c listen_addresses=127.0.0.1 >"$d/log" 2>&1 </dev/null &
  local pid=$!
  wait_until "$B/pg_isready" -q -h 127.0.0.1 -p "$1" || return 1
  setpriv --reuid=postgres --regid=postgres --init-groups psql -q -h "$d" -p "$1" -U postgres \
    -c "CREATE ROLE pager LOGIN PASSWORD 'pagerpw'" -c "CREATE DATABASE pagerdb OWNER pager" >/dev/null 2>&1
  echo $pid
}

# SNPP with a login: HylaFAX's hfaxd behind socat, its spool and configuration under
# $SVC/hfaxd. Pager ids of digits only are accepted, anything else is refused. The user
# corvane must give the password corvane-pw; any other user logs in without one.
start_hfaxd() {
  local d=$SVC/hfaxd S=$SVC/hfaxd/spool
  mkdir -p "$S"
  ( cd "$S" || exit 1
    for x in archive client config dev docq doneq info log pollq recvq sendq status tmp; do mkdir -p $x; done
    [ -d etc ] || cp -a /etc/hylafax etc
    [ -d bin ] || cp -a /var/spool/hylafax/bin bin
    [ -p FIFO ] || mkfifo -m 600 FIFO
    [ -c dev/null ] || mknod -m 666 dev/null c 1 3 ) || return 1
  chown -R uucp:uucp "$S"; chown -R root:root "$S/etc" "$S/bin"; chmod 1777 "$S/tmp"
  { printf '%s\n' "^corvane@127\\.0\\.0\\.1\$:60002:$(openssl passwd -1 corvane-pw)"
    printf '127.0.0.1\nlocalhost\n'; } > "$S/etc/hosts.hfaxd"
  chown uucp:uucp "$S/etc/hosts.hfaxd"; chmod 600 "$S/etc/hosts.hfaxd"
  printf '^[0-9]+$ 5551212\n.* reject\n' > "$S/etc/pagermap"
  rm -rf "$d/etc-hylafax"; cp -a /etc/hylafax "$d/etc-hylafax"
  printf 'LogFacility: daemon\nServerTracing: 0xFFF\nPagerIDMapFile: etc/pagermap\nUserAccessFile: etc/hosts.hfaxd\nKillTimeMap: "1 1 1 1 1 1 1 1 1 1 1 1"\n' \
    > "$d/etc-hylafax/hfaxd.conf"
  rm -f "$S/dev/log"
  socat -u "UNIX-RECV:$S/dev/log,mode=666" "OPEN:$d/syslog.txt,creat,append" >/dev/null 2>&1 </dev/null &
  echo $! > "$d/syslog.pid"
  unshare -m --propagation private sh -c "mount --bind $d/etc-hylafax /etc/hylafax; [ -e /dev/log ] && mount --bind $S/dev/log /dev/log;
    /usr/sbin/faxq -D -q $S > $d/faxq.out 2>&1 & echo \$! > $d/faxq.pid;
    exec socat TCP-LISTEN:$1,bind=127.0.0.1,reuseaddr,fork EXEC:'/usr/sbin/hfaxd -q $S -S',nofork" \
    >"$d/socat.log" 2>&1 </dev/null &
  local pid=$!
  wait_until bash -c "exec 3<>/dev/tcp/127.0.0.1/$1" || return 1
  echo $pid
}

# A certificate authority of the tests and a certificate it signed for 127.0.0.1 and
# localhost, in folder $1: ca.pem, server.pem, server.key. Clients trust the CA through
# CORVANE_CA_FILE=$1/ca.pem.
make_test_ca() {
  local d=$1
  [ -f "$d/server.pem" ] && return 0
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Corvane Test CA" \
    -keyout "$d/ca.key" -out "$d/ca.pem" >/dev/null 2>&1 || return 1
  openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$d/server.key" -out "$d/server.csr" \
    >/dev/null 2>&1 || return 1
  printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\n' > "$d/san.ext"
  openssl x509 -req -in "$d/server.csr" -CA "$d/ca.pem" -CAkey "$d/ca.key" -CAcreateserial -days 3650 \
    -extfile "$d/san.ext" -out "$d/server.pem" >/dev/null 2>&1 || return 1
  chmod 644 "$d/server.key"
}

# IMAP over TLS: a dovecot of its own that serves the same users and Maildirs as the
# imap kind (its passwd file and mail folders), on an imaps port only.
start_imaps() {
  local d=$SVC/imaps m=$SVC/imap
  mkdir -p "$d/run" "$d/state" "$m/mail"
  [ -f "$m/users" ] || echo 'testuser:{PLAIN}testpass' > "$m/users"
  make_test_ca "$d" || return 1
  cat > "$d/dovecot.conf" <<EOC
base_dir = $d/run
state_dir = $d/state
log_path = $d/dovecot.log
protocols = imap
listen = 127.0.0.1
ssl = required
ssl_cert = <$d/server.pem
ssl_key = <$d/server.key
disable_plaintext_auth = no
auth_mechanisms = plain login
mail_location = maildir:$m/mail/%u
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $m/users
}
userdb {
  driver = static
  args = uid=nobody gid=nogroup home=$m/mail/%u
}
service imap-login {
  inet_listener imap {
    port = 0
  }
  inet_listener imaps {
    address = 127.0.0.1
    port = $1
    ssl = yes
  }
}
EOC
  chown nobody:nogroup "$m/mail"
  dovecot -F -c "$d/dovecot.conf" >"$d/stdout" 2>&1 </dev/null &
  local pid=$!
  wait_until curl -sf --max-time 1 --cacert "$d/ca.pem" -u testuser:testpass "imaps://127.0.0.1:$1/" -X NOOP || return 1
  echo $pid
}

# SMTP over TLS (smtps) and SMTP that requires STARTTLS (smtpstls): aiosmtpd with a
# certificate of the test CA; each writes to $SVC/<kind>/Maildir.
start_aiosmtpd_tls() {
  local kind=$1 port=$2 option=$3 d=$SVC/$1
  mkdir -p "$d"
  make_test_ca "$d" || return 1
  /usr/bin/python3 -m aiosmtpd -n -l "127.0.0.1:$port" "${option}cert" "$d/server.pem" "${option}key" "$d/server.key" \
    -c aiosmtpd.handlers.Mailbox "$d/Maildir" >"$d/log" 2>&1 </dev/null &
  local pid=$!
  if [ "$kind" = smtps ]; then
    wait_until curl -sf --max-time 1 --cacert "$d/ca.pem" "smtps://127.0.0.1:$port" -X NOOP || return 1
  else
    wait_until curl -sf --max-time 1 --cacert "$d/ca.pem" --ssl-reqd "smtp://127.0.0.1:$port" -X NOOP || return 1
  fi
  echo $pid
}
start_smtps() { start_aiosmtpd_tls smtps "$1" --smtps; }
start_smtpstls() { start_aiosmtpd_tls smtpstls "$1" --tls; }

case "$action" in
  start)
    port=${4:?port}
    [ -f "$pidfile" ] && stop_pid "$(cat "$pidfile")"
    pid=$("start_$kind" "$port") || { echo "$kind did not start on port $port" >&2; exit 1; }
    echo "$pid" > "$pidfile"
    ;;
  stop)
    [ -f "$pidfile" ] && stop_pid "$(cat "$pidfile")"
    if [ "$kind" = hfaxd ]; then
      for f in faxq syslog; do [ -f "$SVC/hfaxd/$f.pid" ] && stop_pid "$(cat "$SVC/hfaxd/$f.pid")"; done
    fi
    rm -f "$pidfile"
    ;;
  *) echo "usage: $0 start|stop kind dir [port]" >&2; exit 2 ;;
esac
exit 0
