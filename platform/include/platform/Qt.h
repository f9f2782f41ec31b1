// Conversions at the widget boundary: the program's UTF-8 std::string <-> QString.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace platform {

inline QString ToQ(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string FromQ(const QString& s) {
    const QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

// Texts of the string table keep Windows line breaks; widgets want "\n".
inline QString ToQMultiLine(std::string_view s) {
    return ToQ(s).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
inline std::string FromQMultiLine(const QString& s) {
    return FromQ(QString(s)
                     .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                     .replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

} // namespace platform
