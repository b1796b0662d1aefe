#pragma once
// A read-only table of text for a dialog that reports (a dispatch log, the results of a run):
// whole rows selected, no row numbers, each cell's full text as its tool tip, the columns as
// wide as their contents and the last one stretched. The screen reader names the table by
// accessibleName and reads each cell.
#include <QList>
#include <QString>
#include <QStringList>

class QDialog;
class QPushButton;
class QTableWidget;
class QWidget;

QTableWidget *readOnlyTable(QWidget *parent, const QString &objectName, const QString &accessibleName,
                            const QStringList &heads, const QList<QStringList> &rows);

// Lays a reporting dialog out: its caption above the table, "关闭(&C)" (BtnClose, accepts the
// dialog) at the bottom right. Returns the button.
QPushButton *layOutReport(QDialog *dialog, QWidget *caption, QTableWidget *table);
