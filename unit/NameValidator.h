#pragma once

#include <QValidator>

// Accepts a function block name: a letter first, then letters, digits and
// blanks. It never refuses a keystroke; text it does not accept stays
// Intermediate until the user mends it.
class NameValidator : public QValidator
{
public:
    explicit NameValidator(QObject* parent);

    State validate(QString& input, int& pos) const override;
};
