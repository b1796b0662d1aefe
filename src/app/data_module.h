#pragma once
// What the data module holds for the whole run: the one connection and the application values.
// create() reads the configuration, opens the connection and tells the user when it cannot.
#include "common/prompter.h"
#include "data/jet_import.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct DataModuleState {
    QSqlDatabase con;
    QString defaultRelation;   // ALL/sGetRelation, default "包含"
    QString dbKind;            // All/sDbType
    QString userName;          // sUserName: the operator code (OperatorCode::current())
    bool endRequested = false;
};

namespace DataModule {

inline constexpr char ConnectionName[] = "Con";

// Runs the data module's creation. Shows "请初始化系统配置！" for a missing kind and the
// connection message when the open fails or the database lacks the program's tables (both end
// the program; such a database is closed again untouched). A damaged stored password
// throws AppError ("Error: not a Hex String"), which ends creation with the connection closed.
// An embedded database that is the supplier's Access/Jet file is offered for conversion
// first (JetConversion::offer, with progress told to the given callback); declined, it is
// refused by the connection message as before. An open database made before the order and
// cart numbers were unique keys gets them (NumberKeys::upgrade); one that holds a number twice
// keeps running, and the user is told which numbers and how to renumber them.
DataModuleState create(Prompter &prompter, const QString &connectionName = QString::fromLatin1(ConnectionName),
                       const JetImport::Progress &conversionProgress = {});

QString connectionFailureText(const QString &databaseError);
// What the connection message says of a database that lacks these tables and views.
QString catalogueMissingText(const QStringList &missing);

} // namespace DataModule
