#pragma once
// An open serial line as the modem dialogues see it: write a command, look at what has
// arrived, purge. Reads never block; waiting is the dialogue's business (through the
// event pump, on Fd()).

#include <cstddef>
#include <string_view>

namespace corvane {

// Communication error flags, as the dialogues test them after every write.
inline constexpr unsigned kCommRxOver = 0x0001;
inline constexpr unsigned kCommOverrun = 0x0002;
inline constexpr unsigned kCommRxParity = 0x0004;  // ignored by every caller
inline constexpr unsigned kCommFrame = 0x0008;
inline constexpr unsigned kCommBreak = 0x0010;
inline constexpr unsigned kCommTxFull = 0x0100;    // a write did not complete in time
inline constexpr unsigned kCommIoError = 0x0400;   // the device failed or went away

class IBytePort {
public:
    virtual ~IBytePort() = default;
    // Writes every byte, waiting at most the port's write time-out. A failure is recorded
    // in the error flags (kCommTxFull, kCommIoError) rather than returned.
    virtual void Write(std::string_view bytes) = 0;
    // Copies at most max waiting bytes into buffer without blocking; returns the count.
    virtual std::size_t Read(char* buffer, std::size_t max) = 0;
    // Returns and clears the error flags gathered since the last call.
    virtual unsigned TakeErrors() = 0;
    virtual void Purge(bool transmit, bool receive) = 0;
    virtual void ClearBreak() = 0;
    // The descriptor to wait on, or -1 when the port is not a descriptor (test doubles).
    virtual int Fd() const = 0;
};

}  // namespace corvane
