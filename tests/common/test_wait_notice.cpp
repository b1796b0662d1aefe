// The wait notice is up while a change runs under retryWhileBusy() and down whenever the user
// is asked (the retry question, or a question of the work itself), and when it is over.
#include "common/guarded.h"
#include "common/wait_notice.h"
#include "scripted_prompter.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Notes each question in the events, and whether the notice was up over it.
class NoticePrompter : public ScriptedPrompter {
public:
    explicit NoticePrompter(QStringList &events) : m_events(events) {}
    int message(const QString &text, const QString &caption, int flags) override
    {
        m_events << (WaitNotice::isUp() ? QStringLiteral("asked over the notice") : QStringLiteral("asked"));
        return ScriptedPrompter::message(text, caption, flags);
    }

private:
    QStringList &m_events;
};

class WaitNoticeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WaitNotice::install([this](bool up) { events << (up ? QStringLiteral("up") : QStringLiteral("down")); });
    }
    void TearDown() override { WaitNotice::install({}); }
    QStringList events;
};

TEST_F(WaitNoticeTest, UpWhileTheChangeRunsDownForEveryQuestion)
{
    const struct {
        const char *what;
        int busyRuns;         // runs that end in the busy error before one succeeds
        QList<int> answers;   // to the retry question
        bool questionInside;  // the work asks the user something itself
        QStringList expected;
    } cases[] = {
        {"a change that does not wait", 0, {}, false, {"up", "work", "down"}},
        {"busy, then 重试", 1, {MsgResult::Retry}, false,
         {"up", "work", "down", "asked", "up", "work", "down"}},
        {"busy, then 取消", 1, {MsgResult::Cancel}, false, {"up", "work", "down", "asked"}},
        {"a question inside the change", 0, {}, true, {"up", "work", "down", "asked", "up", "down"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        events.clear();
        NoticePrompter prompter(events);
        for (int a : c.answers)
            prompter.answers.enqueue(a);
        int runs = 0;
        try {
            retryWhileBusy(prompter, [&] {
                events << QStringLiteral("work");
                if (c.questionInside) {
                    const WaitNotice::Pause pause;   // what the program's prompter does
                    prompter.message(QStringLiteral("继续？"), QStringLiteral("系统提示"), MsgFlags::YesNo);
                }
                if (runs++ < c.busyRuns)
                    throw BusyError(QStringLiteral("held"));
            });
        } catch (const BusyError &) {
        }
        EXPECT_EQ(events, c.expected);
        EXPECT_FALSE(WaitNotice::isUp());
    }
}

} // namespace
