// Text is UTF-8 bytes outside a widget; it becomes a QString only where it is drawn or typed.
#pragma once

#include <QString>
#include <string>

inline QString ToQt(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
inline std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }
