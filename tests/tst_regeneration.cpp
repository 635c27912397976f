#include "support/DesignerParts.h"
#include "support/ExampleBlock.h"
#include "support/ModalAnswerer.h"
#include "support/TestMain.h"

#include "unit/Diff.h"
#include "unit/Registry.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every file below dir (hidden ones too) with what a write would change:
// inode, modification time and link count.
QMap<QString, QString> stamps(const QString& dir)
{
    QMap<QString, QString> files;
    for (const QString& path : TestHome::entriesBelow(dir, QDir::Files | QDir::System)) {
        struct stat st;
        if (::lstat(QFile::encodeName(dir + QLatin1Char('/') + path).constData(), &st) == 0)
            files.insert(path,
                QStringLiteral("%1 %2.%3 %4")
                    .arg(st.st_ino)
                    .arg(st.st_mtim.tv_sec)
                    .arg(st.st_mtim.tv_nsec)
                    .arg(st.st_nlink));
    }
    return files;
}

// The files whose stamp differs, or that came or went.
QStringList changed(const QMap<QString, QString>& before, const QMap<QString, QString>& after)
{
    QStringList paths;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (before.value(it.key()) != it.value())
            paths << it.key();
    }
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!after.contains(it.key()))
            paths << it.key();
    }
    paths.sort();
    return paths;
}

QStringList lines(const unit::Plan& plan)
{
    QStringList lines;
    for (const unit::Plan::Entry& entry : plan.entries())
        lines << unit::Plan::word(entry.fate) + ' ' + entry.path;
    return lines;
}

// The example block's files as a regeneration that changes nothing lists them.
const QStringList untouched
    = { "unchanged unit.xml", "unchanged plugin/CMakeLists.txt", "unchanged plugin/simulation/CMakeLists.txt",
          "kept plugin/simulation/MyBlock.h", "kept plugin/simulation/MyBlock.cpp",
          "kept plugin/simulation/main.cpp", "unchanged plugin/gui/CMakeLists.txt",
          "kept plugin/gui/MyBlock.h", "kept plugin/gui/MyBlock.cpp", "kept plugin/gui/main.cpp" };

