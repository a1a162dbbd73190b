#pragma once
// The simulator's script as a text file, one directive a line ('#' starts a comment):
//
//   numeric | direct | flood-after-connect | no-go-ahead | drop-carrier-after-logoff
//   busy N                      the first N dials are answered BUSY
//   dial connect|busy|no-dialtone|no-dial-tone|no-answer|flood   (the next dial)
//   later-dials OUTCOME
//   init-reply TEXT | connect-text TEXT | id-text TEXT | go-ahead-text TEXT
//   id-prompt unprompted|after-cr|never
//   password TEXT
//   logon-reply ack|nak|rs|esc-eot|none   (the next logon)
//   block N REPLY               the reply to block N (1-based, retries counted)
//   logoff-reply REPLY
//   dial-reply-ms N | go-ahead-delay-ms N | reply-delay-ms N | numeric-busy-at-ms N
//   flood-rate N | disappear-after-block N
//
// TEXT takes the escapes \r \n \e \\ and \xHH.

#include <string>

#include "tests/sim/paging_central.h"

namespace corvane::sim {

bool ParseScript(const std::string& text, SimScript& script, std::string& error);
std::string Unescape(const std::string& text);

}  // namespace corvane::sim
