#pragma once
// The text a modem or paging terminal has sent during one wait. A wait matches its
// replies anywhere in that text, but a line that floods bytes must not make it grow
// without bound: only the most recent part is kept, far longer than any reply.

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

class CReplyText {
public:
    static constexpr std::size_t kKeep = 4096;

    void Clear() { m_text.clear(); }
    void Append(char byte);
    // Appending byte by byte and testing after each one, a reply that occurs anywhere
    // in the text must end at the byte just added.
    bool EndsWith(std::string_view reply) const;
    bool Contains(std::string_view reply) const { return m_text.find(reply) != std::string::npos; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

}  // namespace corvane