// The paths that Yes (or the program) writes according to listed lines.
QStringList written(const QStringList& lines)
{
    QStringList paths;
    for (const QString& line : lines) {
        if (line.startsWith("new ") || line.startsWith("replaced "))
            paths << line.section(' ', 1);
    }
    paths.sort();
    return paths;
}

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class RegenerationTest : public QObject
{
    Q_OBJECT

private:
    TestHome _home;

    QString blocks() const { return _home.path() + "/Ostrel/Velmora2/units/MyFunctionBlocks"; }

    // The example block in dir, written as the program writes it.
    static bool generateAt(const QString& dir)
    {
        unit::Generator g = exampleBlock();
        g.setUnitDir(dir);
        return QDir().mkpath(dir) && generateCode(g, true) == 0;
    }

private slots:
    void init()
    {
        _home.reset();
        unit::Registry::singleton()->refresh();
    }

    void onlyChangedFilesAreWritten_data()
    {
        QTest::addColumn<QString>("change"); // a file to edit, or "-" and a file to remove
        QTest::addColumn<QStringList>("lines"); // lines differing from untouched
        QTest::newRow("nothing changed") << "" << QStringList();
        QTest::newRow("build script edited")
            << "plugin/CMakeLists.txt" << QStringList { "replaced plugin/CMakeLists.txt" };
        QTest::newRow("build script removed")
            << "-plugin/gui/CMakeLists.txt" << QStringList { "new plugin/gui/CMakeLists.txt" };
        QTest::newRow("class header removed, main.cpp kept")
            << "-plugin/gui/MyBlock.h" << QStringList { "- plugin/gui/MyBlock.h" };
        QTest::newRow("gui plug-in removed")
            << "-plugin/gui/main.cpp" << QStringList { "new plugin/gui/main.cpp" };
    }

    void onlyChangedFilesAreWritten()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, lines);
        unit::Generator g = exampleBlock();
        g.generate(false);
        const QString dir = g.path();
        // A second name of a file stays one only while the file is not replaced.
        QCOMPARE(::link(QFile::encodeName(dir + "/unit.xml").constData(),
                     QFile::encodeName(dir + "/unit.xml.second").constData()),
            0);
        if (change.startsWith('-'))
            QVERIFY(QFile::remove(dir + '/' + change.mid(1)));
        else if (!change.isEmpty())
            TestHome::writeFile(dir + '/' + change, TestHome::readFile(dir + '/' + change) + "# mine\n");

        QStringList expected = untouched;
        for (const QString& line : lines) {
            const QString path = line.section(' ', 1);
            const qsizetype at
                = expected.indexOf(QRegularExpression("^\\S+ " + QRegularExpression::escape(path) + '$'));
            if (line.startsWith("- "))
                expected.removeAt(at);
            else
                expected[at] = line;
        }
        const QMap<QString, QString> before = stamps(dir);
        const unit::Plan plan = exampleBlock().plan(dir);
        QCOMPARE(stamps(dir), before);
        QCOMPARE(::lines(plan), expected);
        unit::Generator again = exampleBlock();
        again.setUnitDir(dir);
        QCOMPARE(::lines(again.generate(true)), expected);
        QCOMPARE(changed(before, stamps(dir)), written(expected));
    }

    void diff_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("diff");
        const QByteArray ten = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
        QTest::newRow("equal") << ten << ten << "";
        QTest::newRow("one line in the middle")
            << ten << QByteArray(ten).replace("5\n", "five\n")
            << "--- a/f\n+++ b/f\n@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n 7\n 8\n";
        QTest::newRow("changes far apart, two hunks")
            << ten << QByteArray(ten).replace("1\n", "one\n").replace("10\n", "ten\n")
            << "--- a/f\n+++ b/f\n@@ -1,4 +1,4 @@\n-1\n+one\n 2\n 3\n 4\n@@ -7,4 +7,4 @@\n 7\n 8\n "
               "9\n-10\n+ten\n";
        QTest::newRow("changes close together, one hunk")
            << ten << QByteArray(ten).replace("3\n", "").replace("8\n", "")
            << "--- a/f\n+++ b/f\n@@ -1,10 +1,8 @@\n 1\n 2\n-3\n 4\n 5\n 6\n 7\n-8\n 9\n 10\n";
        QTest::newRow("new file") << QByteArray() << QByteArray("a\n")
                                  << "--- a/f\n+++ b/f\n@@ -0,0 +1 @@\n+a\n";
        QTest::newRow("no line feed at the end")
            << QByteArray("a\nb") << QByteArray("a\nb\n")
            << "--- a/f\n+++ b/f\n@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b\n";
        QTest::newRow("binary") << QByteArray("a\0b", 3) << QByteArray("a")
                                << "Binary files a/f and b/f differ\n";
    }

    void diff()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, diff);
        QCOMPARE(unit::Diff::unified("f", before, after), diff);
    }

    // What the question lists as new or replaced is what Yes writes, and only
    // answers that can succeed are offered.
    void questionShowsWhatYesWrites_data()
    {
        QTest::addColumn<bool>("outside"); // opened from outside the function block directory
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("buttons");
        QTest::addColumn<QString>("writtenTo"); // empty: in place
        QTest::newRow("own block, Yes") << false << "Yes"
                                        << "Yes,Cancel"
                                        << "";
        QTest::newRow("own block, Return is Yes") << false << "Return"
                                                  << "Yes,Cancel"
                                                  << "";
        QTest::newRow("block from elsewhere, Yes") << true << "Yes"
                                                   << "Yes,No,Cancel"
                                                   << "";
        QTest::newRow("block from elsewhere, No") << true << "No"
                                                  << "Yes,No,Cancel"
                                                  << "myblock.unit";
    }

    void questionShowsWhatYesWrites()
    {
        QFETCH(bool, outside);
        QFETCH(QString, answer);
        QFETCH(QString, buttons);
        QFETCH(QString, writtenTo);
        const QString dir = outside ? _home.path() + "/elsewhere/myblock.unit" : blocks() + "/myblock.unit";
        QVERIFY(generateAt(dir));
        unit::Registry::singleton()->refresh();
        TestHome::writeFile(dir + "/plugin/CMakeLists.txt", "# mine\n");
        const QMap<QString, QString> before = stamps(dir);

        unit::Designer designer;
        DesignerParts form(&designer);
        QVERIFY(designer.open(dir + "/unit.xml"));
        DesignerParts::type(form.guiName(), "Other Name");
        ModalAnswerer answerer({ answer, "OK" });
        QTest::mouseClick(form.generate(), Qt::LeftButton);
        QCOMPARE(answerer.seen.size(), 2);
        QVERIFY2(answerer.seen[0].endsWith('|' + buttons), qPrintable(answerer.seen[0]));
        const QString target = writtenTo.isEmpty() ? dir : blocks() + '/' + writtenTo;
        QVERIFY2(
            answerer.seen[1].endsWith(" in " + target + "|OK,Open Folder"), qPrintable(answerer.seen[1]));

        QStringList details = answerer.details[0].split('\n');
        if (outside) {
            QCOMPARE(details.takeFirst(),
                "Yes regenerates the function block in " + dir + ". No generates it in a new directory below "
                    + blocks() + ", as a new function block.");
            QCOMPARE(details.takeFirst(), QString());
        }
        QStringList listed;
        for (const QString& line : details.mid(0, details.indexOf(QString())))
            listed << line.section(": ", 1) + ' ' + line.section(": ", 0, 0);
        QStringList expected = untouched;
        expected[0] = "replaced unit.xml";
        expected[1] = "replaced plugin/CMakeLists.txt";
        for (QString& line : expected)
            line = line.section(' ', 1) + ": " + line.section(' ', 0, 0);
        QCOMPARE(details.mid(0, expected.size()),
            expected.replaceInStrings(": kept", ": kept (C++ files are never overwritten)"));
        QVERIFY(answerer.details[0].contains("\n--- a/unit.xml\n+++ b/unit.xml\n@@ "));
        QVERIFY(answerer.details[0].contains(
            "\n--- a/plugin/CMakeLists.txt\n+++ b/plugin/CMakeLists.txt\n@@ -1 +1,8 @@\n-# mine\n"));

        const QStringList paths = changed(before, stamps(dir));
        QCOMPARE(
            paths, answer != "No" ? QStringList({ "plugin/CMakeLists.txt", "unit.xml" }) : QStringList());
        if (answer == "No")
            QVERIFY(QFileInfo::exists(blocks() + "/myblock.unit/plugin/simulation/main.cpp"));
    }

    void successOpensTheFolder()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        const QString dir = _home.path() + QString::fromUtf8("/ä b/myblock.unit");
        QVERIFY(generateAt(dir));
        unit::Designer designer;
        DesignerParts form(&designer);
        QVERIFY(designer.open(dir + "/unit.xml"));
        ModalAnswerer answerer({ "Yes", "Open Folder" });
        QTest::mouseClick(form.generate(), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(answerer.seen.size(), 2);
        QCOMPARE(catcher.urls, QList<QUrl> { QUrl::fromLocalFile(dir) });
    }

    // Each option runs as a program of its own, without a display or a
    // platform, with an empty home: nothing is written but the block's files.
    void optionsRunWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments"); // BLOCK: the block's unit.xml, DEVICE: a device file
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err"); // the start of standard error
        QTest::addColumn<QStringList>("written");

        const QString all = untouched.join('\n') + '\n';
        QTest::newRow("regenerate, nothing changed")
            << QStringList { "--regenerate", "BLOCK" } << "" << 0 << all << "" << QStringList();
        QTest::newRow("regenerate, build script edited")
            << QStringList { "--regenerate", "BLOCK" } << "edit" << 0
            << QString(all).replace("unchanged plugin/CMakeLists.txt", "replaced plugin/CMakeLists.txt") << ""
            << QStringList { "plugin/CMakeLists.txt" };
        QTest::newRow("regenerate would drop")
            << QStringList { "--regenerate", "BLOCK" } << "comment" << 1 << ""
            << "BLOCK holds more than the form can show. Generating this "
               "function block again would drop:\n- comments\n"
            << QStringList();
        QTest::newRow("regenerate with --force")
            << QStringList { "--force", "--regenerate", "BLOCK" } << "comment" << 0
            << QString(all).replace("unchanged unit.xml", "replaced unit.xml") << ""
            << QStringList { "unit.xml" };
        QTest::newRow("regenerate no unit") << QStringList { "--regenerate", "DEVICE" } << "" << 1 << ""
                                            << "The file DEVICE describes no function block.\n"
                                            << QStringList();
        QTest::newRow("check, block missing")
            << QStringList { "--check-device", "DEVICE" } << "" << 1
            << "missing ACME My Block at Root\nmissing Gone at Root/Sub dir\n"
            << "" << QStringList();
        QTest::newRow("check, block installed") << QStringList { "--check-device", "DEVICE" } << "install"
                                                << 1 << "missing Gone at Root/Sub dir\n"
                                                << "" << QStringList();
        QTest::newRow("check, nothing missing")
            << QStringList { "--check-device", "DEVICE" } << "install only" << 0 << ""
            << "" << QStringList();
        QTest::newRow("check, no device") << QStringList { "--check-device", "BLOCK" } << "" << 2 << ""
                                          << "The file BLOCK is not a device file.\n"
                                          << QStringList();
        QTest::newRow("check, the user's device missing") << QStringList { "--check-device" } << "" << 2 << ""
                                                          << "The device file HOME/Ostrel/Velmora2/devices/"
                                                             "MyFunctionBlocks/device.xml cannot be read.\n"
                                                          << QStringList();
    }

    void optionsRunWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, setUp);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QStringList, written);
        const QString home = _home.path() + "/home";
        QVERIFY(QDir().mkpath(home));
        const QString dir = _home.path() + "/work/myblock.unit";
        QVERIFY(generateAt(dir));
        const QString device = _home.path() + "/work/device.xml";
        TestHome::writeFile(device,
            "<dev:device dev:id=\"Root\"><dev:units><dev:unit dev:type=\"ACME My Block\"/></dev:units>"
            "<dev:subdevices><dev:device dev:id=\"Sub dir\"><dev:units><dev:unit dev:type=\"Gone\"/>"
            "</dev:units></dev:device></dev:subdevices></dev:device>\n");
        if (setUp == "edit")
            TestHome::writeFile(dir + "/plugin/CMakeLists.txt", "# mine\n");
        if (setUp == "comment")
            TestHome::writeFile(dir + "/unit.xml", TestHome::readFile(dir + "/unit.xml") + "<!-- mine -->\n");
        if (setUp.startsWith("install"))
            QVERIFY(generateAt(home + "/Ostrel/Velmora2/units/MyFunctionBlocks/myblock.unit"));
        if (setUp == "install only")
            TestHome::writeFile(device,
                "<dev:device dev:id=\"Root\"><dev:units><dev:unit dev:type=\"ACME My Block\"/>"
                "</dev:units></dev:device>\n");
        arguments.replaceInStrings("BLOCK", dir + "/unit.xml").replaceInStrings("DEVICE", device);
        const QMap<QString, QString> before = stamps(_home.path());

        QProcess program;
        QProcessEnvironment env;
        env.insert("HOME", home);
        env.insert("PATH", qEnvironmentVariable("PATH"));
        env.insert("LANG", "C.UTF-8");
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(home);
        program.start(FBM_PROGRAM, arguments);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        const QString stdErr = QString::fromUtf8(program.readAllStandardError())
                                   .replace(dir + "/unit.xml", "BLOCK")
                                   .replace(device, "DEVICE")
                                   .replace(home, "HOME");
        QVERIFY2(stdErr.left(err.size()) == err && err.isEmpty() == stdErr.isEmpty(), qPrintable(stdErr));
        QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()), out);
        QCOMPARE(program.exitCode(), exitCode);
        QStringList expected;
        for (const QString& path : written)
            expected << "work/myblock.unit/" + path;
        QCOMPARE(changed(before, stamps(_home.path())), expected);
    }
};

FBM_TEST_MAIN(RegenerationTest)
#include "tst_regeneration.moc"
