#pragma once
// A Prompter that answers from a script and records every message it was shown.
#include "common/prompter.h"

#include "recording_progress.h"

#include <QList>
#include <QQueue>

struct ShownMessage {
    QString text;
    QString caption;
    int flags = 0;
    QString details;   // what messageWithDetails() put behind "详细信息"
};

class ScriptedPrompter : public Prompter {
public:
    QList<ShownMessage> shown;
    QQueue<int> answers;          // next results of message(); the default button when empty
    QQueue<QString> saveAnswers;  // next results of saveFileName(); empty (cancel) when none
    QList<SaveRequest> saveRequests;
    QQueue<QList<bool>> saveOptionAnswers;   // the options' states chosen with the next file; as they were when none
    ProgressLog progressLog;      // what the long work reported; its stopAt stops it
    int progressesHandedOut = 0;

    int message(const QString &text, const QString &caption, int flags) override
    {
        shown.append({text, caption, flags, {}});
        if (!answers.isEmpty())
            return answers.dequeue();
        if (flags == MsgFlags::YesNoDefaultNo)
            return MsgResult::No;
        return flags == MsgFlags::YesNo || flags == MsgFlags::YesNoCancel ? MsgResult::Yes : MsgResult::Ok;
    }
    int messageWithDetails(const QString &text, const QString &details, const QString &caption,
                           int flags) override
    {
        const int answer = message(text, caption, flags);
        shown.last().details = details;
        return answer;
    }
    QString saveFileName(const SaveRequest &request) override
    {
        saveRequests.append(request);
        const QString path = saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
        const QList<bool> ticks = saveOptionAnswers.isEmpty() ? QList<bool>() : saveOptionAnswers.dequeue();
        for (int i = 0; !path.isEmpty() && i < ticks.size() && i < request.options.size(); ++i)
            if (request.options.at(i).checked)
                *request.options.at(i).checked = ticks.at(i);
        return path;
    }
    std::unique_ptr<Progress> progress() override
    {
        ++progressesHandedOut;
        return std::make_unique<RecordingProgress>(progressLog);
    }
    QStringList texts() const
    {
        QStringList out;
        for (const auto &m : shown)
            out << m.text;
        return out;
    }
};
