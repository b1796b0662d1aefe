#pragma once
// Orders made through MakeOrders on chosen days, and a stand-in xdg-email first on PATH that
// records its arguments (NUL-separated) and a copy of the attachment, then exits as told.
// The user's default mail program is a stand-in Evolution, which takes the attachment from
// the mail link (mailProgram() names another).
#include "mail_desktop.h"
#include "order_fixture.h"

#include "order/mail_hand_over.h"
#include "order/order_making.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class SendingTest : public OrderDbTest {
protected:
    QTemporaryDir stubs;
    QString record = tree.path(QStringLiteral("record"));
    QString spoolRoot = tree.path(QStringLiteral("spool"));
    int nextTitle = 0;
    StandInDesktop desktop{tree.path(QStringLiteral("desktop"))};
    bool mailProgramChosen = false;

    // The user's default mail program, as a desktop file and its program.
    void mailProgram(const QString &desktopFile, const QString &program)
    {
        desktop.defaultMailProgram(desktopFile, program);
        mailProgramChosen = true;
    }

    // One run of order making on day by orderer, one order per supplier code; returns the
    // order numbers.
    QStringList makeRun(const QDate &day, const QString &orderer, const QStringList &suppliers)
    {
        QList<ConfirmedLine> confirmed;
        for (const QString &ghbm : suppliers) {
            for (int i = 0; i < 2; ++i) {
                const QString tm = QStringLiteral("T%1").arg(++nextTitle, 3, 10, QChar(u'0'));
                const qint64 sl = 2 + nextTitle;
                addLine(tm, QStringLiteral("书%1").arg(nextTitle), 12.5, sl, ghbm,
                        QStringLiteral("供货商") + ghbm);
                confirmed.append({tm, sl});
            }
        }
        OrderParties p;
        p.ordererNo = QStringLiteral("B01");
        p.ordererName = orderer;
        p.ordererContact = QStringLiteral("王一");
        p.ordererTel = QStringLiteral("010-1234");
        p.consigneeNo = QStringLiteral("1");
        p.consigneeName = QStringLiteral("第一中学");
        p.consigneeAddress = QStringLiteral("东街 1 号");
        p.payerNo = QStringLiteral("1");
        p.payerName = QStringLiteral("教育局");
        return MakeOrders(db, QString(), p, confirmed, day).orderNumbers();
    }

    void installStandIn(const QByteArray &tail)
    {
        QFile f(stubs.filePath(QStringLiteral("xdg-email")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n"
                "mkdir -p \"$ZD_RECORD\"\n"
                "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$ZD_RECORD/args\"\n"
                "prev=\n"
                "for a in \"$@\"; do [ \"$prev\" = --attach ] && cp \"$a\" \"$ZD_RECORD/attachment\"; prev=$a; done\n"
                + tail);
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
    }
    MailHandOver::Settings handOverSettings() const
    {
        MailHandOver::Settings s;
        s.environment = QProcessEnvironment::systemEnvironment();
        s.environment.insert(QStringLiteral("PATH"), stubs.path() + QStringLiteral(":/usr/bin:/bin"));
        s.environment.insert(QStringLiteral("ZD_RECORD"), record);
        if (!mailProgramChosen)
            desktop.defaultMailProgram(QStringLiteral("org.gnome.Evolution.desktop"), QStringLiteral("evolution"));
        desktop.applyTo(s.environment);
        s.graceMs = 30000;   // the stand-in always ends, so the hand-over never waits this long
        s.pollMs = 20;
        return s;
    }
    QStringList recordedArguments() const
    {
        QFile f(record + QStringLiteral("/args"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList args;
        for (const QByteArray &a : f.readAll().split('\0'))
            args << QString::fromUtf8(a);
        args.removeLast();   // after the last NUL
        return args;
    }
    QByteArray attachmentCopy() const
    {
        QFile f(record + QStringLiteral("/attachment"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Spool folders left under the spool root.
    QStringList spoolFolders() const
    {
        return QDir(spoolRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    // The value following option in the recorded arguments.
    QString recordedOption(const QString &option) const
    {
        const QStringList args = recordedArguments();
        const qsizetype at = args.indexOf(option);
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    }
};
