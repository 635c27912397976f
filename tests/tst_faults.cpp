#include "support/TestMain.h"

#include "app/Startup.h"
#include "device/Model.h"
#include "unit/Registry.h"

#include "fs/File.h"

#include <QFile>
#include <QRandomGenerator>

#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

// Bad and huge files: each case must end (CTest limits the time) in bounded
// memory, report as the program reports (silently: no ids, no device), and
// lose nothing that is sound. The memory bound is loose enough for sanitizer
// builds.

namespace {

const qint64 memoryLimitMiB = 1500;
const int bigFileBytes = 50 * 1024 * 1024;

// Peak resident memory since the last reset, from the kernel's accounting.
class PeakMemory
{
public:
    static void reset()
    {
        QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
        if (clearRefs.open(QIODevice::WriteOnly))
            clearRefs.write("5");
    }

    static qint64 mib()
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
        }
        return 0;
    }
};

// Starts the memory account; check() verifies the bound. Time is left to
// CTest's limit on the whole program, so a hang still fails, and a slow
// machine does not.
class Bounds
{
public:
    Bounds() { PeakMemory::reset(); }

    bool check() const
    {
        const qint64 mib = PeakMemory::mib();
        if (mib < memoryLimitMiB)
            return true;
        qWarning("peak %lld MiB", mib);
        return false;
    }
};

QByteArray unitHead(const QByteArray& id)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<unit:unit xmlns:unit=\"http://schemas.kiv.example/schema/unit\">\n"
           "  <unit:unittypes>\n    <unit:unittype unit:id=\""
        + id + "\"/>\n  </unit:unittypes>\n";
}

// A well-formed unit file of about `size` bytes declaring `id`; `line` pads it.
QByteArray bigUnitFile(const QByteArray& id, const QByteArray& line, int size)
{
    QByteArray content = unitHead(id);
    content.reserve(size + 64);
    while (content.size() < size)
        content += line;
    return content + "</unit:unit>\n";
}

QByteArray billionLaughs(const QByteArray& root, const QByteArray& attribute)
{
    QByteArray dtd = "<?xml version=\"1.0\"?>\n<!DOCTYPE " + root + " [\n<!ENTITY lol0 \"lol\">\n";
    for (int i = 1; i < 10; ++i)
        dtd += "<!ENTITY lol" + QByteArray::number(i) + " \""
            + QByteArray("&lol" + QByteArray::number(i - 1) + ";").repeated(10) + "\">\n";
    return dtd + "]>\n<" + root + " " + attribute + "=\"&lol9;\"/>\n";
}

QByteArray garbage(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(9);
    for (char& c : bytes)
        c = static_cast<char>(generator.bounded(256));
    return bytes;
}

// Directories nested `depth` deep below the root, each named after its depth.
QByteArray deepDevice(int depth)
{
    QByteArray content = "<dev:device dev:id=\"root\">";
    for (int i = 0; i < depth; ++i)
        content += "<dev:subdevices><dev:device dev:id=\"d" + QByteArray::number(i) + "\">";
    content += "<dev:units><dev:unit dev:type=\"bottom\"/></dev:units>";
    for (int i = 0; i < depth; ++i)
        content += "</dev:device></dev:subdevices>";
    return content + "</dev:device>";
}

// Puts at path something that is not a regular file, or one too big to read.
bool makeNoFile(const QByteArray& kind, const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (kind == "fifo")
        return ::mkfifo(name.constData(), 0600) == 0;
    if (kind == "fifo-link") {
        const QByteArray fifo = name + ".fifo-elsewhere";
        return ::mkfifo(fifo.constData(), 0600) == 0 && ::symlink(fifo.constData(), name.constData()) == 0;
    }
    if (kind == "zero")
        return ::symlink("/dev/zero", name.constData()) == 0;
    if (kind == "socket") {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        if (size_t(name.size()) >= sizeof address.sun_path)
            return false;
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool ok = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return ok;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Sound unit files that declare "big", were they read.
    if (kind == "sparse")
        return file.write(unitHead("big") + "</unit:unit>\n") > 0 && file.resize(qint64(1) << 40);
    if (kind == "over-limit") {
        QByteArray content = bigUnitFile("big", " ", int(fs::unitFileLimit) - 13);
        content.insert(content.size() - 13, QByteArray(int(fs::unitFileLimit + 1 - content.size()), ' '));
        return content.size() == fs::unitFileLimit + 1 && file.write(content) == content.size();
    }
    return false;
}

// Every entry below root, links not followed.
QStringList entries(const QString& root)
{
    return TestHome::entriesBelow(root, QDir::AllEntries | QDir::System);
}

} // namespace

