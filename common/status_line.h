#pragma once
// Pane 0 of the status bar: progress texts during a delivery, "Ready" afterwards.

#include <string>

namespace corvane {

class IStatusLine {
public:
    virtual ~IStatusLine() = default;
    // Marks the line busy (ordinary menu prompts do not overwrite it) and shows text at once.
    virtual void SetStatus(const std::string& text) = 0;
    // Clears the busy mark and shows "Ready".
    virtual void ResetStatus() = 0;
};

}  // namespace corvane
