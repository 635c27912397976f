// fbm_bench: synthetic data and side-by-side timings of the program's heavy
// operations against standard tools doing the same work on the same data.
//
//   fbm_bench data DIR [PART...]   makes what is missing of the data below DIR
//                                  (all, or the parts units, template, device,
//                                  start)
//   fbm_bench measure DIR [REPS [device|start]]
//                                  prints the results (or the device rows or
//                                  start to window alone) as a Markdown table
//   fbm_bench one OP ARGS...       runs one operation (used by measure)
//   fbm_bench start PROGRAM HOME   ms from starting PROGRAM on HOME to its window
//
// Every operation runs in a child process of its own, so that its peak
// resident memory (from wait4) is its own. Our time is the operation alone,
// timed inside the child; the tool's time is its whole process, start-up
// included, which favours the tool by a millisecond or so. Ours and the tool
// take turns round by round (with the device, ours on a twin file as a third),
// so that a change in the machine's load falls on all of them alike.
//
// With FBM_BENCH_PROGRAM (the fbmanager executable) and DISPLAY (an Xvfb
// server) set, measure also starts the program on a home with 10,000 units
// and a 100,000-item device and polls the X server every 5 ms until its
// window is mapped.

#include "app/Startup.h"
#include "device/Model.h"
#include "unit/Generator.h"
#include "unit/Registry.h"
#include "xml/Element.h"
#include "xml/Schema.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <csignal>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

