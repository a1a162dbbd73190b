#pragma once
// Where an instance's command socket lives and what travels over it. The server
// (command_server.h) and the client (command_client.h) share these.
//
// The socket of the instance titled T is
//     $XDG_RUNTIME_DIR/corvane/<name>.sock     (when XDG_RUNTIME_DIR names a directory)
//     /tmp/corvane-<uid>/<name>.sock           (otherwise)
// The folder is private: created 0700, and used only while it is a real directory
// owned by this user with no access for group or others. <name> is the title with
// every byte other than A-Z a-z 0-9 '_' '-' (and '.' after the first byte) written
// as %XX (upper-case hex); a name that would not fit the socket address is cut to
// 40 bytes followed by '-' and the 16 hex digits of the title's 64-bit FNV-1a hash.
//
// One request per connection, all text in bytes:
//     "EXECUTE <topic bytes> <data bytes>\n" <topic> <data>
//     "TOPICS\n"
//     "ACTIVATE\n"        (a second start: bring the running instance to the front)
//     "QUEUE <after>\n"   the pending requests (queue_listing.h)
// The lengths are plain decimal. The answer is one line, then the server closes:
//     "FACK\n"            the topic's action was taken (a page is queued, not yet sent)
//     "FNOTPROCESSED\n"   the topic is not one of the instance's topics
//     "ERROR <reason>\n"  the request was refused (too large, malformed, too slow)
// TOPICS answers the topic names, one per line; ACTIVATE answers FACK.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr std::size_t kMaxRequestHeaderBytes = 64;
inline constexpr std::size_t kMaxTopicBytes = 256;
inline constexpr std::size_t kMaxDataBytes = 64 * 1024;

inline constexpr std::string_view kAnswerAck = "FACK\n";
inline constexpr std::string_view kAnswerNotProcessed = "FNOTPROCESSED\n";
inline constexpr std::string_view kAnswerErrorPrefix = "ERROR ";

// The file name for a title (without the folder).
std::string CommandSocketName(const std::string& title);

// The title as a file name of at most maxBytes: escaped as above, and when that is longer,
// cut to 40 bytes followed by '-' and the 16 hex digits of the title's hash.
std::string InstanceFileName(const std::string& title, std::size_t maxBytes);

// The private folder. With create, makes it when missing. False when it is missing or
// fails the ownership and mode checks; why goes to problem.
bool CommandSocketFolder(bool create, std::string& folder, std::string& problem);

// The socket path for a title, checking (and with create, making) the folder.
bool CommandSocketPath(const std::string& title, bool create, std::string& path, std::string& problem);

// "EXECUTE <topic length> <data length>\n" + topic + data.
std::string EncodeExecuteRequest(const std::string& topic, const std::string& data);

}  // namespace corvane
