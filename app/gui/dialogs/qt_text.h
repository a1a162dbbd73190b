#pragma once
// Record and setting texts are UTF-8 byte strings; the widgets take QStrings.

#include <QString>

#include <string>

namespace corvane {

inline QString ToQt(const std::string& text)
{
    return QString::fromStdString(text);
}

inline std::string FromQt(const QString& text)
{
    return text.toStdString();
}

}  // namespace corvane
