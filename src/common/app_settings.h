#pragma once
// Configuration values read at the moment they are used (nothing is cached).
#include <QString>

namespace AppSettings {
// ALL/dgsl as a whole number; missing, not a number, or negative ("not set") give 10.
// 0 stays 0.
int defaultOrderQuantity();
// "Y" in the window's section shows the detail pane; an empty or missing value there falls
// back to section ALL, then to "N".
bool showDetail(const QString &windowSection);
}
