#include "app/form_registry_gui.h"

#include "app/qt_prompter_gui.h"
#include "common/guarded.h"

#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>

FormRegistry &FormRegistry::instance()
{
    static FormRegistry registry;
    return registry;
}

void FormRegistry::registerClass(const QString &className, Factory factory)
{
    m_classes.insert(className.toLower(), std::move(factory));
}

void FormRegistry::unregisterClass(const QString &className)
{
    m_classes.remove(className.toLower());
}

bool FormRegistry::isRegistered(const QString &className) const
{
    return m_classes.contains(className.toLower());
}

QWidget *FormRegistry::findOpen(const QString &windowName) const
{
    for (const QPointer<QWidget> &w : m_open) {
        if (w && w->objectName().compare(windowName, Qt::CaseInsensitive) == 0)
            return w;
    }
    return nullptr;
}

void FormRegistry::bringToFront(QWidget *window)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget())) {
        if (QMdiArea *area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        sub->show();
        sub->raise();
    } else {
        window->show();
        window->raise();
        window->activateWindow();
    }
    window->setFocus();
}

QString FormRegistry::activeChildClassName() const
{
    QMdiSubWindow *sub = m_mdiArea ? m_mdiArea->currentSubWindow() : nullptr;
    if (!sub || !sub->widget())
        return {};
    return QString::fromLatin1(sub->widget()->metaObject()->className());
}

FormRegistry::Result FormRegistry::open(const QString &windowName, int mode, const QString &tag)
{
    m_open.removeAll(QPointer<QWidget>());
    Result result;
    if (QWidget *w = findOpen(windowName)) {
        bringToFront(w);
        result.window = w;
        result.found = true;
        return result;
    }
    const auto it = m_classes.constFind((u'T' + windowName).toLower());
    if (it == m_classes.constEnd())
        return result;
    result.found = true;

    // A window whose making or first showing fails is told and freed; the main window goes on.
    QPointer<QWidget> made;
    QtPrompter fallback;
    const bool opened = guarded(m_prompter ? *m_prompter : static_cast<Prompter &>(fallback), [&] {
        made = (*it)(nullptr);
        result = show(made, windowName, mode, tag);
    });
    if (!opened) {
        if (made) {
            m_open.removeAll(made);
            if (auto *sub = qobject_cast<QMdiSubWindow *>(made->parentWidget()))
                delete sub;   // takes the window with it
            else
                delete made.data();
        }
        result = Result();
        result.found = true;
    }
    return result;
}

FormRegistry::Result FormRegistry::show(QWidget *w, const QString &windowName, int mode, const QString &tag)
{
    Result result;
    result.found = true;
    w->setObjectName(windowName);
    w->setProperty("tag", tag.toInt());
    w->setAttribute(Qt::WA_DeleteOnClose);
    result.window = w;

    if (mode == Modal) {
        auto *dialog = qobject_cast<QDialog *>(w);
        if (dialog) {
            // Keep the dialog alive until its result is read; it is freed right after.
            dialog->setAttribute(Qt::WA_DeleteOnClose, false);
            result.modalResult = dialog->exec();
            delete dialog;
        } else {
            w->setWindowModality(Qt::ApplicationModal);
            w->show();
        }
        result.window = nullptr;
        return result;
    }

    m_open.append(w);
    if (mode == MdiChild && m_mdiArea) {
        QMdiSubWindow *sub = m_mdiArea->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        // A window that closes itself (its own close button) takes its frame with it.
        QObject::connect(w, &QObject::destroyed, sub, &QObject::deleteLater);
        sub->setWindowIcon(w->windowIcon());
        sub->showMaximized();
        m_mdiArea->setActiveSubWindow(sub);
    } else {
        w->showNormal();
    }
    return result;
}
