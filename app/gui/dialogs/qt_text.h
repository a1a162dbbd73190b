#pragma once
// Record and setting texts are UTF-8 byte strings; the widgets take QStrings.

#include <QString>

#include <string>

namespace corvane {

inline QString ToQt(const std::string& text)
{
    return QString::fromStdString(text);
}

// Bytes from a file that may hold anything (a log): invalid UTF-8 as replacement
// characters, and no zero character, which would end the shown text early.
inline QString ToQtShown(const std::string& bytes)
{
    QString shown = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    shown.replace(QChar(QChar::Null), QChar(QChar::ReplacementCharacter));
    return shown;
}

inline std::string FromQt(const QString& text)
{
    return text.toStdString();
}

}  // namespace corvane
