#pragma once
// The encoding shared by the binary data files: little-endian words, no header, and
// strings as a 16-bit signed length (bytes + 1), the bytes, and a zero byte.

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// The pager and service files take a string into a 1000-byte buffer; a longer length word
// is damage there.
inline constexpr int kMaxStringLength = 1000;
// The message files (PDM.DAT, MESSAGES.DAT) take a text of any length the length word
// allows: up to 32766 bytes.
inline constexpr int kMaxMessageStringLength = 32767;

class CDataReader {
public:
    // maxLength: the largest length word (bytes + 1) a string of this file may have.
    explicit CDataReader(std::string_view bytes, int maxLength = kMaxStringLength)
        : m_bytes(bytes), m_maxLength(maxLength)
    {
    }
    std::size_t Remaining() const { return m_bytes.size() - m_pos; }
    bool Word(std::int16_t& value);
    bool Word(std::uint16_t& value);
    bool Dword(std::int32_t& value);
    // False, and nothing consumed that matters, for a length word of 0, below 0 or above
    // the file's largest, or a string cut short by the end of the data: the record is damaged.
    bool String(std::string& text);
    // A string whose length word has already been read.
    bool StringBody(std::int16_t length, std::string& text);

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
    int m_maxLength;
};

class CDataWriter {
public:
    explicit CDataWriter(int maxLength = kMaxStringLength) : m_maxLength(maxLength) {}
    void Word(std::int16_t value);
    void Word(std::uint16_t value) { Word(static_cast<std::int16_t>(value)); }
    void Dword(std::int32_t value);
    // Texts longer than a reader takes are cut to the largest length word less one (999
    // bytes in the pager and service files): a longer one would make every reader reject
    // the record and all records after it.
    void String(std::string_view text);
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    int m_maxLength;
};

}  // namespace corvane
