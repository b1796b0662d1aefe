#pragma once
// The caption of an error box: the application's title, as the standard error box shows it.
#include <QCoreApplication>
#include <QString>
#include <QVariant>

inline QString errorCaption()
{
    const QCoreApplication *app = QCoreApplication::instance();
    const QString title = app ? app->property("appTitle").toString() : QString();
    return title.isEmpty() ? QStringLiteral("征订") : title;
}
