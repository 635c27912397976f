#include "support/ModalAnswerer.h"
#include "support/TestMain.h"

#include "app/MainWindow.h"
#include "app/Startup.h"
#include "device/Model.h"
#include "device/View.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>

// Runs with LANG=de_DE.UTF-8 (see CMakeLists.txt).
class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QLocale().language(), QLocale::German);
        installTranslations();
    }

    void windowSpeaksGerman()
    {
        MainWindow window;
        QCOMPARE(window.windowTitle(), QString("Velmora 2 Funktionsbaustein-Manager[*]"));
        auto* tabs = window.findChild<QTabWidget*>();
        QCOMPARE(tabs->tabText(0), QString("Geräteverwaltung"));
        QCOMPARE(tabs->tabText(1), QString("Funktionsbaustein-Designer"));
    }

    void standardButtonsSpeakGermanToo()
    {
        MainWindow window;
        window.show();
        auto* model = qobject_cast<device::Model*>(window.findChild<device::View*>()->model());
        model->load("<dev:device dev:id=\"MyFuncBlocks\"/>");
        model->addDirectory(model->root());
        QCOMPARE(model->index(0, 0, model->root()).data().toString(), QString("Neues Verzeichnis"));
        // The Edit menu names the step in German too.
        const QList<QAction*> edits = window.findChild<device::View*>()->editActions();
        QCOMPARE(edits.first()->text(), QString("Rückgängig: Verzeichnis hinzufügen"));
        QCOMPARE(edits.last()->text(), QString("Nach unten"));

        QStringList buttons;
        QTimer::singleShot(0, &window, [&buttons] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                for (auto button : { QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel })
                    buttons << box->button(button)->text();
            }
        });
        ModalAnswerer answerer({ "Cancel" });
        QVERIFY(!window.close());
        QCOMPARE(answerer.seen,
            QStringList("Question|Änderungen speichern|Das Gerät wurde geändert. Änderungen speichern?"
                        "|Yes,No,Cancel"));
        QCOMPARE(buttons, QStringList({ "&Ja", "&Nein", "Abbrechen" }));
    }
};

FBM_TEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
