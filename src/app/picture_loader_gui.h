#pragma once
// Loads a picture of the program folder; one that cannot be loaded is reported in the
// standard error box through the prompter and the caller goes on without it.
#include <QPixmap>
#include <QString>

class Prompter;

namespace PictureLoader {
bool loadOrReport(const QString &relativePath, QPixmap *picture, Prompter &prompter);
}