namespace {

const int unitsPerGroup = 100;

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// A units tree as users keep it: generated projects, a hundred to a vendor
// directory, each with its unit.xml, build scripts and skeletons.
void makeUnits(const QString& home, int count)
{
    const QString units = home + QStringLiteral("/Ostrel/Velmora2/units");
    for (int i = 0; i < count; ++i) {
        unit::Generator generator(false);
        const QString name = QStringLiteral("Block %1").arg(i);
        generator.setVendor(QStringLiteral("Vendor %1").arg(i / unitsPerGroup));
        generator.setName(name);
        generator.setId(QStringLiteral("fb_%1").arg(i));
        generator.setGuiName(name);
        generator.setPluginBaseName(QStringLiteral("block%1").arg(i));
        generator.addConnector(unit::Generator::Input, QStringLiteral("in0"), QStringLiteral("float"),
            QStringLiteral("Input 0"), QStringLiteral("0"), false);
        generator.addConnector(unit::Generator::Input, QStringLiteral("in1"), QStringLiteral("int32"),
            QStringLiteral("Input 1"), QStringLiteral("0"), false);
        generator.addConnector(unit::Generator::Output, QStringLiteral("out0"), QStringLiteral("float"),
            QStringLiteral("Output 0"), QStringLiteral("0"), false);
        generator.addStateVar(QStringLiteral("gain"), QStringLiteral("float"), QStringLiteral("1"));
        const QString dir = units + QStringLiteral("/vendor%1/block%2.unit").arg(i / unitsPerGroup).arg(i);
        writeFile(dir + QStringLiteral("/unit.xml"), generator.unitXml());
        writeFile(dir + QStringLiteral("/plugin/CMakeLists.txt"), generator.unitCMakeScript());
        writeFile(dir + QStringLiteral("/plugin/simulation/CMakeLists.txt"), generator.unitSimCMakeScript());
        writeFile(dir + QStringLiteral("/plugin/simulation/main.cpp"), generator.unitSimMainCpp());
        QByteArray header;
        QByteArray source;
        const QString className = generator.unitSimClass(header, source);
        writeFile(dir + QStringLiteral("/plugin/simulation/") + className + QStringLiteral(".h"), header);
        writeFile(dir + QStringLiteral("/plugin/simulation/") + className + QStringLiteral(".cpp"), source);
    }
}

// Files of about 1 KiB, ten to a directory, in directories nested three deep.
void makeTemplate(const QString& root, int files)
{
    const QByteArray content = QByteArray("template line\n").repeated(73);
    for (int i = 0; i < files; ++i) {
        const int dir = i / 10;
        const QString path = root
            + QStringLiteral("/d%1/d%2/d%3/file%4.txt")
                  .arg(dir / 100)
                  .arg(dir / 10 % 10)
                  .arg(dir % 10)
                  .arg(i);
        writeFile(path, content);
    }
}

// A device of `items` items: ten directories of ten directories each, the
// function block entries spread over the hundred inner ones. Its twin has
// the same items, with German directory names, CRLF line ends and a
// comment, as a device edited by hand on another system may have.
void makeDevice(const QString& path, int items, bool twin)
{
    const QString group = twin ? QStringLiteral("Gr\u00fc\u00dfe %1") : QStringLiteral("Group %1");
    const QString line = twin ? QStringLiteral("Stra\u00dfe %1.%2") : QStringLiteral("Line %1.%2");
    xml::Element document(QStringLiteral("dev:device"));
    const QString deviceUri = xml::schemaUri(QStringLiteral("device"));
    document.setAttribute(QStringLiteral("xmlns:xsi"), xml::xsiNamespace);
    document.setAttribute(QStringLiteral("xsi:schemaLocation"), deviceUri + QStringLiteral(" device.xsd"));
    document.setAttribute(QStringLiteral("xmlns:dev"), deviceUri);
    document.setAttribute(QStringLiteral("dev:id"), QStringLiteral("MyFuncBlocks"));
    document.appendChild(QStringLiteral("dev:translations"));
    xml::Element& outer = document.appendChild(QStringLiteral("dev:subdevices"));
    document.appendChild(QStringLiteral("dev:units"));
    const int perDirectory = (items - 110) / 100;
    int unit = 0;
    for (int a = 0; a < 10; ++a) {
        xml::Element& directory = outer.appendChild(QStringLiteral("dev:device"));
        directory.setAttribute(QStringLiteral("dev:id"), group.arg(a));
        xml::Element& inner = directory.appendChild(QStringLiteral("dev:subdevices"));
        directory.appendChild(QStringLiteral("dev:units"));
        for (int b = 0; b < 10; ++b) {
            xml::Element& sub = inner.appendChild(QStringLiteral("dev:device"));
            sub.setAttribute(QStringLiteral("dev:id"), line.arg(a).arg(b));
            sub.appendChild(QStringLiteral("dev:subdevices"));
            xml::Element& units = sub.appendChild(QStringLiteral("dev:units"));
            for (int u = 0; u < perDirectory; ++u)
                units.appendChild(QStringLiteral("dev:unit"))
                    .setAttribute(QStringLiteral("dev:type"), QStringLiteral("fb_%1").arg(unit++ % 10000));
        }
    }
    QByteArray content = document.toDocument();
    if (twin) {
        content.insert(content.indexOf('\n') + 1,
            "<!-- Ger\xc3\xa4te der Pr\xc3\xbc"
            "fstation -->\n");
        content.replace("\n", "\r\n");
    }
    writeFile(path, content);
}

// Makes what is missing of all the data, or of the parts named ("units",
// "template", "device", "start"), so that new data joins older data
// without redoing it.
int makeData(const QString& dir, const QStringList& parts)
{
    auto wanted
        = [&parts](const char* part) { return parts.isEmpty() || parts.contains(QLatin1String(part)); };
    auto missing = [&](const char* name) { return !QFileInfo::exists(dir + QLatin1Char('/') + name); };
    if (wanted("units") && missing("units1k"))
        makeUnits(dir + QStringLiteral("/units1k"), 1000);
    if (wanted("units") && missing("units10k"))
        makeUnits(dir + QStringLiteral("/units10k"), 10000);
    if (wanted("template") && missing("template1k"))
        makeTemplate(dir + QStringLiteral("/template1k"), 1000);
    if (wanted("template") && missing("template10k"))
        makeTemplate(dir + QStringLiteral("/template10k"), 10000);
    if (wanted("template") && missing("template90k"))
        makeTemplate(dir + QStringLiteral("/template90k"), 90000);
    if (wanted("device") || wanted("start")) {
        for (const bool twin : { false, true }) {
            const QString suffix = twin ? QStringLiteral("-twin.xml") : QStringLiteral(".xml");
            for (const int items : { 10000, 100000 }) {
                const QString path = dir + QStringLiteral("/device%1k").arg(items / 1000) + suffix;
                if (!QFileInfo::exists(path))
                    makeDevice(path, items, twin);
            }
        }
    }
    if (wanted("start") && missing("start10k")) {
        // A home as the program finds it: 10,000 units and a 100,000-item device.
        const QString home = dir + QStringLiteral("/start10k");
        makeUnits(home, 10000);
        QFile device(dir + QStringLiteral("/device100k.xml"));
        if (!device.open(QIODevice::ReadOnly))
            return 1;
        writeFile(
            home + QStringLiteral("/Ostrel/Velmora2/devices/MyFunctionBlocks/device.xml"), device.readAll());
    }
    return 0;
}

// One operation, timed; prints the microseconds.
int runOne(int argc, char* argv[])
{
    const QByteArray op = argv[2];
    const QString arg = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    const QString arg2 = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
    if (op == "refresh" || op == "generate")
        qputenv("HOME", arg.toLocal8Bit());
    std::unique_ptr<QCoreApplication> app;
    if (op == "device" || op == "idle-gui")
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    QElapsedTimer timer;
    timer.start();
    if (op == "refresh") {
        unit::Registry::singleton()->refresh();
        if (unit::Registry::singleton()->isEmpty())
            return 2;
    } else if (op == "merge") {
        QDir source(arg);
        QDir target(arg2);
        copyRec(source, target);
    } else if (op == "device") {
        QFile in(arg);
        if (!in.open(QIODevice::ReadOnly))
            return 2;
        device::Model model;
        model.load(in.readAll());
        const QByteArray out = model.xml();
        QFile sink(QStringLiteral("/dev/null"));
        if (!sink.open(QIODevice::WriteOnly) || sink.write(out) != out.size())
            return 2;
    } else if (op == "generate") {
        unit::Generator generator(false);
        generator.setVendor(QStringLiteral("Bench"));
        generator.setName(QStringLiteral("Bench Block"));
        generator.setId(QStringLiteral("fb_bench"));
        generator.setGuiName(QStringLiteral("Bench block"));
        generator.setPluginBaseName(QStringLiteral("benchblock"));
        generator.generate(true);
    } else if (op != "idle" && op != "idle-gui") {
        return 3;
    }
    std::printf("%lld\n", static_cast<long long>(timer.nsecsElapsed() / 1000));
    return 0;
}

struct Sample
{
    double ms = 0;
    long peakKiB = 0;
    // CPU time of the whole child, start-up included for both sides: on a busy
    // machine it varies less than the wall clock.
    double cpuMs = 0;
};

double now()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Runs argv as a child; its time is either what it prints (ours) or the wall
// clock around it (the tool's).
Sample runChild(const std::vector<QByteArray>& args, bool selfTimed)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        std::exit(1);
    const double start = now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char*> argv;
        for (const QByteArray& arg : args)
            argv.push_back(const_cast<char*>(arg.constData()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    QByteArray output;
    char buffer[256];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, n);
    close(pipeFds[0]);
    int status = 0;
    rusage usage {};
    wait4(pid, &status, 0, &usage);
    const double wall = now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed (%d): %s ...\n", status, args.back().constData());
        std::exit(1);
    }
    Sample sample;
    sample.ms = selfTimed ? output.trimmed().toDouble() / 1000.0 : wall;
    sample.peakKiB = usage.ru_maxrss;
    sample.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    return sample;
}

