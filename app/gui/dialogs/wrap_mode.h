#pragma once
// How a message is broken into lines on screen and on paper.

#include <QString>
#include <QTextOption>

namespace corvane {

// Between words, and inside a word that is wider than a line. A text with a very long
// run without blanks (a damaged log, a pasted blob) is broken anywhere instead: the
// word-boundary search is quadratic in such a run and would freeze the window.
inline QTextOption::WrapMode WrapModeFor(const QString& text)
{
    constexpr qsizetype kLongestWord = 2000;
    qsizetype run = 0;
    for (QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestWord) return QTextOption::WrapAnywhere;
    }
    return QTextOption::WrapAtWordBoundaryOrAnywhere;
}

}  // namespace corvane
