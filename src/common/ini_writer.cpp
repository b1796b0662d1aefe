#include "common/ini_writer.h"

#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "common/ini_reader.h"
#include "common/whole_file.h"

#include <QFile>

namespace Ini {
namespace {

QString sectionName(QStringView line)
{
    const qsizetype close = line.indexOf(u']');
    return line.mid(1, close < 0 ? -1 : close - 1).trimmed().toString();
}

QString keyOf(QStringView line)
{
    if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'['))
        return {};
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QString() : line.left(eq).trimmed().toString();
}

} // namespace

QString withValues(const QString &text, const QString &section, const Values &values)
{
    const QString eol = text.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n")
                                                             : QStringLiteral("\n");
    QStringList lines = text.split(u'\n');
    for (QString &l : lines)
        if (l.endsWith(u'\r'))
            l.chop(1);
    const bool endedWithBreak = !lines.isEmpty() && lines.last().isEmpty() && text.size() > 0;
    if (endedWithBreak || text.isEmpty())
        lines.removeLast();

    QList<bool> done(values.size(), false);
    bool inSection = false;
    qsizetype lastSectionEnd = -1;   // index after the last key line of the section's last block
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines.at(i).trimmed();
        if (trimmed.startsWith(u'[')) {
            inSection = sectionName(trimmed).compare(section, Qt::CaseInsensitive) == 0;
            if (inSection)
                lastSectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        const QString key = keyOf(trimmed);
        if (key.isEmpty())
            continue;
        lastSectionEnd = i + 1;
        for (qsizetype v = 0; v < values.size(); ++v) {
            if (!done[v] && key.compare(values[v].first, Qt::CaseInsensitive) == 0) {
                lines[i] = key + u'=' + values[v].second;
                done[v] = true;
                break;
            }
        }
    }
    QStringList added;
    for (qsizetype v = 0; v < values.size(); ++v)
        if (!done[v])
            added << values[v].first + u'=' + values[v].second;
    if (!added.isEmpty()) {
        if (lastSectionEnd < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines << QString();
            lines << u'[' + section + u']';
            lines << added;
        } else {
            for (qsizetype a = 0; a < added.size(); ++a)
                lines.insert(lastSectionEnd + a, added.at(a));
        }
    }
    return lines.join(eol) + eol;
}

void writeValues(const QString &path, const QString &section, const Values &values)
{
    for (const auto &[key, value] : values) {
        if (value.contains(u'\n') || value.contains(u'\r'))
            throw AppError(QStringLiteral("配置项 %1 不能包含换行。").arg(key));
    }
    QByteArray bytes;
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            throw AppError(QStringLiteral("无法读取文件 %1：%2").arg(path, file.errorString()));
        bytes = file.readAll();
        file.close();
    }
    const FileText d = decodeFile(bytes);
    for (const auto &[key, value] : values) {
        const qsizetype size = d.utf8 ? value.toUtf8().size() : Gbk::encode(value).size();
        if (size > MaxValueBytes)
            throw AppError(QStringLiteral("配置项 %1 太长：最多 %2 个字节。").arg(key).arg(MaxValueBytes));
    }
    const QString text = withValues(d.text, section, values);
    QByteArray out = d.utf8 ? text.toUtf8() : Gbk::encode(text);
    if (d.bom)
        out.prepend("\xEF\xBB\xBF");
    WholeFile::writeOrThrow(path, out);
}

} // namespace Ini
