#include "FileDrop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

std::vector<std::string> DroppedFiles(const QMimeData* mime)
{
    std::vector<std::string> files;
    if (mime == nullptr || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            return {};
        const QString path = url.toLocalFile();
        if (path.isEmpty() || QFileInfo(path).isDir())
            return {};
        files.push_back(path.toStdString());
    }
    return files;
}
