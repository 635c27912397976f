#include "support/ChildProcess.h"
#include "support/ExampleBlock.h"
#include "support/ModalAnswerer.h"
#include "support/TestMain.h"

#include "app/MainWindow.h"
#include "device/Model.h"
#include "device/View.h"
#include "fs/Directory.h"
#include "fs/File.h"
#include "fs/UserPaths.h"
#include "unit/Exception.h"
#include "unit/Generator.h"
#include "unit/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// Saves, generation and start-up under real faults: a full disk (a child
// process whose files may not grow), FIFOs, sparse files, links, a second
// window saving the same file. Nothing the user had may be lost, and no
// failure may pass for a success.

namespace {

const QByteArray sensorsDevice
    = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<dev:device dev:id=\"MyFuncBlocks\"><dev:subdevices><dev:device dev:id=\"Sensors\">"
      "<dev:units><dev:unit dev:type=\"fb_a\"/></dev:units></dev:device></dev:subdevices>"
      "<dev:units><dev:unit dev:type=\"fb_b\"/></dev:units></dev:device>\n";

QString devicePath()
{
    return fs::UserPaths::deviceFile();
}

QString saveError(const QString& path)
{
    return "Critical|Error|Unable to save the device to " + path + ".|OK";
}

const QString saveQuestion
    = QStringLiteral("Question|Save changes|The device has been changed. Save changes?|Yes,No,Cancel");

QString changedQuestion()
{
    return "Question|Device changed on disk|The device file " + devicePath()
        + " was changed by another program since it was loaded. Replace it with the device shown "
          "here?|Yes,No";
}

// Every entry of a directory, hidden ones too: a failed write leaves no
// temporary file behind.
QStringList entriesOf(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

ino_t inodeOf(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// What the user set on a file, which a save must keep: whether its name is a
// link, its number of names, owner, group, mode, extended attributes and ACL.
QString settingsOf(const QString& path)
{
    struct stat link, file;
    if (::lstat(QFile::encodeName(path).constData(), &link) != 0
        || ::stat(QFile::encodeName(path).constData(), &file) != 0)
        return {};
    QProcess attributes;
    attributes.start("getfattr", { "--absolute-names", "-d", "-m", "-", "-e", "hex", path });
    attributes.waitForFinished();
    return QStringLiteral("link %1, %2 names, %3:%4, mode %5\n")
               .arg(S_ISLNK(link.st_mode))
               .arg(file.st_nlink)
               .arg(file.st_uid)
               .arg(file.st_gid)
               .arg(file.st_mode & 07777, 0, 8)
        + attributes.readAllStandardOutput();
}

// The program for a user who may not reach the build tree (a checkout below
// /root): a copy in a directory everyone can enter.
QString reachableProgram(const QTemporaryDir& dir)
{
    const QString copy = dir.path() + "/fbmanager";
    if (!QFileInfo::exists(copy))
        QFile::copy(FBM_PROGRAM, copy);
    QFile::setPermissions(dir.path(), QFile::Permissions(0x7755));
    QFile::setPermissions(copy, QFile::Permissions(0x7755));
    return copy;
}

// Sets a file's modification time to long before this run.
bool makeOld(const QByteArray& path)
{
    const struct timespec times[2] = { { 0, 0 }, { 0, 0 } };
    return ::utimensat(AT_FDCWD, path.constData(), times, 0) == 0;
}

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

device::Model* modelOf(const MainWindow& window)
{
    return qobject_cast<device::Model*>(window.findChild<device::View*>()->model());
}

void save(const MainWindow& window)
{
    const auto buttons = window.findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        if (button->text() == QLatin1String("Save"))
            button->click();
    }
}

QString statusOf(const MainWindow& window)
{
    return window.findChild<QStatusBar*>()->currentMessage();
}

void edit(const MainWindow& window)
{
    device::Model* model = modelOf(window);
    model->addDirectory(model->root());
}

} // namespace

class DiskFaultsTest : public QObject
{
    Q_OBJECT

private:
    TestHome _home;

    QString unitDir() const { return _home.path() + "/Ostrel/Velmora2/units/MyFunctionBlocks/myblock.unit"; }

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName("KIV GmbH");
        QCoreApplication::setApplicationName("Velmora 2");
    }

    void init()
    {
        _home.reset();
        unit::Registry::singleton()->refresh();
    }

    void writeOnAFullDiskLeavesTheOldFileOrNothing()
    {
        const QString dir = _home.path() + "/w";
        TestHome::writeFile(dir + "/old.txt", "old");
        const QByteArray big(64 * 1024, 'x');
        QVERIFY(ChildProcess::run([&] {
            ChildProcess::fillDiskAt(4096);
            return !fs::writeFile(dir + "/old.txt", big).ok()
                && !fs::writeFile(dir + "/new.txt", big, fs::Existing::Keep).ok();
        }));
        QCOMPARE(TestHome::readFile(dir + "/old.txt"), QByteArray("old"));
        QCOMPARE(entriesOf(dir), QStringList { "old.txt" });
    }

