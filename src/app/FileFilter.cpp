#include "FileFilter.h"

QStringList ConvertFileFilter(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        if (description.isEmpty())
            break;
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'))) {
            QString pattern = p.trimmed();
            if (pattern.isEmpty())
                continue;
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
            if (!patterns.contains(pattern))
                patterns << pattern;
        }
        if (patterns.isEmpty())
            continue;
        result << description + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return result;
}
