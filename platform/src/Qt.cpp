#include "platform/Qt.h"

namespace platform {

QString ToQMultiLine(std::string_view s) {
    QString q = ToQ(s);
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return q;
}

std::string FromQMultiLine(const QString& s) {
    QString q = s;
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    q.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return FromQ(q);
}

} // namespace platform