Sample median(std::vector<Sample> samples)
{
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
    Sample result = samples[samples.size() / 2];
    std::sort(
        samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.cpuMs < b.cpuMs; });
    result.cpuMs = samples[samples.size() / 2].cpuMs;
    for (const Sample& s : samples)
        result.peakKiB = std::max(result.peakKiB, s.peakKiB);
    return result;
}

// Milliseconds from starting program on home until its window is viewable,
// found by asking the X server every 5 ms (wall clock), and the CPU time the
// program used by then; 0 when no window came in 30 s.
Sample startToWindow(const QByteArray& programPath, const QByteArray& home)
{
    const QByteArray program
        = QFileInfo(QString::fromLocal8Bit(programPath)).absoluteFilePath().toLocal8Bit();
    // Right after the server has lost a killed client, it refuses a new
    // connection for a moment: asked again, it takes it.
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    for (int i = 0; i < 50 && xcb_connection_has_error(connection); ++i) {
        xcb_disconnect(connection);
        usleep(100000);
        connection = xcb_connect(nullptr, nullptr);
    }
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return {};
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    auto windowShown = [&] {
        bool shown = false;
        xcb_query_tree_reply_t* tree
            = xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr);
        if (!tree)
            return false;
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; !shown && i < xcb_query_tree_children_length(tree); ++i) {
            xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
                connection, xcb_get_window_attributes(connection, children[i]), nullptr);
            shown = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            free(attributes);
        }
        free(tree);
        return shown;
    };
    if (windowShown()) {
        std::fprintf(stderr, "a window is shown already on this display\n");
        std::exit(1);
    }

    const double start = now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("HOME", home.constData(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/.config").constData(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        if (chdir(home.constData()) != 0)
            _exit(127);
        execl(program.constData(), program.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    Sample sample;
    while (now() - start < 30000) {
        if (windowShown()) {
            sample.ms = now() - start;
            break;
        }
        usleep(5000);
    }
    // Stopped at once, so that its CPU time is that of the way to the window.
    kill(pid, SIGKILL);
    rusage usage {};
    wait4(pid, nullptr, 0, &usage);
    sample.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    sample.peakKiB = usage.ru_maxrss;
    xcb_disconnect(connection);
    return sample;
}

// One run of something measured, and what has to happen before it, untimed
// (emptying a target).
struct Run
{
    std::function<Sample()> run;
    std::function<void()> prepare = {};
};

// Runs take turns, round by round, so that a change in the machine's load
// during the measurement falls on all of them alike; one untimed round first
// warms the page cache for every side. The median of each.
class Measurer
{
public:
    Measurer(QByteArray self, int reps)
        : _self(std::move(self))
        , _reps(reps)
    {
    }

    Run ours(const std::vector<QByteArray>& opArgs, const std::function<void()>& prepare = {}) const
    {
        std::vector<QByteArray> args { _self, "one" };
        args.insert(args.end(), opArgs.begin(), opArgs.end());
        return { [args] { return runChild(args, true); }, prepare };
    }

    static Run tool(const QByteArray& command, const std::function<void()>& prepare = {})
    {
        const std::vector<QByteArray> args { "/bin/sh", "-c", command };
        return { [args] { return runChild(args, false); }, prepare };
    }

    static Run start(const QByteArray& program, const QByteArray& home)
    {
        return { [program, home] { return startToWindow(program, home); } };
    }

    std::vector<Sample> alternate(const std::vector<Run>& runs) const
    {
        std::vector<std::vector<Sample>> samples(runs.size());
        for (int round = 0; round <= _reps; ++round) {
            for (size_t r = 0; r < runs.size(); ++r) {
                if (runs[r].prepare)
                    runs[r].prepare();
                const Sample sample = runs[r].run();
                if (round > 0)
                    samples[r].push_back(sample);
            }
        }
        std::vector<Sample> medians;
        for (const auto& list : samples)
            medians.push_back(median(list));
        return medians;
    }

private:
    QByteArray _self;
    int _reps;
};

void row(
    QTextStream& out, const QString& name, const Sample& ours, const QString& toolName, const Sample& tool)
{
    out << "| " << name << " | " << QString::number(ours.ms, 'f', 1) << " | " << toolName << " | "
        << QString::number(tool.ms, 'f', 1) << " | " << QString::number(ours.ms / tool.ms, 'f', 2) << " | "
        << QString::number(ours.cpuMs, 'f', 0) << " / " << QString::number(tool.cpuMs, 'f', 0) << " | "
        << QString::number(ours.cpuMs / tool.cpuMs, 'f', 2) << " | " << ours.peakKiB / 1024 << " | "
        << tool.peakKiB / 1024 << " |\n";
    out.flush();
}

// Device round trips at 10k and 100k items against xmllint, and each against
// its non-ASCII, CRLF, commented twin; returns our times.
std::vector<double> measureDevices(QTextStream& out, const Measurer& m, const QByteArray& d)
{
    std::vector<double> times;
    for (const char* size : { "10k", "100k" }) {
        const QByteArray file = d + "/device" + size + ".xml";
        const QByteArray twin = d + "/device" + size + "-twin.xml";
        const std::vector<Sample> samples = m.alternate({ m.ours({ "device", file }),
            Measurer::tool("exec xmllint --format " + file + " >/dev/null"), m.ours({ "device", twin }) });
        row(out, QStringLiteral("device load + xml, %1 items").arg(size), samples[0],
            QStringLiteral("xmllint --format"), samples[1]);
        row(out, QStringLiteral("the same, non-ASCII names, CRLF, a comment, %1 items").arg(size), samples[2],
            QStringLiteral("ours on the ASCII twin"), samples[0]);
        times.push_back(samples[0].ms);
    }
    return times;
}

// Start to visible window on the home with 10,000 units and a 100,000-item
// device and on an empty one, in turns; only with FBM_BENCH_PROGRAM and DISPLAY.
void measureStart(QTextStream& out, const Measurer& m, const QString& dir, int reps)
{
    const QByteArray program = qgetenv("FBM_BENCH_PROGRAM");
    if (program.isEmpty() || qgetenv("DISPLAY").isEmpty())
        return;
    const QString empty = dir + QStringLiteral("/start-empty");
    QDir(empty).removeRecursively();
    QDir().mkpath(empty);
    const auto samples = m.alternate({ Measurer::start(program, dir.toLocal8Bit() + "/start10k"),
        Measurer::start(program, empty.toLocal8Bit()) });
    out << "\nStart to visible window (Xvfb, polled every 5 ms, median of " << reps
        << " rounds): 10,000 units and a 100,000-item device " << QString::number(samples[0].ms, 'f', 0)
        << " ms (CPU " << QString::number(samples[0].cpuMs, 'f', 0) << " ms); empty home "
        << QString::number(samples[1].ms, 'f', 0) << " ms (CPU " << QString::number(samples[1].cpuMs, 'f', 0)
        << " ms).\n";
    out.flush();
}

// Every row, or with `only` "device" or "start" those rows alone.
int measure(const QString& dir, int reps, const QByteArray& self, const QString& only)
{
    QTextStream out(stdout);
    const Measurer m(self, reps);
    const QByteArray d = dir.toLocal8Bit();
    auto resetDir = [](const QString& path) {
        return [path] {
            QDir(path).removeRecursively();
            QDir().mkpath(path);
        };
    };

    if (only == QLatin1String("start")) {
        measureStart(out, m, dir, reps);
        return 0;
    }
    out << "| Operation | ours ms | compared with | its ms | ratio | CPU ms ours / its | CPU ratio "
           "| ours peak MiB | its peak MiB |\n"
        << "|---|---:|---|---:|---:|---:|---:|---:|---:|\n";
    if (only == QLatin1String("device")) {
        const std::vector<double> device = measureDevices(out, m, d);
        out << "\nTime for 10x the data, as a multiple of the time for 1x: device round trip "
            << QString::number(device[1] / device[0], 'f', 1) << "x.\n";
        return 0;
    }
    const std::vector<Sample> idle = m.alternate({ m.ours({ "idle" }), m.ours({ "idle-gui" }) });
    out << "| start-up only (QCoreApplication / QApplication) | - | - | - | - | "
        << QString::number(idle[0].cpuMs, 'f', 0) << " / " << QString::number(idle[1].cpuMs, 'f', 0)
        << " | - | " << idle[0].peakKiB / 1024 << " / " << idle[1].peakKiB / 1024 << " | - |\n";

    QMap<QString, double> times;
    for (const char* size : { "1k", "10k" }) {
        const QByteArray home = d + "/units" + size;
        const auto samples = m.alternate({ m.ours({ "refresh", home }),
            Measurer::tool(
                "exec find " + home + "/Ostrel/Velmora2/units -iname unit.xml -exec cat {} + >/dev/null") });
        row(out, QStringLiteral("registry refresh, units%1").arg(size), samples[0],
            QStringLiteral("find -iname unit.xml -exec cat"), samples[1]);
        times.insert(QStringLiteral("refresh") + size, samples[0].ms);
    }
    {
        const QByteArray home = d + "/units10k";
        const auto samples = m.alternate({ m.ours({ "generate", home }),
            Measurer::tool(
                "exec find " + home + "/Ostrel/Velmora2/units -iname unit.xml -exec cat {} + >/dev/null") });
        row(out, QStringLiteral("generate, units10k"), samples[0],
            QStringLiteral("find -iname unit.xml -exec cat"), samples[1]);
    }
    // New files on a disk run into the kernel's write-back, which decides both
    // programs' times by a factor of two: the first start writes to FBM_BENCH_TMP.
    const QByteArray scratch = qEnvironmentVariableIsEmpty("FBM_BENCH_TMP") ? d : qgetenv("FBM_BENCH_TMP");
    for (const char* size : { "1k", "10k" }) {
        const QByteArray source = d + "/template" + size;
        const QByteArray target = scratch + "/merged" + size;
        const auto reset = resetDir(QString::fromLocal8Bit(target));
        const auto samples = m.alternate({ m.ours({ "merge", source, target }, reset),
            Measurer::tool("exec cp -rn " + source + "/. " + target, reset) });
        row(out, QStringLiteral("first start merge, template%1").arg(size), samples[0],
            QStringLiteral("cp -rn"), samples[1]);
        times.insert(QStringLiteral("first") + size, samples[0].ms);
        QDir(QString::fromLocal8Bit(target)).removeRecursively();
    }
    for (const char* size : { "10k", "90k" }) {
        const QByteArray source = d + "/template" + size;
        const QByteArray target = d + "/merged" + size;
        resetDir(QString::fromLocal8Bit(target))();
        if (std::system(("cp -rn " + source + "/. " + target).constData()) != 0)
            return 1;
        const auto samples = m.alternate({ m.ours({ "merge", source, target }),
            Measurer::tool("exec cp -rn " + source + "/. " + target) });
        row(out, QStringLiteral("second start merge, template%1").arg(size), samples[0],
            QStringLiteral("cp -rn (nothing to copy)"), samples[1]);
        times.insert(QStringLiteral("second") + size, samples[0].ms);
        QDir(QString::fromLocal8Bit(target)).removeRecursively();
    }
    const std::vector<double> device = measureDevices(out, m, d);
    out << "\nTime for 10x the data, as a multiple of the time for 1x: registry refresh "
        << QString::number(times["refresh10k"] / times["refresh1k"], 'f', 1) << "x, first start merge "
        << QString::number(times["first10k"] / times["first1k"], 'f', 1) << "x, second start merge (9x) "
        << QString::number(times["second90k"] / times["second10k"], 'f', 1) << "x, device round trip "
        << QString::number(device[1] / device[0], 'f', 1) << "x.\n";
    out.flush();

    measureStart(out, m, dir, reps);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QByteArray command = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (command == "one" && argc > 2)
        return runOne(argc, argv);
    if (command == "start" && argc > 3) {
        const Sample sample = startToWindow(argv[2], argv[3]);
        std::printf("%.1f ms, CPU %.1f ms\n", sample.ms, sample.cpuMs);
        return sample.ms > 0 ? 0 : 1;
    }
    if (command == "data" && argc > 2) {
        QCoreApplication app(argc, argv);
        QStringList parts;
        for (int i = 3; i < argc; ++i)
            parts << QString::fromLocal8Bit(argv[i]);
        return makeData(QString::fromLocal8Bit(argv[2]), parts);
    }
    if (command == "measure" && argc > 2) {
        QCoreApplication app(argc, argv);
        const int reps = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
        const QString only = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
        return measure(QString::fromLocal8Bit(argv[2]), reps,
            QCoreApplication::applicationFilePath().toLocal8Bit(), only);
    }
    std::fprintf(stderr,
        "usage: %s data DIR [PART...] | measure DIR [REPS [device|start]] | one OP ARGS... | start PROGRAM "
        "HOME\n",
        argv[0]);
    return 1;
}
