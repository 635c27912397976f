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
#include <QTranslator>

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
        QCOMPARE(edits.last()->text(), QString("Nächster fehlender Funktionsbaustein"));

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

    // English has a catalogue for the plural forms alone; it serves every
    // language without a catalogue of its own, and the C locale.
    void pluralsByLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("missing");
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QLocale german(QLocale::German, QLocale::Germany);
        QTest::newRow("English, 0") << english << 0 << "Saved 0 entries to X"
                                    << "Entries naming function blocks that are not installed: 0";
        QTest::newRow("English, 1") << english << 1 << "Saved 1 entry to X"
                                    << "Entry naming a function block that is not installed: 1";
        QTest::newRow("English, 2") << english << 2 << "Saved 2 entries to X"
                                    << "Entries naming function blocks that are not installed: 2";
        QTest::newRow("C, 1") << QLocale::c() << 1 << "Saved 1 entry to X"
                              << "Entry naming a function block that is not installed: 1";
        QTest::newRow("French, 1") << QLocale(QLocale::French) << 1 << "Saved 1 entry to X"
                                   << "Entry naming a function block that is not installed: 1";
        QTest::newRow("German, 1") << german << 1 << "1 Eintrag gespeichert in X"
                                   << "Einträge mit nicht installiertem Funktionsbaustein: 1";
        QTest::newRow("German, 2") << german << 2 << "2 Einträge gespeichert in X"
                                   << "Einträge mit nicht installiertem Funktionsbaustein: 2";
    }

    void pluralsByLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, count);
        QTranslator translator;
        QVERIFY(loadProgramTranslation(translator, locale));
        // Installed last, it answers before the German one from initTestCase.
        QCoreApplication::installTranslator(&translator);
        const QString saved = MainWindow::tr("Saved %n entries to %1", nullptr, count).arg("X");
        const QString missing
            = MainWindow::tr("Entries naming function blocks that are not installed: %n", nullptr, count);
        QCoreApplication::removeTranslator(&translator);
        QTEST(saved, "saved");
        QTEST(missing, "missing");
    }
};

FBM_TEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
