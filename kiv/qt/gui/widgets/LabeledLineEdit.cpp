#include "kiv/qt/gui/widgets/LabeledLineEdit.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace kiv::qt::gui::widgets {

LabeledLineEdit::LabeledLineEdit(const QString& label, QWidget* parent)
    : QWidget(parent)
    , _label(new QLabel(label))
    , _lineEdit(new QLineEdit)
    , _note(new QLabel)
{
    _label->setBuddy(_lineEdit);
    setFocusProxy(_lineEdit);
    _note->setWordWrap(true);
    _note->hide();

    // As high as its lines: a tall form gives its extra room to the tables, not to the fields.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(_label, 0, 0);
    layout->addWidget(_lineEdit, 0, 1);
    layout->addWidget(_note, 1, 1);
    layout->setColumnStretch(1, 1);

    connect(_lineEdit, &QLineEdit::textChanged, this, &LabeledLineEdit::textChanged);
}

void LabeledLineEdit::setNote(const QString& text)
{
    _note->setText(text);
    _note->setVisible(!text.isEmpty());
    _lineEdit->setAccessibleDescription(text);
}

QString LabeledLineEdit::note() const
{
    return _note->text();
}

} // namespace kiv::qt::gui::widgets
