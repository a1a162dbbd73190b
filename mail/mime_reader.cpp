#include "mail/mime_reader.h"

#include <algorithm>

namespace corvane {
namespace {

// A header line longer than this is kept only in part; a body line longer than this
// cannot be a boundary (at most 70 characters and the dashes) and is streamed on.
constexpr std::size_t kMaxHeaderLine = 16384;
constexpr std::size_t kMaxBodyLine = 1000;
// Multiparts nested deeper than this are passed over whole.
constexpr std::size_t kMaxDepth = 32;

std::string JoinNames(const std::vector<Mailbox>& boxes)
{
    std::string names;
    for (const Mailbox& box : boxes) {
        if (box.Shown().empty()) continue;
        if (!names.empty()) names += ' ';
        names += box.Shown();
    }
    return names;
}

void FillHeader(const CHeaderBlock& headers, MailHeader& header)
{
    std::vector<Mailbox> from = ParseAddressList(headers.Get("From"));
    header.sender = from.empty() ? "" : from.front().Shown();
    header.senderAddress = from.empty() ? "" : from.front().address;
    header.subject = DecodeHeaderText(headers.Get("Subject"));
    header.to = JoinNames(ParseAddressList(headers.Get("To")));
}

bool IsBlankTail(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

CMimeReader::CMimeReader() = default;

void CMimeReader::Feed(std::string_view data)
{
    while (!data.empty()) {
        std::size_t newline = data.find('\n');
        std::string_view piece = data.substr(0, newline);
        data.remove_prefix(newline == std::string_view::npos ? data.size() : newline + 1);
        bool ended = newline != std::string_view::npos;
        if (m_phase == Phase::Body || m_longLine) {
            FeedBody(piece, ended);
            continue;
        }
        m_line.append(piece.substr(0, kMaxHeaderLine - std::min(kMaxHeaderLine, m_line.size())));
        if (ended) EndLine();
    }
}

void CMimeReader::FeedBody(std::string_view piece, bool ended)
{
    if (!m_longLine) {
        if (m_line.size() + piece.size() <= kMaxBodyLine + 1) {
            m_line.append(piece);
            if (ended) EndLine();
            return;
        }
        // Too long for a boundary: the line is content, streamed as it comes.
        m_longLine = true;
        Emit(m_heldEol);
        m_heldEol.clear();
    }
    // A CR at the very end of what has come may be the first half of the line end.
    bool heldCr = false;
    if (!piece.empty()) {
        Emit(m_line);
        if (piece.back() == '\r') {
            piece.remove_suffix(1);
            heldCr = true;
        }
        Emit(piece);
    } else if (!m_line.empty() && m_line.back() == '\r') {
        Emit(std::string_view(m_line).substr(0, m_line.size() - 1));
        heldCr = true;
    } else {
        Emit(m_line);
    }
    m_line.clear();
    if (ended) {
        m_heldEol = heldCr ? "\r\n" : "\n";
        m_longLine = false;
    } else if (heldCr) {
        m_line = "\r";
    }
}

void CMimeReader::EndLine()
{
    bool cr = !m_line.empty() && m_line.back() == '\r';
    std::string line = std::move(m_line);
    m_line.clear();
    if (cr) line.pop_back();
    TakeLine(line, cr ? "\r\n" : "\n");
}

void CMimeReader::TakeLine(std::string_view content, std::string_view eol)
{
    if (content.size() >= 2 && content[0] == '-' && content[1] == '-' && TakeBoundary(content)) return;
    if (m_phase == Phase::Headers) {
        if (content.empty())
            EndHeaders();
        else
            m_headers.AddLine(content);
        return;
    }
    Emit(m_heldEol);
    Emit(content);
    m_heldEol = eol;
}

// A boundary of any open multipart ends the part in progress (and every part nested in
// it); a closing boundary also ends its multipart.
bool CMimeReader::TakeBoundary(std::string_view line)
{
    for (std::size_t level = m_boundaries.size(); level-- > 0;) {
        const std::string& boundary = m_boundaries[level];
        if (line.size() < 2 + boundary.size() || line.compare(2, boundary.size(), boundary) != 0) continue;
        std::string_view rest = line.substr(2 + boundary.size());
        bool closing = rest.size() >= 2 && rest[0] == '-' && rest[1] == '-';
        if (!IsBlankTail(closing ? rest.substr(2) : rest)) continue;
        m_heldEol.clear();
        EndPart();
        m_boundaries.resize(closing ? level : level + 1);
        if (closing) {
            m_phase = Phase::Body;  // the epilogue: skipped until an outer boundary
            m_target = Target::Skip;
        } else {
            m_phase = Phase::Headers;
            m_headers.Clear();
        }
        return true;
    }
    return false;
}

void CMimeReader::EndHeaders()
{
    const CHeaderBlock& headers = m_headers;
    if (!m_topDone) {
        m_topHeaders = m_headers;
        m_topDone = true;
    }
    m_phase = Phase::Body;
    m_target = Target::Skip;
    m_heldEol.clear();
    ContentType type = ParseContentType(headers.Get("Content-Type"));
    if (type.type.rfind("multipart/", 0) == 0 && !type.boundary.empty() && m_boundaries.size() < kMaxDepth) {
        m_boundaries.push_back(type.boundary);  // the preamble until its first boundary is skipped
        return;
    }
    if (m_found || type.type != "text/plain" || HeaderToken(headers.Get("Content-Disposition")) == "attachment")
        return;
    m_found = true;
    m_target = Target::Collect;
    m_charset = type.charset;
    std::string encoding = HeaderToken(headers.Get("Content-Transfer-Encoding"));
    m_encoding = encoding == "quoted-printable" ? Encoding::QuotedPrintable
                 : encoding == "base64"         ? Encoding::Base64
                                                : Encoding::Identity;
}

void CMimeReader::EndPart()
{
    if (m_target != Target::Collect) return;
    std::string rest;
    if (m_encoding == Encoding::QuotedPrintable) m_qp.Finish(rest);
    if (m_encoding == Encoding::Base64) m_base64.Finish(rest);
    AppendRaw(rest);
    m_target = Target::Skip;
}

void CMimeReader::Emit(std::string_view text)
{
    if (m_target != Target::Collect) return;
    // Decoded a slice at a time, so that a huge piece never costs more than a slice.
    constexpr std::size_t kSlice = 65536;
    while (!text.empty()) {
        if (m_raw.size() >= kMaxBodyBytes) {
            m_cut = true;  // the rest is read but not kept
            return;
        }
        std::string_view slice = text.substr(0, kSlice);
        text.remove_prefix(slice.size());
        std::string decoded;
        switch (m_encoding) {
        case Encoding::Identity: decoded.assign(slice); break;
        case Encoding::QuotedPrintable: m_qp.Feed(slice, decoded); break;
        case Encoding::Base64: m_base64.Feed(slice, decoded); break;
        }
        AppendRaw(decoded);
    }
}

void CMimeReader::AppendRaw(std::string_view decoded)
{
    std::size_t room = kMaxBodyBytes - m_raw.size();
    if (decoded.size() > room) {
        m_cut = true;
        decoded = decoded.substr(0, room);
    }
    m_raw += decoded;
}

void CMimeReader::Finish(MailMessage& message)
{
    // A last line without its line end.
    if (m_longLine) {
        Emit(m_line);
    } else if (!m_line.empty()) {
        std::string line = std::move(m_line);
        if (line.back() == '\r') line.pop_back();
        TakeLine(line, "");
    }
    m_line.clear();
    if (m_phase == Phase::Headers && !m_topDone) EndHeaders();
    EndPart();
    FillHeader(m_topHeaders, message);
    std::string text = ToUtf8(m_raw, m_charset);
    message.bodyCut = m_cut || text.size() > kMaxBodyBytes;
    message.body = CutUtf8(text, kMaxBodyBytes);
}

void ReadHeaderFields(std::string_view headerBlock, MailHeader& header)
{
    CHeaderBlock headers;
    while (!headerBlock.empty()) {
        std::size_t newline = headerBlock.find('\n');
        std::string_view line = headerBlock.substr(0, newline);
        headerBlock.remove_prefix(newline == std::string_view::npos ? headerBlock.size() : newline + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) break;
        headers.AddLine(line);
    }
    FillHeader(headers, header);
}

}  // namespace corvane
