#!/usr/bin/perl
# An SNPP server for the tests and the benchmark: Net::SNPP::Server (Debian
# libnet-snpp-perl) on 127.0.0.1 and a free port, one client after the other. Each page
# it takes is appended to PAGES as "<pager id>\t<message>\n". The port is written to
# PORTFILE once the server listens.
#
#   snpp_server.pl PAGES PORTFILE
use strict;
use warnings;
use IO::Handle;
use Socket qw(sockaddr_in);
use Net::SNPP::Server;

my ($pages, $portfile) = @ARGV;
die "usage: $0 PAGES PORTFILE\n" unless defined $portfile;

my $server = Net::SNPP::Server->new(Port => 0, BindTo => '127.0.0.1');
$server->callback('write_log', sub { });
$server->callback('process_page', sub {
    my ($pager, $page, $results) = @_;
    open(my $out, '>>', $pages) or return 0;
    print $out "$pager->[0]\t$page->{mess}\n";
    close($out) or return 0;
    return 1;
});

my ($port) = sockaddr_in(getsockname($server->socket()));
open(my $pf, '>', "$portfile.tmp") or die "$portfile.tmp: $!";
print $pf "$port\n";
close($pf);
rename("$portfile.tmp", $portfile) or die "$portfile: $!";

$SIG{TERM} = sub { exit 0 };
while (1) {
    my $client = $server->client();
    $server->handle_client($client);
    close($client);
}
