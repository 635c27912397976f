#include "support/TestMain.h"

#include "kiv/qt/gui/widgets/LabeledLineEdit.h"
#include "unit/NameValidator.h"

#include <QLineEdit>
#include <QSignalSpy>

class NameValidatorTest : public QObject
{
    Q_OBJECT

private slots:
    void validate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("acceptable");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blanks only") << "   " << false;
        QTest::newRow("word") << "Block" << true;
        QTest::newRow("digit later") << "block2" << true;
        QTest::newRow("blanks and digits") << "My Block 2" << true;
        QTest::newRow("trailing blank") << "My Block " << true;
        QTest::newRow("single letter") << "z" << true;
        QTest::newRow("leading blank") << " Block" << false;
        QTest::newRow("leading digit") << "2Block" << false;
        QTest::newRow("underscore") << "My_Block" << false;
        QTest::newRow("hyphen") << "My-Block" << false;
        QTest::newRow("dot") << "My.Block" << false;
        QTest::newRow("tab") << "My\tBlock" << false;
        QTest::newRow("umlaut") << QString::fromUtf8("Bl\xc3\xb6"
                                                     "ck")
                                << false;
        QTest::newRow("letters around the ASCII range") << "a@[`{" << false;
        // Letters are judged by their lower-case form: the Kelvin sign lowers to k.
        QTest::newRow("kelvin sign") << QString(QChar(0x212A)) + "elvin" << true;
    }

    void validate()
    {
        QFETCH(QString, text);
        QFETCH(bool, acceptable);
        NameValidator validator(nullptr);
        QString input = text;
        int pos = 1;
        const QValidator::State state = validator.validate(input, pos);
        QCOMPARE(state, acceptable ? QValidator::Acceptable : QValidator::Intermediate);
        QCOMPARE(input, text);
        QCOMPARE(pos, 1);
    }

    void lineEditTakesEveryKeystroke()
    {
        kiv::qt::gui::widgets::LabeledLineEdit edit("Name");
        edit.lineEdit()->setValidator(new NameValidator(&edit));
        QSignalSpy changed(&edit, &kiv::qt::gui::widgets::LabeledLineEdit::textChanged);
        QTest::keyClicks(edit.lineEdit(), "My_Block");
        QCOMPARE(edit.lineEdit()->text(), QString("My_Block"));
        QVERIFY(!edit.lineEdit()->hasAcceptableInput());
        QCOMPARE(changed.size(), 8);
        QCOMPARE(changed.last().at(0).toString(), QString("My_Block"));
        edit.lineEdit()->setText("MyBlock");
        QVERIFY(edit.lineEdit()->hasAcceptableInput());
    }
};

FBM_TEST_MAIN(NameValidatorTest)
#include "tst_namevalidator.moc"
