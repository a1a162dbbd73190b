#!/usr/bin/perl
# An SNPP server for the tests and the benchmark: Net::SNPP::Server (Debian
# libnet-snpp-perl) on 127.0.0.1 and a free port, one client after the other. Each page
# it takes is appended to PAGES as "<pager id>\t<message>\n". The port is written to
# PORTFILE once the server listens. With CONNECTIONS, a line is appended to that file
# for every client the server takes.
#
#   snpp_server.pl PAGES PORTFILE [CONNECTIONS]
use strict;
use warnings;
use IO::Handle;
use Socket qw(sockaddr_in);
use Net::SNPP::Server;

my ($pages, $portfile, $connections) = @ARGV;
die "usage: $0 PAGES PORTFILE [CONNECTIONS]\n" unless defined $portfile;

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
    if (defined $connections && open(my $log, '>>', $connections)) {
        print $log "client\n";
        close($log);
    }
    $server->handle_client($client);
    close($client);
}
