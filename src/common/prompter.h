#pragma once
// The one door through which anything asks the user. Windows use the Qt implementation;
// tests answer from a script and record what was shown.
#include "common/progress.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace MsgFlags {
// Message-box styles: icon and buttons.
constexpr int Error = 16;         // error icon, OK
constexpr int Warning = 48;       // warning icon, OK
constexpr int Information = 64;   // information icon, OK
constexpr int OkCancel = 33;      // question icon, OK and Cancel
constexpr int YesNo = 36;         // question icon, Yes and No
constexpr int YesNoDefaultNo = 292;   // question icon, Yes and No, No the default (Enter, Esc)
constexpr int YesNoCancel = 35;   // question icon, Yes, No and Cancel (Esc)
constexpr int RetryCancel = 53;   // warning icon, Retry and Cancel
constexpr int Plain = 0;          // no icon, OK
} // namespace MsgFlags

namespace MsgResult {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Retry = 4;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace MsgResult

// A check box the save dialog shows under the file name: checked holds its state when the
// dialog opens and, once a file was chosen, the state the user left it in.
struct SaveOption {
    QString caption;          // "ISBN写为13位(&I)"
    bool *checked = nullptr;
};

struct SaveRequest {
    QString caption;
    QString filters;          // "文本文件(*.txt)|*.txt|Excel文件(*.xls)|*.xls"
    QString defaultSuffix;    // "txt"
    QString suggestedName;
    QList<SaveOption> options;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows a modal message box and returns the pressed button (MsgResult).
    virtual int message(const QString &text, const QString &caption, int flags) = 0;
    // message() with details (a program's own words) that the user opens with the button
    // "详细信息"; empty details: message(). The default shows them below the text.
    virtual int messageWithDetails(const QString &text, const QString &details, const QString &caption,
                                   int flags)
    {
        return message(details.isEmpty() ? text : text + QStringLiteral("\n\n") + details, caption, flags);
    }
    // Asks for a file to save to (overwrite confirmed by the dialog); empty when cancelled.
    virtual QString saveFileName(const SaveRequest &request) = 0;
    // A display for one piece of long work, shown while the returned object lives (the
    // product's appears after half a second with the count, a cancel button and a wait
    // cursor). The default shows nothing and never stops the work.
    virtual std::unique_ptr<Progress> progress() { return std::make_unique<Progress>(); }

    void info(const QString &text) { message(text, QStringLiteral("系统提示"), MsgFlags::Information); }
    // With defaultNo, Enter or Esc answer No: for questions whose Yes gives something up.
    bool askYesNo(const QString &text, bool defaultNo = false) {
        return message(text, QStringLiteral("系统提示"), defaultNo ? MsgFlags::YesNoDefaultNo : MsgFlags::YesNo)
               == MsgResult::Yes;
    }
};