class FaultsTest : public QObject
{
    Q_OBJECT

private:
    TestHome _home;
    unit::Registry* _registry = unit::Registry::singleton();

    QString units() const { return _home.path() + "/Ostrel/Velmora2/units"; }

    // A sound unit beside the bad one, which must survive it.
    void writeUnitAndNeighbour(const QByteArray& content)
    {
        TestHome::writeFile(units() + "/bad.unit/unit.xml", content);
        TestHome::writeFile(units() + "/good.unit/unit.xml", unitHead("good") + "</unit:unit>\n");
    }

private slots:
    void init() { _home.reset(); }

    void badUnitFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("ids");
        const QByteArray line = "  <unit:variable unit:name=\"v\" unit:type=\"float\"/>\n";
        QTest::newRow("50 MB") << bigUnitFile("big", line, bigFileBytes) << QStringList { "big", "good" };
        // Non-ASCII text takes the general reader through the whole file.
        QTest::newRow("50 MB, not plain ASCII") << bigUnitFile("big", "  <unit:text>Grüße</unit:text>\n",
            bigFileBytes) << QStringList { "big", "good" };
        QTest::newRow("50 MB, end tag missing")
            << bigUnitFile("big", line, bigFileBytes).chopped(13) << QStringList { "good" };
        QByteArray deep = unitHead("deep");
        deep += QByteArray("<unit:x>").repeated(10000) + QByteArray("</unit:x>").repeated(10000);
        QTest::newRow("10,000 levels") << deep + "</unit:unit>" << QStringList { "deep", "good" };
        QTest::newRow("10,000 levels, one end tag missing")
            << deep.chopped(9) + "</unit:unit>" << QStringList { "good" };
        QTest::newRow("entity expansion") << billionLaughs("unit:unit", "unit:id") << QStringList { "good" };
        QTest::newRow("binary garbage") << garbage(1 << 20) << QStringList { "good" };
        QTest::newRow("garbage after a sound file")
            << unitHead("tail") + "</unit:unit>\n" + garbage(4096) << QStringList { "good" };
    }

    void badUnitFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, ids);
        writeUnitAndNeighbour(content);
        content.clear();
        const Bounds bounds;
        _registry->refresh();
        QVERIFY(bounds.check());
        QCOMPARE(_registry->getIDs(), ids);
    }

    void linkCyclesInTheUnitsTreeEnd()
    {
        // Every directory links to every other one: without the check for
        // directories already entered, the walk would never end.
        const int count = 12;
        for (int i = 0; i < count; ++i)
            TestHome::writeFile(units() + QStringLiteral("/d%1/unit.xml").arg(i),
                unitHead("id" + QByteArray::number(i)) + "</unit:unit>\n");
        for (int i = 0; i < count; ++i) {
            for (int j = 0; j < count; ++j)
                QVERIFY(QFile::link(units() + QStringLiteral("/d%1").arg(j),
                    units() + QStringLiteral("/d%1/to%2").arg(i).arg(j)));
        }
        const Bounds bounds;
        _registry->refresh();
        QVERIFY(bounds.check());
        QCOMPARE(_registry->getIDs().size(), count);
    }

    void templateFileWhereADirectoryShouldBe()
    {
        // Both ways round: the template's directory meets the user's file,
        // and the template's file meets the user's directory.
        const QString source = _home.path() + "/template";
        const QString target = _home.path() + "/data";
        TestHome::writeFile(source + "/units/a/unit.xml", "template a");
        TestHome::writeFile(source + "/units/b", "template b");
        TestHome::writeFile(source + "/units/c/unit.xml", "template c");
        TestHome::writeFile(target + "/units/a", "user's a");
        TestHome::writeFile(target + "/units/b/mine.txt", "user's b");
        QFile::setPermissions(source + "/units/c/unit.xml", QFile::ReadOwner | QFile::ExeOwner);

        QDir from(source);
        QDir to(target);
        copyRec(from, to);
        QCOMPARE(from.path(), source);
        QCOMPARE(to.path(), target);
        QCOMPARE(TestHome::readFile(target + "/units/a"), QByteArray("user's a"));
        QCOMPARE(TestHome::readFile(target + "/units/b/mine.txt"), QByteArray("user's b"));
        QCOMPARE(TestHome::readFile(target + "/units/c/unit.xml"), QByteArray("template c"));
        // The copy keeps the permissions and is writable by its owner, as QFile::copy makes it.
        QCOMPARE(QFileInfo(target + "/units/c/unit.xml").permissions() & 0x7700,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser
                | QFile::ExeUser);
        QVERIFY(!QFile::exists(target + "/a"));
    }

    void unitFilesThatAreNoFiles_data()
    {
        QTest::addColumn<QByteArray>("kind");
        QTest::newRow("FIFO") << QByteArray("fifo");
        QTest::newRow("FIFO through a link") << QByteArray("fifo-link");
        QTest::newRow("link to /dev/zero") << QByteArray("zero");
        QTest::newRow("sparse 1 TiB") << QByteArray("sparse");
        QTest::newRow("one byte over the limit") << QByteArray("over-limit");
    }

    void unitFilesThatAreNoFiles()
    {
        QFETCH(QByteArray, kind);
        QVERIFY(makeNoFile(kind, units() + "/bad.unit/unit.xml"));
        TestHome::writeFile(units() + "/good.unit/unit.xml", unitHead("good") + "</unit:unit>\n");
        const Bounds bounds;
        _registry->refresh();
        QVERIFY(bounds.check());
        QCOMPARE(_registry->getIDs(), QStringList({ "good" }));
    }

    void templateEntriesThatAreNoFiles()
    {
        // Copied, each would hang the start, fill the disk or copy something
        // that is no file.
        const QString source = _home.path() + "/template";
        const QString target = _home.path() + "/data";
        for (const char* kind : { "fifo", "fifo-link", "zero", "socket" })
            QVERIFY2(makeNoFile(kind, source + "/units/" + kind), kind);
        TestHome::writeFile(source + "/units/sound.txt", "sound");
        QVERIFY(QDir().mkpath(target));

        const Bounds bounds;
        QDir from(source);
        QDir to(target);
        copyRec(from, to);
        QVERIFY(bounds.check());
        QCOMPARE(entries(target), QStringList({ "units", "units/sound.txt" }));
        QCOMPARE(TestHome::readFile(target + "/units/sound.txt"), QByteArray("sound"));
    }

    void failedCopyLeavesNothing()
    {
        // A full disk, as the kernel reports it to a process whose file size
        // limit is reached: the copy that does not fit must not appear at all.
        const QString source = _home.path() + "/template";
        const QString target = _home.path() + "/data";
        TestHome::writeFile(source + "/small.txt", "small");
        TestHome::writeFile(source + "/big.bin", QByteArray(256 * 1024, 'b'));
        QVERIFY(QDir().mkpath(target));

        const pid_t child = ::fork();
        if (child == 0) {
            const rlimit limit { 64 * 1024, 64 * 1024 };
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            QDir from(source);
            QDir to(target);
            copyRec(from, to);
            ::_exit(0);
        }
        QVERIFY(child > 0);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(entries(target), QStringList({ "small.txt" }));
        QCOMPARE(TestHome::readFile(target + "/small.txt"), QByteArray("small"));

        // With room again, the next start completes the merge.
        QDir from(source);
        QDir to(target);
        copyRec(from, to);
        QCOMPARE(TestHome::readFile(target + "/big.bin"), QByteArray(256 * 1024, 'b'));
    }

    void linkCyclesInTheTemplateEnd()
    {
        // Every directory links to every other one: followed on every path,
        // the links would unfold into count! directories.
        const int count = 12;
        const QString source = _home.path() + "/template";
        const QString target = _home.path() + "/data";
        for (int i = 0; i < count; ++i)
            TestHome::writeFile(source + QStringLiteral("/d%1/file.txt").arg(i), QByteArray::number(i));
        for (int i = 0; i < count; ++i) {
            for (int j = 0; j < count; ++j)
                QVERIFY(QFile::link(source + QStringLiteral("/d%1").arg(j),
                    source + QStringLiteral("/d%1/to%2").arg(i).arg(j)));
        }
        QVERIFY(QDir().mkpath(target));

        const Bounds bounds;
        QDir from(source);
        QDir to(target);
        copyRec(from, to);
        QVERIFY(bounds.check());
        for (int i = 0; i < count; ++i)
            QCOMPARE(
                TestHome::readFile(target + QStringLiteral("/d%1/file.txt").arg(i)), QByteArray::number(i));
        QVERIFY(entries(target).size() < 4 * count * count);
    }

    void badDeviceFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("entity expansion") << billionLaughs("dev:device", "dev:id");
        QTest::newRow("binary garbage") << garbage(1 << 20);
        QTest::newRow("10,000 levels, end tags missing") << deepDevice(5000).chopped(40);
    }

    void badDeviceFiles()
    {
        QFETCH(QByteArray, content);
        device::Model model;
        const Bounds bounds;
        model.load(content);
        QVERIFY(!model.root().isValid());
        // Saving must still give a device that loads.
        device::Model reloaded;
        reloaded.load(model.xml());
        QVERIFY(reloaded.root().isValid());
        QVERIFY(bounds.check());
    }

    void bigDeviceLosesNothing()
    {
        // 10,000 entries with names of 5.3 KB each: 50 MB as the program writes it.
        QByteArray written;
        {
            device::Model model;
            model.load(
                "<dev:device><dev:subdevices><dev:device dev:id=\"all\"/></dev:subdevices></dev:device>");
            const QModelIndex directory = model.index(0, 0, model.root());
            const QString name = QString(5300, QLatin1Char('n'));
            for (int i = 0; i < 10000; ++i)
                model.setData(model.addUnit(directory), name + QString::number(i));
            written = model.xml();
        }
        QVERIFY(written.size() > bigFileBytes);

        const Bounds bounds;
        device::Model model;
        model.load(written);
        const QModelIndex directory = model.index(0, 0, model.root());
        QCOMPARE(model.rowCount(directory), 10000);
        QVERIFY(model.index(9999, 0, directory).data().toString().endsWith("n9999"));
        QVERIFY(model.xml() == written);
        QVERIFY(bounds.check());
    }

    void deepDeviceLoadsAndGoes_data()
    {
        QTest::addColumn<int>("depth");
        QTest::newRow("10,000 levels") << 5000;
        // Far beyond what recursion through the items would survive.
        QTest::newRow("200,000 levels") << 100000;
    }

    void deepDeviceLoadsAndGoes()
    {
        QFETCH(int, depth);
        const Bounds bounds;
        {
            device::Model model;
            model.load(deepDevice(depth));
            QModelIndex index = model.root();
            for (int level = 0; level < depth; ++level) {
                QCOMPARE(model.rowCount(index), 1);
                index = model.index(0, 0, index);
            }
            QCOMPARE(index.data().toString(), QStringLiteral("d%1").arg(depth - 1));
            QCOMPARE(model.index(0, 0, index).data().toString(), QStringLiteral("bottom"));

            // Removing the top directory takes the whole chain with it.
            model.remove(model.index(0, 0, model.root()));
            QCOMPARE(model.rowCount(model.root()), 0);
            model.load(deepDevice(depth));
        }
        QVERIFY(bounds.check());
    }

    void deepDeviceRoundTrip()
    {
        // The file's indentation grows with the depth, so the written file
        // grows with its square: a thousand levels already make 10 MB.
        device::Model model;
        model.load(deepDevice(1000));
        const QByteArray written = model.xml();
        device::Model reloaded;
        reloaded.load(written);
        QVERIFY(reloaded.xml() == written);
        QCOMPARE(written.count("<dev:device dev:id=\"d"), 1000);
    }
};

FBM_TEST_MAIN(FaultsTest)
#include "tst_faults.moc"
