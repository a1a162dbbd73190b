#!/usr/bin/env bash
# SNPP delivery speed, side by side: pages per second and CPU time per page of one
# CSnppClient SendAll (1,000 pages to 100 pagers) to Net::SNPP::Server on loopback, and the
# same figures for Net::SNPP's own client (Debian libnet-snpp-perl) sending the same pages
# to the same server in the same run. Both send PAGE, MESS, SEND and RESE per page over
# one connection per round.
#
#   bench/snpp_compare.sh [ROUNDS]      (BUILD_DIR names the build folder, default build)
set -euo pipefail

src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-build}"
case "$build" in /*) ;; *) build="$src/$build" ;; esac
rounds="${1:-5}"
bench="$build/bench/snpp_bench"
[ -x "$bench" ] || { echo "no $bench: build first (BUILD_DIR=... ./scripts/build.sh)" >&2; exit 1; }

work="$(mktemp -d)"
server=""
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

perl "$src/tests/net/snpp_server.pl" "$work/pages" "$work/port" "$work/connections" &
server=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || { echo "Net::SNPP::Server did not start" >&2; exit 1; }
port="$(cat "$work/port")"
echo "Net::SNPP::Server on 127.0.0.1:$port, $rounds rounds of 1000 pages to 100 pagers per client"

echo
echo "== Corvane CSnppClient (C++)"
SNPP_BENCH_PORT="$port" SNPP_BENCH_ROUNDS="$rounds" "$bench" --benchmark_counters_tabular=true
ours=$(wc -l < "$work/pages")

echo
echo "== Net::SNPP client (Perl)"
perl - "$port" "$rounds" <<'PERL'
use strict;
use warnings;
use Net::SNPP;
use Time::HiRes qw(time);

my ($port, $rounds) = @ARGV;
my @texts = map { sprintf("Benchmark page %04d to pager %03d: the quick brown fox jumps over the lazy dog", $_, $_ % 100) } 0 .. 999;
my @cpu0 = times;
my $wall0 = time;
for my $round (1 .. $rounds) {
    my $snpp = Net::SNPP->new('127.0.0.1', Port => $port) or die "cannot connect: $!";
    for my $i (0 .. 999) {
        $snpp->send(Pager => 5550000 + $i % 100, Message => $texts[$i]) or die "page $i: " . $snpp->message;
        $snpp->reset;
    }
    $snpp->quit;
}
my $wall = time - $wall0;
my @cpu1 = times;
my $cpu = ($cpu1[0] - $cpu0[0]) + ($cpu1[1] - $cpu0[1]);
my $pages = 1000 * $rounds;
printf "SendAll-equivalent: %.1f ms per 1000 pages, %.0f pages/s, %.1f us CPU per page\n",
    1000 * $wall / $rounds, $pages / $wall, 1e6 * $cpu / $pages;
PERL

total=$(wc -l < "$work/pages")
echo
echo "pages the server took: $ours from CSnppClient, $((total - ours)) from Net::SNPP (expected $((rounds * 1000)) each)"
[ "$ours" -eq $((rounds * 1000)) ] && [ $((total - ours)) -eq $((rounds * 1000)) ]
