#include "unit/NameValidator.h"

NameValidator::NameValidator(QObject* parent)
    : QValidator(parent)
{
}

QValidator::State NameValidator::validate(QString& input, int& /*pos*/) const
{
    if (input.trimmed().isEmpty())
        return Intermediate;

    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        const QChar lower = c.toLower();
        if (lower >= QLatin1Char('a') && lower <= QLatin1Char('z'))
            continue;
        if (i == 0)
            return Intermediate;
        if (c == QLatin1Char(' ') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            continue;
        return Intermediate;
    }
    return Acceptable;
}
