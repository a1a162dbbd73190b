#pragma once
// Reads a mail message as it streams in, in bounded memory whatever its size: the sender,
// subject and "To" names of its header, and the first text/plain part that is not an
// attachment, decoded (quoted-printable, base64) and turned into UTF-8, at most
// kMaxBodyBytes of it. Attachments and the other parts are passed over without being
// kept, so a 50 MB message or one of 10,000 parts costs no more memory than a short one.

#include <string>
#include <string_view>
#include <vector>

#include "mail/mail_headers.h"
#include "mail/mail_message.h"
#include "mail/mime_decode.h"

namespace corvane {

class CMimeReader {
public:
    CMimeReader();
    void Feed(std::string_view data);
    // Fills message's sender, senderAddress, subject, to, body and bodyCut.
    void Finish(MailMessage& message);

private:
    enum class Phase { Headers, Body };
    enum class Target { Skip, Collect };
    enum class Encoding { Identity, QuotedPrintable, Base64 };

    void FeedBody(std::string_view piece, bool ended);
    void EndLine();
    void TakeLine(std::string_view content, std::string_view eol);
    bool TakeBoundary(std::string_view line);
    void EndHeaders();
    void EndPart();
    void Emit(std::string_view text);
    void AppendRaw(std::string_view decoded);

    std::string m_line;     // the line being gathered
    bool m_longLine = false;  // the current body line outgrew m_line and is streamed
    std::string m_heldEol;  // the previous body line's end: it belongs to a boundary if one follows

    Phase m_phase = Phase::Headers;
    CHeaderBlock m_headers;
    CHeaderBlock m_topHeaders;
    bool m_topDone = false;
    std::vector<std::string> m_boundaries;  // innermost last

    Target m_target = Target::Skip;
    bool m_found = false;  // the body part has been chosen
    Encoding m_encoding = Encoding::Identity;
    CQuotedPrintableDecoder m_qp;
    CBase64Decoder m_base64;
    std::string m_charset;
    std::string m_raw;  // the chosen part's bytes, transfer-decoded, at most kMaxBodyBytes
    bool m_cut = false;
};

// The header fields of a message (a header block alone, as the inbox listing fetches it).
void ReadHeaderFields(std::string_view headerBlock, MailHeader& header);

}  // namespace corvane
