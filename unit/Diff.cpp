#include "unit/Diff.h"

#include <QStringDecoder>

#include <algorithm>
#include <vector>

namespace unit {

namespace {

// A line keeps its line feed, so that a last line without one differs from
// the same text with one, as diff has it.
std::vector<QString> linesOf(const QByteArray& bytes)
{
    QStringDecoder decode(QStringConverter::System);
    const QString text = decode(bytes);
    std::vector<QString> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        end = end < 0 ? text.size() : end + 1;
        lines.push_back(text.mid(start, end - start));
        start = end;
    }
    return lines;
}

enum class Op : char { Equal, Delete, Insert };

// The shortest edit script from a to b between the common start and end
// (Myers' algorithm); when it would be longer than maxEdits, the middle is
// removed and added whole.
std::vector<Op> editScript(const std::vector<QString>& a, const std::vector<QString>& b, int maxEdits)
{
    const int n = int(a.size());
    const int m = int(b.size());
    int prefix = 0;
    while (prefix < n && prefix < m && a[size_t(prefix)] == b[size_t(prefix)])
        ++prefix;
    int suffix = 0;
    while (
        suffix < n - prefix && suffix < m - prefix && a[size_t(n - 1 - suffix)] == b[size_t(m - 1 - suffix)])
        ++suffix;
    const int an = n - prefix - suffix;
    const int bm = m - prefix - suffix;
    auto same = [&](int x, int y) { return a[size_t(prefix + x)] == b[size_t(prefix + y)]; };

    std::vector<Op> middle;
    const int limit = qMin(an + bm, maxEdits);
    const int offset = limit + 1;
    std::vector<int> v(size_t(2 * limit + 3), 0);
    // trace[d]: v for k in [-d-1, d+1] before step d.
    std::vector<std::vector<int>> trace;
    int found = -1;
    for (int d = 0; d <= limit && found < 0; ++d) {
        trace.emplace_back(v.begin() + offset - d - 1, v.begin() + offset + d + 2);
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[size_t(offset + k - 1)] < v[size_t(offset + k + 1)]))
                ? v[size_t(offset + k + 1)]
                : v[size_t(offset + k - 1)] + 1;
            int y = x - k;
            while (x < an && y < bm && same(x, y)) {
                ++x;
                ++y;
            }
            v[size_t(offset + k)] = x;
            if (x >= an && y >= bm) {
                found = d;
                break;
            }
        }
    }

    if (found < 0) {
        middle.assign(size_t(an), Op::Delete);
        middle.insert(middle.end(), size_t(bm), Op::Insert);
    } else {
        int x = an;
        int y = bm;
        for (int d = found; d >= 0; --d) {
            const std::vector<int>& before = trace[size_t(d)];
            auto at = [&](int k) { return before[size_t(k + d + 1)]; };
            const int k = x - y;
            const int previousK = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? k + 1 : k - 1;
            const int previousX = d == 0 ? 0 : at(previousK);
            const int previousY = d == 0 ? 0 : previousX - previousK;
            while (x > previousX && y > previousY) {
                middle.push_back(Op::Equal);
                --x;
                --y;
            }
            if (d > 0)
                middle.push_back(x == previousX ? Op::Insert : Op::Delete);
            x = previousX;
            y = previousY;
        }
        std::reverse(middle.begin(), middle.end());
    }

    std::vector<Op> script(size_t(prefix), Op::Equal);
    script.insert(script.end(), middle.begin(), middle.end());
    script.insert(script.end(), size_t(suffix), Op::Equal);
    return script;
}

// "start,count" as diff writes a range: one line without its count, an empty
// range at the line before it.
QString range(int start, int count)
{
    if (count == 1)
        return QString::number(start + 1);
    return QStringLiteral("%1,%2").arg(count == 0 ? start : start + 1).arg(count);
}

QString line(QChar mark, const QString& text)
{
    if (text.endsWith(QLatin1Char('\n')))
        return mark + text;
    return mark + text + QLatin1String("\n\\ No newline at end of file\n");
}

} // namespace

QString Diff::unified(const QString& path, const QByteArray& before, const QByteArray& after, int context)
{
    if (before == after)
        return {};
    const QString header = QStringLiteral("--- a/%1\n+++ b/%1\n").arg(path);
    if (before.contains('\0') || after.contains('\0'))
        return QStringLiteral("Binary files a/%1 and b/%1 differ\n").arg(path);

    const std::vector<QString> a = linesOf(before);
    const std::vector<QString> b = linesOf(after);
    const std::vector<Op> script = editScript(a, b, maxEdits);
    const int size = int(script.size());

    QString text = header;
    int i = 0;
    // Lines of a and b before position scanned of the script.
    int scanned = 0;
    int aLine = 0;
    int bLine = 0;
    while (i < size) {
        while (i < size && script[size_t(i)] == Op::Equal)
            ++i;
        if (i == size)
            break;
        // A hunk runs from context lines before its first change to context
        // lines after its last one; changes closer than twice that share it.
        int end = i;
        for (int equal = 0; end < size && equal <= 2 * context; ++end)
            equal = script[size_t(end)] == Op::Equal ? equal + 1 : 0;
        while (end > i && script[size_t(end - 1)] == Op::Equal)
            --end;
        const int start = qMax(0, i - context);
        const int stop = qMin(size, end + context);

        for (; scanned < start; ++scanned) {
            aLine += script[size_t(scanned)] != Op::Insert;
            bLine += script[size_t(scanned)] != Op::Delete;
        }
        QString body;
        int aCount = 0;
        int bCount = 0;
        for (int j = start; j < stop; ++j) {
            switch (script[size_t(j)]) {
            case Op::Equal:
                body += line(QLatin1Char(' '), a[size_t(aLine + aCount)]);
                ++aCount;
                ++bCount;
                break;
            case Op::Delete:
                body += line(QLatin1Char('-'), a[size_t(aLine + aCount)]);
                ++aCount;
                break;
            case Op::Insert:
                body += line(QLatin1Char('+'), b[size_t(bLine + bCount)]);
                ++bCount;
                break;
            }
        }
        text += QStringLiteral("@@ -%1 +%2 @@\n").arg(range(aLine, aCount), range(bLine, bCount)) + body;
        scanned = stop;
        aLine += aCount;
        bLine += bCount;
        i = stop;
    }
    return text;
}

} // namespace unit
