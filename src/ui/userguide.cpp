#include "userguide.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace UserGuide {

QStringList candidates()
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString name = u"guide.html"_s;
    return {
        QDir::cleanPath(programFolder.filePath(QStringLiteral(TARNWICK_GUIDE_FROM_PROGRAM))),
        programFolder.filePath(u"doc/"_s + name),
        QDir::cleanPath(programFolder.filePath(u"../Resources/"_s + name)),
        QStringLiteral(TARNWICK_GUIDE_IN_SOURCES),
    };
}

QString path()
{
    for (const QString &candidate : candidates()) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

} // namespace UserGuide
