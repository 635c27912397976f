#include "kiv/qt/gui/widgets/LabeledLineEdit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace kiv::qt::gui::widgets {

LabeledLineEdit::LabeledLineEdit(const QString& label, QWidget* parent)
    : QWidget(parent)
    , _label(new QLabel(label))
    , _lineEdit(new QLineEdit)
{
    _label->setBuddy(_lineEdit);

    // One line high: a tall form gives its extra room to the tables, not to the fields.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(_label);
    layout->addWidget(_lineEdit, 1);

    connect(_lineEdit, &QLineEdit::textChanged, this, &LabeledLineEdit::textChanged);
}

} // namespace kiv::qt::gui::widgets
