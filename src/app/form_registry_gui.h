#pragma once
// Working windows are opened by name. Each window class is registered under its class name
// ("T" + window name); lookups ignore letter case. A second request for an open window
// brings it to the front instead of creating another.
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

#include <QMdiArea>

class Prompter;

class FormRegistry {
public:
    using Factory = std::function<QWidget *(QWidget *owner)>;

    enum Mode { Normal = 0, MdiChild = 1, Modal = 2 };

    struct Result {
        QWidget *window = nullptr;  // the window (modes 0 and 1, or the open one)
        int modalResult = 0;        // mode 2: how the dialog was closed
        bool found = false;         // false: no class registered under the name
    };

    static FormRegistry &instance();

    void registerClass(const QString &className, Factory factory);
    void unregisterClass(const QString &className);
    bool isRegistered(const QString &className) const;

    // The main window's child-window area for mode 1.
    void setMdiArea(QMdiArea *area) { m_mdiArea = area; }
    QMdiArea *mdiArea() const { return m_mdiArea; }
    // The class name of the main window's active child window ("" when none).
    QString activeChildClassName() const;
    // Where a window that fails while it is made or shown is reported.
    void setPrompter(Prompter *prompter) { m_prompter = prompter; }

    // Opens windowName ("FrmSeh") in the mode with the given tag text.
    Result open(const QString &windowName, int mode, const QString &tag = QStringLiteral("0"));

    // The open window of that name (case ignored), or nullptr.
    QWidget *findOpen(const QString &windowName) const;
    static void bringToFront(QWidget *window);

private:
    Result show(QWidget *window, const QString &windowName, int mode, const QString &tag);

    QHash<QString, Factory> m_classes;   // key: lower-case class name
    QList<QPointer<QWidget>> m_open;
    QPointer<QMdiArea> m_mdiArea;
    Prompter *m_prompter = nullptr;
};
