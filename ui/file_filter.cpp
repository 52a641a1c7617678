#include "ui/file_filter.h"

QStringList NameFiltersOf(const char* filter) {
    const QStringList parts = QString::fromUtf8(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        // Qt takes the patterns from brackets after the name: the text's own patterns go
        // there, in place of any the description shows.
        const QString name = parts[i].section(QLatin1Char('('), 0, 0).trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        filters << name + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}
