#include "modem/reply_text.h"

namespace corvane {

void CReplyText::Append(char byte)
{
    // Dropping the front in large steps keeps the cost per byte constant.
    if (m_text.size() >= 2 * kKeep) m_text.erase(0, m_text.size() - kKeep);
    m_text.push_back(byte);
}

bool CReplyText::EndsWith(std::string_view reply) const
{
    return m_text.size() >= reply.size() &&
           std::string_view(m_text).substr(m_text.size() - reply.size()) == reply;
}

}  // namespace corvane
