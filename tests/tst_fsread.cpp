#include "support/TestMain.h"

#include "fs/Directory.h"
#include "fs/File.h"
#include "fs/FileName.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

// Reads that must not block, must not take more than their limit, and names
// that must survive whatever bytes they hold. A read that blocked on a FIFO
// would hang here until the test's time-out.
class FsReadTest : public QObject
{
    Q_OBJECT

private:
    TestHome _home;

    QByteArray raw(const QByteArray& relative) const
    {
        return QFile::encodeName(_home.path()) + "/" + relative;
    }

private slots:
    void init() { _home.reset(); }

    void readFileTakesOnlyRegularFilesUpToTheLimit_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray("empty") << int(fs::ReadResult::Ok) << QByteArray();
        QTest::newRow("exactly at the limit")
            << QByteArray("16") << int(fs::ReadResult::Ok) << QByteArray("0123456789abcdef");
        QTest::newRow("one byte over") << QByteArray("17") << int(fs::ReadResult::TooLarge) << QByteArray();
        QTest::newRow("sparse 1 TiB")
            << QByteArray("sparse") << int(fs::ReadResult::TooLarge) << QByteArray();
        QTest::newRow("FIFO") << QByteArray("fifo") << int(fs::ReadResult::NotRegular) << QByteArray();
        QTest::newRow("FIFO through a link")
            << QByteArray("fifo-link") << int(fs::ReadResult::NotRegular) << QByteArray();
        QTest::newRow("link to /dev/zero")
            << QByteArray("zero") << int(fs::ReadResult::NotRegular) << QByteArray();
        QTest::newRow("directory") << QByteArray("dir") << int(fs::ReadResult::NotRegular) << QByteArray();
        QTest::newRow("dangling link")
            << QByteArray("dangling") << int(fs::ReadResult::Missing) << QByteArray();
        QTest::newRow("missing") << QByteArray("missing") << int(fs::ReadResult::Missing) << QByteArray();
        QTest::newRow("below a plain file")
            << QByteArray("below") << int(fs::ReadResult::Missing) << QByteArray();
        QTest::newRow("name not UTF-8")
            << QByteArray("latin1") << int(fs::ReadResult::Ok) << QByteArray("caf\xe9");
    }

    void readFileTakesOnlyRegularFilesUpToTheLimit()
    {
        QFETCH(QByteArray, setup);
        QFETCH(int, status);
        QFETCH(QByteArray, bytes);
        QByteArray path = raw("file");
        if (setup == "empty") {
            TestHome::writeRawFile(path, {});
        } else if (setup == "16" || setup == "17") {
            TestHome::writeRawFile(path, QByteArray("0123456789abcdefg").left(setup.toInt()));
        } else if (setup == "sparse") {
            TestHome::writeRawFile(path, "<unit:unit/>");
            QVERIFY(::truncate(path.constData(), qint64(1) << 40) == 0);
        } else if (setup == "fifo") {
            QVERIFY(::mkfifo(path.constData(), 0600) == 0);
        } else if (setup == "fifo-link") {
            QVERIFY(::mkfifo(raw("fifo").constData(), 0600) == 0);
            QVERIFY(::symlink(raw("fifo").constData(), path.constData()) == 0);
        } else if (setup == "zero") {
            QVERIFY(::symlink("/dev/zero", path.constData()) == 0);
        } else if (setup == "dir") {
            QVERIFY(::mkdir(path.constData(), 0700) == 0);
        } else if (setup == "dangling") {
            QVERIFY(::symlink(raw("nowhere").constData(), path.constData()) == 0);
        } else if (setup == "below") {
            TestHome::writeRawFile(path, "plain");
            path += "/inside";
        } else if (setup == "latin1") {
            path = raw("Vend\xffor/caf\xe9");
            TestHome::writeRawFile(path, "caf\xe9");
        }

        const fs::ReadResult result = fs::readFile(fs::decodeName(path), 16);
        QCOMPARE(int(result.status), status);
        QCOMPARE(result.bytes, bytes);
        // The descriptor-relative read agrees.
        if (setup != "below") {
            const QByteArray dir = path.left(path.lastIndexOf('/'));
            const fs::Directory directory(fs::decodeName(dir));
            QCOMPARE(
                int(fs::readFileAt(directory.fd(), path.mid(dir.size() + 1).constData(), 16).status), status);
        }
    }

    void namesKeepTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("ASCII") << QByteArray("Vendor");
        QTest::newRow("UTF-8 letters") << QByteArray("Gr\xc3\xbc\xc3\x9f\x65 \xf0\x9f\x98\x80");
        QTest::newRow("Latin-1 byte") << QByteArray("Vend\xffor");
        QTest::newRow("cut sequence at the end") << QByteArray("abc\xc3");
        QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf");
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xb2\x80");
        QTest::newRow("replacement character") << QByteArray("\xef\xbf\xbd");
        QTest::newRow("letter beside a bad byte") << QByteArray("\xf0\x90\x82\x80\xfe");
    }

    void namesKeepTheirBytes()
    {
        QFETCH(QByteArray, name);
        const QString decoded = fs::decodeName(name);
        QCOMPARE(fs::encodeName(decoded), name);
        const bool isUtf8 = QString::fromUtf8(name).toUtf8() == name;
        if (isUtf8)
            QCOMPARE(decoded, QFile::decodeName(name));
        else
            QVERIFY(!decoded.contains(QChar::ReplacementCharacter));
    }

    void directoryListsEveryNameWithItsKind()
    {
        const QByteArray dir = raw("d");
        TestHome::writeRawFile(dir + "/plain", "x");
        TestHome::writeRawFile(dir + "/caf\xe9/inner", "x");
        QVERIFY(::symlink("plain", (dir + "/link").constData()) == 0);
        QVERIFY(::mkfifo((dir + "/fifo").constData(), 0600) == 0);
        TestHome::writeRawFile(dir + "/.hidden", "x");

        const fs::Directory directory(fs::decodeName(dir));
        QVERIFY(directory.isOpen());
        fs::Directory::Listing listing;
        QVERIFY(directory.list(listing));
        QMap<QByteArray, int> kinds;
        for (qsizetype i = 0; i < listing.size(); ++i)
            kinds.insert(QByteArray(listing.name(i), listing.nameSize(i)), listing.kind(i));
        QCOMPARE(kinds.keys(), QByteArrayList({ ".hidden", "caf\xe9", "fifo", "link", "plain" }));
        if (kinds.value("plain") != fs::Directory::Listing::UnknownKind) {
            QCOMPARE(kinds.value("caf\xe9"), int(fs::Directory::Listing::DirectoryKind));
            QCOMPARE(kinds.value("link"), int(fs::Directory::Listing::LinkKind));
            QCOMPARE(kinds.value("fifo"), int(fs::Directory::Listing::OtherKind));
        }

        // Entering tells directories, links to them and everything else apart.
        QVERIFY(fs::Directory(directory, "caf\xe9").isOpen());
        QCOMPARE(fs::Directory(directory, "fifo").error(), ENOTDIR);
        QCOMPARE(fs::Directory(directory, "link").error(), ENOTDIR);
        QVERIFY(::symlink(".", (dir + "/self").constData()) == 0);
        QCOMPARE(fs::Directory(directory, "self").identity(), directory.identity());
    }
};

FBM_TEST_MAIN(FsReadTest)
#include "tst_fsread.moc"
