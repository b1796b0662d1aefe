#include "app/picture_loader_gui.h"

#include "common/guarded.h"
#include "common/program_paths.h"
#include "common/whole_file.h"

#include <QFileInfo>
#include <QImageReader>

namespace PictureLoader {

bool loadOrReport(const QString &relativePath, QPixmap *picture, Prompter &prompter)
{
    const QString path = ProgramPaths::resolve(relativePath);
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        showErrorBox(prompter, QStringLiteral("无法读取图片 %1：%2")
                                          .arg(path, WholeFile::readReason(path, QStringLiteral("图片格式无法识别或文件已损坏"))));
        return false;
    }
    *picture = QPixmap::fromImage(image);
    return true;
}

} // namespace PictureLoader
