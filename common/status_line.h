#pragma once
// Pane 0 of the status bar: progress texts during a delivery, "Ready" afterwards; and the
// wait cursor while the program waits for a device or a server that the user cannot hurry.

#include <string>

namespace corvane {

class IStatusLine {
public:
    virtual ~IStatusLine() = default;
    // Marks the line busy (ordinary menu prompts do not overwrite it) and shows text at once.
    virtual void SetStatus(const std::string& text) = 0;
    // Clears the busy mark and shows "Ready".
    virtual void ResetStatus() = 0;
    // The wait cursor on, or back to what it was; calls nest (use CWaitCursor). A shell
    // without a pointer has nothing to show.
    virtual void ShowWaitCursor(bool /*on*/) {}
};

// The wait cursor for the lifetime of the object, on every way out; nothing for a null line.
class CWaitCursor {
public:
    explicit CWaitCursor(IStatusLine* line) : m_line(line)
    {
        if (m_line) m_line->ShowWaitCursor(true);
    }
    ~CWaitCursor()
    {
        if (m_line) m_line->ShowWaitCursor(false);
    }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    IStatusLine* m_line;
};

}  // namespace corvane