    void writeReplacesTheEntryNotWhatItLeadsTo()
    {
        const QString dir = _home.path() + "/w";
        TestHome::writeFile(dir + "/private.txt", "old");
        QVERIFY(QFile::setPermissions(dir + "/private.txt", QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(fs::writeFile(dir + "/private.txt", "new").ok());
        QCOMPARE(TestHome::readFile(dir + "/private.txt"), QByteArray("new"));
        QCOMPARE(QFileInfo(dir + "/private.txt").permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);

        TestHome::writeFile(dir + "/elsewhere.txt", "theirs");
        QVERIFY(QFile::link(dir + "/elsewhere.txt", dir + "/link.txt"));
        QVERIFY(fs::writeFile(dir + "/link.txt", "mine").ok());
        QVERIFY(QFileInfo(dir + "/link.txt").isSymLink());
        QCOMPARE(TestHome::readFile(dir + "/elsewhere.txt"), QByteArray("mine"));

        // Keep never replaces anything, not even a dangling link.
        QVERIFY(QFile::link(dir + "/nowhere", dir + "/dangling"));
        QCOMPARE(
            fs::writeFile(dir + "/private.txt", "x", fs::Existing::Keep).status, fs::WriteResult::Exists);
        QCOMPARE(fs::writeFile(dir + "/dangling", "x", fs::Existing::Keep).status, fs::WriteResult::Exists);
        QCOMPARE(TestHome::readFile(dir + "/private.txt"), QByteArray("new"));
        QCOMPARE(entriesOf(dir), QStringList({ "dangling", "elsewhere.txt", "link.txt", "private.txt" }));
        // The temporary name never grows with the name: one as long as a name can be.
        const QString longest = dir + "/" + QString(255, 'n');
        QVERIFY(fs::writeFile(longest, "x", fs::Existing::Keep).ok() && fs::writeFile(longest, "y").ok());
        QVERIFY(QFile::remove(longest));
        // Replace gives a dangling link its target.
        QVERIFY(fs::writeFile(dir + "/dangling", "x").ok());
        QCOMPARE(TestHome::readFile(dir + "/nowhere"), QByteArray("x"));
        QVERIFY(QFileInfo(dir + "/dangling").isSymLink());
    }

    void replacementKeepsWhatTheUserSet_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("status");
        QTest::newRow("plain file") << "plain" << int(fs::WriteResult::Ok);
        QTest::newRow("link into another directory") << "link" << int(fs::WriteResult::Ok);
        QTest::newRow("chain of relative links") << "chain" << int(fs::WriteResult::Ok);
        QTest::newRow("second hard link") << "hard link" << int(fs::WriteResult::Ok);
        QTest::newRow("second hard link, disk full") << "hard link, full" << int(fs::WriteResult::Failed);
        QTest::newRow("another owner, shared group, 0660") << "group" << int(fs::WriteResult::Ok);
        QTest::newRow("saved by a group member, not the owner") << "member" << int(fs::WriteResult::Ok);
        QTest::newRow("ACL entry") << "acl" << int(fs::WriteResult::Ok);
        QTest::newRow("user attribute") << "attribute" << int(fs::WriteResult::Ok);
        QTest::newRow("write-protected") << "read-only" << int(fs::WriteResult::ReadOnly);
    }

    void replacementKeepsWhatTheUserSet()
    {
        QFETCH(QString, setup);
        QFETCH(int, status);
        const QString dir = _home.path() + "/w";
        const QString real = _home.path() + "/repository/device.xml";
        const QString file = dir + "/device.xml";
        const bool root = ::geteuid() == 0;
        if ((setup == "group" || setup == "member") && !root)
            QSKIP("giving a file to another user needs root");
        QVERIFY(QDir().mkpath(dir));
        TestHome::writeFile(setup == "link" || setup == "chain" ? real : file, "old");
        if (setup == "link") {
            QVERIFY(QFile::link(real, file));
        } else if (setup == "chain") {
            QVERIFY(QFile::link("../repository/device.xml", dir + "/step"));
            QVERIFY(QFile::link("step", file));
        } else if (setup.startsWith("hard link")) {
            QCOMPARE(
                ::link(QFile::encodeName(file).constData(), QFile::encodeName(dir + "/other").constData()),
                0);
        } else if (setup == "group" || setup == "member") {
            // The group member is nobody, in nogroup; the owner is someone else.
            QCOMPARE(::chown(QFile::encodeName(file).constData(), setup == "group" ? 65534 : 0, 65534), 0);
            QVERIFY(QFile::setPermissions(
                file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup));
            for (const QString& path : { _home.path(), dir })
                QVERIFY(QFile::setPermissions(path, QFile::Permissions(0x7755)));
            QCOMPARE(::chown(QFile::encodeName(dir).constData(), 65534, 65534), 0);
        } else if (setup == "acl") {
            if (!run("setfacl", { "-m", "u:nobody:rw", file }))
                QSKIP("needs setfacl and a file system with ACLs");
        } else if (setup == "attribute") {
            if (::setxattr(QFile::encodeName(file).constData(), "user.origin", "repository", 10, 0) != 0)
                QSKIP("needs a file system with user attributes");
        } else if (setup == "read-only") {
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
        }
        const QString before = settingsOf(file);
        const QStringList entries = entriesOf(dir) + entriesOf(QFileInfo(real).path());

        if (setup == "member") {
            QVERIFY(ChildProcess::run([&] {
                return ::setgid(65534) == 0 && ::setuid(65534) == 0 && fs::writeFile(file, "new").ok();
            }));
        } else if (setup.endsWith("full")) {
            // Written in place, the file must get its old bytes back.
            QVERIFY(ChildProcess::run([&] {
                ChildProcess::fillDiskAt(4096);
                return fs::writeFile(file, QByteArray(64 * 1024, 'n')).error == EFBIG;
            }));
        } else {
            const fs::WriteResult result = fs::writeFile(file, "new");
            QCOMPARE(int(result.status), status);
            QCOMPARE(result.error, result.ok() ? 0 : EACCES);
        }
        QCOMPARE(TestHome::readFile(file), QByteArray(status == fs::WriteResult::Ok ? "new" : "old"));
        QCOMPARE(settingsOf(file), before);
        QCOMPARE(entriesOf(dir) + entriesOf(QFileInfo(real).path()), entries);
        if (setup.startsWith("hard link"))
            QCOMPARE(TestHome::readFile(dir + "/other"), TestHome::readFile(file));
    }

    void crashMidWriteLeavesNoName_data()
    {
        QTest::addColumn<QString>("write");
        QTest::newRow("replacing a file") << "replace";
        QTest::newRow("a new file") << "new";
        QTest::newRow("a template copy") << "copy";
    }

    void crashMidWriteLeavesNoName()
    {
        QFETCH(QString, write);
        const QString dir = _home.path() + "/w";
        TestHome::writeFile(dir + "/device.xml", "old");
        TestHome::writeFile(_home.path() + "/template/big.bin", QByteArray(256 * 1024, 'b'));
        // The file-size limit ends the writer in the middle of the write, as
        // kill -9 would.
        QVERIFY(!ChildProcess::run([&] {
            const rlimit limit { 64 * 1024, 64 * 1024 };
            ::signal(SIGXFSZ, SIG_DFL);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            if (write == "replace")
                fs::writeFile(dir + "/device.xml", QByteArray(256 * 1024, 'n'));
            else if (write == "new")
                fs::writeFile(dir + "/new.xml", QByteArray(256 * 1024, 'n'), fs::Existing::Keep);
            else
                fs::copyNewFile(
                    fs::Directory(_home.path() + "/template").fd(), "big.bin", fs::Directory(dir).fd());
            return true;
        }));
        QCOMPARE(entriesOf(dir), QStringList { "device.xml" });
        QCOMPARE(TestHome::readFile(dir + "/device.xml"), QByteArray("old"));
    }

    void keepCopyAcrossFileSystemsCopiesWholeOrNothing()
    {
        QTemporaryDir other(QStringLiteral("/dev/shm/fbm-XXXXXX"));
        struct stat here, there;
        if (!other.isValid() || ::stat(QFile::encodeName(_home.path()).constData(), &here) != 0
            || ::stat(QFile::encodeName(other.path()).constData(), &there) != 0
            || here.st_dev == there.st_dev)
            QSKIP("needs a second file system in /dev/shm");
        // No hard link reaches another file system: the bytes are copied.
        const QString file = _home.path() + "/device.xml";
        TestHome::writeFile(file, QByteArray(64 * 1024, 'd'));
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(ChildProcess::run([&] {
            ChildProcess::fillDiskAt(4096);
            return !fs::keepCopy(file, other.path() + "/device.xml.bak").ok();
        }));
        QCOMPARE(entriesOf(other.path()), QStringList());
        QVERIFY(fs::keepCopy(file, other.path() + "/device.xml.bak").ok());
        QCOMPARE(TestHome::readFile(other.path() + "/device.xml.bak"), QByteArray(64 * 1024, 'd'));
        QCOMPARE(QFileInfo(other.path() + "/device.xml.bak").permissions() & 0x0777,
            QFile::ReadUser | QFile::WriteUser);
    }

    void deviceSaveOnAFullDisk()
    {
        TestHome::writeFile(devicePath(), sensorsDevice);
        QVERIFY(ChildProcess::run([] {
            MainWindow window;
            window.show();
            edit(window);
            ChildProcess::fillDiskAt(sensorsDevice.size());
            QStringList seen;
            {
                ModalAnswerer answerer({ "OK" });
                save(window);
                seen = answerer.seen;
            }
            // Close, Yes: the save fails again and the window stays open.
            ModalAnswerer closing({ "Yes", "OK" });
            const bool closed = window.close();
            const bool ok = seen == QStringList { saveError(devicePath()) }
                && closing.seen == QStringList({ saveQuestion, saveError(devicePath()) }) && !closed
                && modelOf(window)->isChanged() && statusOf(window).isEmpty();
            if (!ok)
                qWarning() << seen << closing.seen << closed;
            return ok;
        }));
        QCOMPARE(TestHome::readFile(devicePath()), sensorsDevice);
        QCOMPARE(entriesOf(QFileInfo(devicePath()).path()), QStringList { "device.xml" });
    }

    void changedOnDiskAsksBeforeReplacing_data()
    {
        QTest::addColumn<bool>("existedAtStart");
        QTest::addColumn<QString>("answer");
        QTest::newRow("changed, yes") << true << "Yes";
        QTest::newRow("changed, no") << true << "No";
        QTest::newRow("created meanwhile, no") << false << "No";
    }

    void changedOnDiskAsksBeforeReplacing()
    {
        QFETCH(bool, existedAtStart);
        QFETCH(QString, answer);
        if (existedAtStart)
            TestHome::writeFile(devicePath(), sensorsDevice);
        else
            QDir().mkpath(QFileInfo(devicePath()).path());

        MainWindow mine;
        mine.show();
        {
            // A second copy of the program saves first; it asks nothing.
            MainWindow theirs;
            edit(theirs);
            edit(theirs);
            ModalAnswerer answerer;
            save(theirs);
            QCOMPARE(answerer.seen, QStringList());
        }
        const QByteArray theirBytes = TestHome::readFile(devicePath());

        edit(mine);
        {
            ModalAnswerer answerer({ answer });
            save(mine);
            QCOMPARE(answerer.seen, QStringList { changedQuestion() });
            QCOMPARE(answerer.parents, QList<QWidget*> { &mine });
        }
        if (answer == "Yes") {
            QCOMPARE(TestHome::readFile(devicePath()), modelOf(mine)->xml());
            QVERIFY(!modelOf(mine)->isChanged());
            // What was saved is the new state: the next save asks nothing.
            edit(mine);
            ModalAnswerer answerer;
            save(mine);
            QCOMPARE(answerer.seen, QStringList());
            QCOMPARE(TestHome::readFile(devicePath()), modelOf(mine)->xml());
            return;
        }
        QCOMPARE(TestHome::readFile(devicePath()), theirBytes);
        QVERIFY(statusOf(mine).isEmpty());
        if (!existedAtStart)
            return; // no device root to edit
        QVERIFY(modelOf(mine)->isChanged());
        // No on closing keeps the window open, and the device changed.
        ModalAnswerer answerer({ "Yes", "No" });
        QVERIFY(!mine.close());
        QCOMPARE(answerer.seen, QStringList({ saveQuestion, changedQuestion() }));
        QVERIFY(mine.isVisible());
        QCOMPARE(TestHome::readFile(devicePath()), theirBytes);
    }

    void sameBytesWrittenAgainAreNoChange()
    {
        TestHome::writeFile(devicePath(), sensorsDevice);
        MainWindow window;
        const QDateTime later = QFileInfo(devicePath()).lastModified().addSecs(10);
        {
            QFile file(devicePath());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(later, QFileDevice::FileModificationTime));
        }
        edit(window);
        ModalAnswerer answerer;
        save(window);
        QCOMPARE(answerer.seen, QStringList());
        QCOMPARE(statusOf(window), "Saved 4 entries to " + devicePath());
    }

