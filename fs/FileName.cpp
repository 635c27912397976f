#include "fs/FileName.h"

#include "xml/Utf8.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <climits>

namespace fs {

namespace {

const char16_t escapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at data[0], or 0 when there is none.
int sequenceLength(const uchar* data, qsizetype available)
{
    if (data[0] < 0x80)
        return 1;
    int length = 0;
    return xml::decodeUtf8Sequence(data, data + available, length) != 0 ? length : 0;
}

} // namespace

QString decodeName(const QByteArray& name)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(name);
    if (!utf8.hasError())
        return decoded;

    decoded.clear();
    const auto* data = reinterpret_cast<const uchar*>(name.constData());
    const qsizetype size = name.size();
    qsizetype i = 0;
    while (i < size) {
        const int length = sequenceLength(data + i, size - i);
        if (length == 0) {
            decoded += QChar(char16_t(escapeBase + data[i]));
            ++i;
        } else {
            decoded += QString::fromUtf8(name.constData() + i, length);
            i += length;
        }
    }
    return decoded;
}

QByteArray encodeName(const QString& name)
{
    QByteArray encoded;
    encoded.reserve(name.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name.at(i).unicode();
        if (unit < escapeBase + 0x80 || unit > escapeBase + 0xFF)
            continue;
        // A lone low surrogate; one that ends a valid pair is part of a letter.
        if (i > 0 && name.at(i - 1).isHighSurrogate())
            continue;
        encoded += QStringView(name).mid(start, i - start).toUtf8();
        encoded += char(unit - escapeBase);
        start = i + 1;
    }
    if (start == 0)
        return name.toUtf8();
    encoded += QStringView(name).mid(start).toUtf8();
    return encoded;
}

bool canExist(const QString& path)
{
    const QByteArray bytes = encodeName(path);
    if (bytes.size() >= PATH_MAX)
        return false;
    const QList<QByteArray> names = bytes.split('/');
    return std::all_of(
        names.begin(), names.end(), [](const QByteArray& name) { return name.size() <= NAME_MAX; });
}

} // namespace fs
