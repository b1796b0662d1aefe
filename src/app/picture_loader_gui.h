#pragma once
// Loads a picture of the program folder; one that cannot be loaded is reported in the
// standard error box and the caller goes on without it.
#include <QPixmap>
#include <QString>

namespace PictureLoader {
bool loadOrReport(const QString &relativePath, QPixmap *picture);
}