    void unloadableDeviceIsKeptBeforeTheFirstSave_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        const QString unreadable = " could not be read and was not loaded.";
        QTest::newRow("not a device") << "garbage" << unreadable;
        QTest::newRow("FIFO") << "fifo" << unreadable;
        QTest::newRow("sparse, 1 GiB + 1 byte") << "sparse"
                                                << " is larger than 1 GiB and was not loaded.";
    }

    void unloadableDeviceIsKeptBeforeTheFirstSave()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QDir().mkpath(QFileInfo(devicePath()).path());
        const QByteArray name = QFile::encodeName(devicePath());
        if (kind == "garbage") {
            TestHome::writeFile(devicePath(), "<dev:device><unclosed>");
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(name.constData(), 0644), 0);
        } else {
            TestHome::writeFile(devicePath(), "");
            QCOMPARE(::truncate(name.constData(), fs::deviceFileLimit + 1), 0);
        }
        TestHome::writeFile(devicePath() + ".bak", "an older backup");
        const ino_t inode = inodeOf(devicePath());

        ModalAnswerer answerer({ "OK" });
        MainWindow window;
        QCOMPARE(answerer.seen,
            QStringList { "Warning|Device not loaded|The device file " + devicePath() + reason
                + " It will be kept as " + devicePath() + ".bak.1 when the device is saved.|OK" });
        QCOMPARE(answerer.parents, QList<QWidget*> { &window });
        // An empty root to work on.
        device::Model* model = modelOf(window);
        QCOMPARE(model->root().data().toString(), QString("MyFuncBlocks"));
        QCOMPARE(model->rowCount(model->root()), 0);
        QVERIFY(!model->isChanged());

        save(window);
        QCOMPARE(answerer.seen.size(), 1);
        // Kept by a second name, not by a copy: a huge file costs nothing.
        // The older backup stays.
        QCOMPARE(inodeOf(devicePath() + ".bak.1"), inode);
        QCOMPARE(TestHome::readFile(devicePath() + ".bak"), QByteArray("an older backup"));
        QCOMPARE(TestHome::readFile(devicePath()), model->xml());
        QCOMPARE(statusOf(window), "Saved 0 entries to " + devicePath());

        // Only the first save keeps it.
        QVERIFY(QFile::remove(devicePath() + ".bak.1"));
        save(window);
        QVERIFY(!QFileInfo::exists(devicePath() + ".bak.1"));
    }

    void deviceSaveRefusesWhatItMayNotReplace_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("write-protected device file") << "read-only";
        QTest::newRow("directory at the device's name") << "directory";
        QTest::newRow("another window is saving") << "locked";
    }

    void deviceSaveRefusesWhatItMayNotReplace()
    {
        QFETCH(QString, obstacle);
        const QString dir = QFileInfo(devicePath()).path();
        if (obstacle == "directory")
            TestHome::writeFile(devicePath() + "/mine.txt", "mine");
        else
            TestHome::writeFile(devicePath(), sensorsDevice);
        if (obstacle == "read-only")
            QVERIFY(QFile::setPermissions(devicePath(), QFile::ReadOwner | QFile::ReadGroup));
        // The other window is a second process holding the lock.
        QProcess other;
        if (obstacle == "locked") {
            other.start("flock", { "-x", dir, "sh", "-c", "echo locked; cat" });
            QVERIFY(other.waitForReadyRead());
        }
        ModalAnswerer answerer({ "OK", "OK" });
        MainWindow window;
        edit(window);
        save(window);
        QCOMPARE(answerer.seen.constLast(), saveError(devicePath()));
        QVERIFY(modelOf(window)->isChanged());
        if (obstacle == "directory")
            QCOMPARE(TestHome::readFile(devicePath() + "/mine.txt"), QByteArray("mine"));
        else
            QCOMPARE(TestHome::readFile(devicePath()), sensorsDevice);
        other.closeWriteChannel();
        other.waitForFinished();
    }

    void saveLargerThanTheLoadLimitIsRefused()
    {
        // Indentation makes the written file grow with the square of the
        // depth: 10,500 nested directories load from 700 KB and would be
        // written as more than 1 GiB.
        const int depth = 10500;
        QByteArray content = "<dev:device dev:id=\"MyFuncBlocks\">";
        for (int i = 0; i < depth; ++i)
            content += "<dev:subdevices><dev:device dev:id=\"d\">";
        for (int i = 0; i < depth; ++i)
            content += "</dev:device></dev:subdevices>";
        content += "</dev:device>";
        TestHome::writeFile(devicePath(), content);

        QVERIFY(ChildProcess::run([] {
            MainWindow window;
            edit(window);
            ModalAnswerer answerer({ "OK" });
            save(window);
            if (answerer.seen != QStringList { saveError(devicePath()) })
                qWarning() << answerer.seen;
            return answerer.seen == QStringList { saveError(devicePath()) } && modelOf(window)->isChanged();
        }));
        QCOMPARE(TestHome::readFile(devicePath()), content);
    }

    void generationOnAFullDiskIsFinishedByARetry()
    {
        // A long name makes the class files the largest files of the project,
        // so a disk full at their size fails on them after unit.xml and the
        // scripts were written.
        const auto block = [] {
            unit::Generator g(true);
            g.setVendor("ACME");
            g.setName("Long " + QString(230, 'n'));
            g.setId("ACME Long");
            g.setGuiName("Long");
            g.setPluginBaseName("long");
            return g;
        };
        const unit::Generator texts = block();
        QByteArray header, source;
        const QString className = texts.unitSimClass(header, source);
        const qint64 room = qMax(qMax(texts.unitXml().size(), texts.unitCMakeScript().size()),
            qMax(texts.unitSimCMakeScript().size(), texts.unitGuiCMakeScript().size()));
        QVERIFY(room < header.size());
        const QString dir = _home.path() + "/Ostrel/Velmora2/units/MyFunctionBlocks/long" + QString(230, 'n')
            + ".unit/plugin/simulation/";

        QVERIFY(ChildProcess::run([&] {
            unit::Generator g = block();
            ChildProcess::fillDiskAt(room);
            QString message;
            return generateCode(g, false, &message) == Exception::WriteFailed
                && message == dir + className + ".h";
        }));
        QCOMPARE(entriesOf(dir), QStringList { "CMakeLists.txt" });

        unit::Generator g = block();
        QCOMPARE(generateCode(g, true), 0);
        QCOMPARE(TestHome::readFile(dir + "main.cpp"), texts.unitSimMainCpp());
        QCOMPARE(TestHome::readFile(dir + className + ".h"), header);
        QCOMPARE(TestHome::readFile(dir + className + ".cpp"), source);
        QVERIFY(QFileInfo::exists(dir + "../gui/" + className + ".h"));
    }

    void overwriteOnAFullDiskKeepsTheOldFiles()
    {
        TestHome::writeFile(_home.path() + "/block.png", QByteArray(4096, 'i'));
        unit::Generator first = exampleBlock(true, _home.path() + "/block.png");
        QCOMPARE(generateCode(first, false), 0);
        const QByteArray unitXml = TestHome::readFile(unitDir() + "/unit.xml");
        TestHome::writeFile(_home.path() + "/block.png", QByteArray(8192, 'j'));

        QString message;
        QVERIFY(ChildProcess::run([&] {
            unit::Generator g = exampleBlock(true, _home.path() + "/block.png");
            g.setGuiName("Renamed");
            ChildProcess::fillDiskAt(100);
            return generateCode(g, true, &message) == Exception::WriteFailed
                && message == unitDir() + "/icons/block.png";
        }));
        QCOMPARE(TestHome::readFile(unitDir() + "/icons/block.png"), QByteArray(4096, 'i'));

        QVERIFY(ChildProcess::run([&] {
            unit::Generator g = exampleBlock();
            g.setGuiName("Renamed");
            ChildProcess::fillDiskAt(100);
            return generateCode(g, true, &message) == Exception::WriteFailed
                && message == unitDir() + "/unit.xml";
        }));
        QCOMPARE(TestHome::readFile(unitDir() + "/unit.xml"), unitXml);
        QCOMPARE(entriesOf(unitDir()), QStringList({ "icons", "plugin", "unit.xml" }));
    }

    void writeProtectedGeneratedFileIsNotReplaced()
    {
        unit::Generator first = exampleBlock();
        QCOMPARE(generateCode(first, false), 0);
        const QByteArray unitXml = TestHome::readFile(unitDir() + "/unit.xml");
        QVERIFY(QFile::setPermissions(unitDir() + "/unit.xml", QFile::ReadOwner | QFile::ReadGroup));
        unit::Generator g = exampleBlock();
        g.setGuiName("Renamed");
        QString message;
        QCOMPARE(generateCode(g, true, &message), int(Exception::WriteFailed));
        QCOMPARE(message, unitDir() + "/unit.xml");
        QCOMPARE(TestHome::readFile(unitDir() + "/unit.xml"), unitXml);
    }

    void linksInTheUnitDirectoryAreNeverWrittenThrough_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("toDirectory");
        QTest::newRow("plugin/") << "plugin" << true;
        QTest::newRow("plugin/simulation/") << "plugin/simulation" << true;
        QTest::newRow("plugin/gui/") << "plugin/gui" << true;
        QTest::newRow("icons/") << "icons" << true;
        QTest::newRow("unit.xml") << "unit.xml" << false;
        QTest::newRow("plugin/CMakeLists.txt") << "plugin/CMakeLists.txt" << false;
    }

    void linksInTheUnitDirectoryAreNeverWrittenThrough()
    {
        QFETCH(QString, link);
        QFETCH(bool, toDirectory);
        const QString outside = _home.path() + "/outside";
        QVERIFY(QDir().mkpath(outside + "/dir"));
        TestHome::writeFile(outside + "/file", "theirs");
        QVERIFY(QDir().mkpath(QFileInfo(unitDir() + "/" + link).path()));
        QVERIFY(QFile::link(outside + (toDirectory ? "/dir" : "/file"), unitDir() + "/" + link));
        TestHome::writeFile(_home.path() + "/block.png", "icon");

        unit::Generator g = exampleBlock(true, _home.path() + "/block.png");
        QString message;
        QCOMPARE(generateCode(g, true, &message), int(Exception::WriteFailed));
        QCOMPARE(message, unitDir() + "/" + link);
        QCOMPARE(entriesOf(outside + "/dir"), QStringList());
        QCOMPARE(TestHome::readFile(outside + "/file"), QByteArray("theirs"));
        QVERIFY(QFileInfo(unitDir() + "/" + link).isSymLink());
    }

    void windowSettingsThatAreNoFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("sparse, 1 TiB") << "sparse";
    }

    void windowSettingsThatAreNoFiles()
    {
        QFETCH(QString, kind);
        const QByteArray settings = QFile::encodeName(_home.path() + "/.config/KIV GmbH/Velmora 2.conf");
        QVERIFY(QDir().mkpath(_home.path() + "/.config/KIV GmbH"));
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(settings.constData(), 0644), 0);
        } else {
            TestHome::writeFile(QFile::decodeName(settings), "[MainWindow]\ncurrentTab=1\n");
            QCOMPARE(::truncate(settings.constData(), qint64(1) << 40), 0);
        }
        struct stat before, after;
        QCOMPARE(::stat(settings.constData(), &before), 0);
        {
            MainWindow window;
            window.show();
            QCOMPARE(window.findChild<QTabWidget*>()->currentIndex(), 0);
            QVERIFY(window.close());
        }
        QCOMPARE(::stat(settings.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        QCOMPARE(after.st_size, before.st_size);
    }

    void programEndsWithItsError_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        const QString full = "fbmanager: write error: No space left on device";
        QTest::newRow("--help into a full disk") << QStringList { "--help" } << "full" << full;
        QTest::newRow("--version into a full disk") << QStringList { "--version" } << "full" << full;
        QTest::newRow("no HOME, no passwd entry")
            << QStringList() << "homeless"
            << "fbmanager: no home directory: HOME is not set and the user has none.";
    }

    void programEndsWithItsError()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        const uid_t stranger = 54321;
        if (fault == "homeless" && (::geteuid() != 0 || ::getpwuid(stranger)))
            QSKIP("needs root and a user id without a passwd entry");
        const QTemporaryDir bin;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LC_ALL", "C.UTF-8");
        if (fault == "full") {
            program.setStandardOutputFile("/dev/full");
        } else {
            env.remove("HOME");
            program.setChildProcessModifier([stranger] {
                if (::setgid(stranger) != 0 || ::setuid(stranger) != 0)
                    ::_exit(2);
            });
        }
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(bin.path());
        program.start(reachableProgram(bin), arguments);
        QVERIFY(program.waitForFinished());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(program.readAllStandardError()).trimmed(), message);
        QCOMPARE(entriesOf(bin.path()), QStringList { "fbmanager" });
    }

    void programStartsWhereTheUserIs_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("home directory not UTF-8") << "latin1";
        QTest::newRow("file-size limit below a template file") << "limit";
        QTest::newRow("temporary files of a crashed run") << "leftovers";
    }

    void programStartsWhereTheUserIs()
    {
        QFETCH(QString, setup);
        const QByteArray home = QFile::encodeName(_home.path()) + (setup == "latin1" ? "/J\xfcrgen" : "");
        const QByteArray data = home + "/Ostrel/Velmora2";
        const QByteArray devices = data + "/devices/MyFunctionBlocks";
        QByteArray merged = devices + "/device.xml";
        QVERIFY(QDir().mkpath(_home.path() + "/work"));
        QCOMPARE(::mkdir(home.constData(), 0755) == 0 || errno == EEXIST, true);
        QProcess holder;
        if (setup == "limit") {
            // Files of a directory are merged after its subdirectories.
            TestHome::writeFile(_home.path() + "/template/units/big.bin", QByteArray(256 * 1024, 'b'));
            TestHome::writeFile(_home.path() + "/template/last.txt", "last");
            TestHome::writeFile(_home.path() + "/velmora2/velmora2.ini",
                "userdir=" + QFile::encodeName(_home.path()) + "/template\n");
            merged = data + "/last.txt";
        } else if (setup == "leftovers") {
            for (const char* name :
                { "/.fbmanager-Stale1.tmp", "/.fbmanager-Held01.tmp", "/.device.xml.Ab12Cd" }) {
                TestHome::writeRawFile(devices + name, "partial");
                QVERIFY(makeOld(devices + name));
            }
            // A writer still at work holds its file locked.
            holder.start("flock",
                { "-x", QFile::decodeName(devices) + "/.fbmanager-Held01.tmp", "sh", "-c",
                    "echo locked; cat" });
            QVERIFY(holder.waitForReadyRead());
        }

        // The test's own environment (offscreen, the test's settings), with
        // HOME's raw bytes set in the child, which no QString could carry.
        QProcess program;
        program.setWorkingDirectory(_home.path() + "/work");
        program.setChildProcessModifier([home, setup] {
            ::setenv("HOME", home.constData(), 1);
            if (setup == "latin1")
                ::unsetenv("XDG_CONFIG_HOME");
            const rlimit limit { 64 * 1024, 64 * 1024 };
            if (setup == "limit")
                ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        program.start(FBM_PROGRAM, {});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(::access(merged.constData(), F_OK) == 0, 20000);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished();
        holder.closeWriteChannel();
        holder.waitForFinished();

        if (setup == "latin1") {
            QCOMPARE(
                ::access((QFile::encodeName(_home.path()) + "/J\xef\xbf\xbdrgen").constData(), F_OK), -1);
            QCOMPARE(::access((home + "/.config/KIV GmbH/Velmora 2.conf").constData(), F_OK), 0);
        } else if (setup == "limit")
            QCOMPARE(entriesOf(_home.path() + "/Ostrel/Velmora2/units"), QStringList());
        else
            QCOMPARE(entriesOf(QFile::decodeName(devices)),
                QStringList({ ".device.xml.Ab12Cd", ".fbmanager-Held01.tmp", "device.xml" }));
    }

    void startUpGetsPastBadSettings_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("settings file is a FIFO") << "settings fifo";
        QTest::newRow("ini file is a FIFO") << "ini fifo";
        QTest::newRow("settings directory is read-only") << "read-only";
        QTest::newRow("settings directory is a file") << "file";
    }

    void startUpGetsPastBadSettings()
    {
        QFETCH(QString, fault);
        const QString config = _home.path() + "/.config";
        const QString work = _home.path() + "/work";
        QVERIFY(QDir().mkpath(work));
        QVERIFY(QDir().mkpath(config + "/KIV GmbH"));
        bool asNobody = false;
        if (fault == "settings fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(config + "/KIV GmbH/Velmora 2.conf").constData(), 0644), 0);
        } else if (fault == "ini fifo") {
            QVERIFY(QDir().mkpath(_home.path() + "/velmora2"));
            QCOMPARE(
                ::mkfifo(QFile::encodeName(_home.path() + "/velmora2/velmora2.ini").constData(), 0644), 0);
        } else if (fault == "read-only") {
            QVERIFY(QDir(config).removeRecursively());
            QVERIFY(QDir().mkpath(config));
            // Root writes through any mode: the program runs as nobody then.
            asNobody = ::geteuid() == 0;
            if (asNobody) {
                for (const QString& path : { _home.path(), config, work })
                    QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
            }
            QVERIFY(QFile::setPermissions(config, QFile::ReadOwner | QFile::ExeOwner));
        } else {
            QVERIFY(QDir(config).removeRecursively());
            TestHome::writeFile(config, "not a directory");
        }

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", _home.path());
        env.insert("XDG_CONFIG_HOME", config);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(work);
        QString binary = FBM_PROGRAM;
        QTemporaryDir reachable;
        if (asNobody) {
            // The build tree may lie where nobody cannot reach it (a checkout
            // under /root): nobody runs a copy, with its template beside it.
            QVERIFY(QFile::setPermissions(reachable.path(),
                QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
            QVERIFY(QDir().mkpath(reachable.path() + "/bin"));
            const QString build = QFileInfo(FBM_PROGRAM).absolutePath() + "/..";
            binary = reachable.path() + "/bin/" + QFileInfo(FBM_PROGRAM).fileName();
            QCOMPARE(QProcess::execute("cp", { "-R", FBM_PROGRAM, binary }), 0);
            QCOMPARE(QProcess::execute("cp", { "-R", build + "/user", reachable.path() }), 0);
            program.setChildProcessModifier([] {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                    ::_exit(1);
            });
        }
        program.start(binary, {});
        QVERIFY(program.waitForStarted());
        // The template was merged: start-up got past the settings.
        const QString merged = _home.path() + "/Ostrel/Velmora2/units/Examples/sum.unit/unit.xml";
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(merged), 20000);
        program.kill();
        program.waitForFinished();
        if (fault == "read-only")
            QVERIFY(!QFileInfo::exists(config + "/KIV GmbH"));
    }
};

FBM_TEST_MAIN(DiskFaultsTest)
#include "tst_diskfaults.moc"
