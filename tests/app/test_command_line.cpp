// The program's command line, run as a separate process without any display: --help and
// --version answer on standard output, anything else unknown is refused with exit code 2, and
// none of them reaches the point where a window would be opened.
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;
    QString out;
    QString err;
};

// No X or Wayland display and no platform choice: a program that built its application
// object here would fail to start.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

ProgramRun runProgram(const QStringList &args, const QProcessEnvironment &env = withoutDisplay())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ZD_PROGRAM), args);
    ProgramRun r;
    r.finished = p.waitForFinished(60000);
    if (!r.finished) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus();
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

struct CommandLineCase {
    QStringList args;
    int code;
    QStringList outHas;   // texts standard output contains; empty list: it stays empty
    QStringList errHas;   // the same for standard error
};

class CommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLine, AnswersWithoutADisplay)
{
    const CommandLineCase &c = GetParam();
    const ProgramRun r = runProgram(c.args);
    ASSERT_TRUE(r.finished) << c.args.join(u' ').toStdString();
    ASSERT_EQ(r.status, QProcess::NormalExit) << r.err.toStdString();
    EXPECT_EQ(r.code, c.code) << r.err.toStdString();
    if (c.outHas.isEmpty()) {
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    for (const QString &text : c.outHas)
        EXPECT_TRUE(r.out.contains(text)) << text.toStdString() << " not in:\n" << r.out.toStdString();
    if (c.errHas.isEmpty()) {
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
    for (const QString &text : c.errHas)
        EXPECT_TRUE(r.err.contains(text)) << text.toStdString() << " not in:\n" << r.err.toStdString();
}

const QStringList HelpLines = {QStringLiteral("用法：zhengding [选项]"), QStringLiteral("--no-splash"),
                               QStringLiteral("--help"), QStringLiteral("--version"),
                               QStringLiteral("显示版本后退出")};

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLine,
    ::testing::Values(
        CommandLineCase{{QStringLiteral("--help")}, 0, HelpLines, {}},
        CommandLineCase{{QStringLiteral("-h")}, 0, HelpLines, {}},
        // --no-splash is an option of the run; it does not stop --help from answering.
        CommandLineCase{{QStringLiteral("--no-splash"), QStringLiteral("--help")}, 0, HelpLines, {}},
        CommandLineCase{{QStringLiteral("--help"), QStringLiteral("--version")}, 0, HelpLines, {}},
        CommandLineCase{{QStringLiteral("--version")}, 0, {QStringLiteral("征订 1.2\n")}, {}},
        CommandLineCase{{QStringLiteral("--bogus")},
                        2, {}, {QStringLiteral("未知选项 --bogus"), QStringLiteral("zhengding --help")}},
        // A refused argument wins over --help and --version that come before or after it.
        CommandLineCase{{QStringLiteral("--version"), QStringLiteral("-x")},
                        2, {}, {QStringLiteral("未知选项 -x")}},
        CommandLineCase{{QStringLiteral("--no-splash"), QStringLiteral("--nosplash"), QStringLiteral("--help")},
                        2, {}, {QStringLiteral("未知选项 --nosplash")}},
        CommandLineCase{{QStringLiteral("orders.txt")}, 2, {}, {QStringLiteral("多余的参数 orders.txt")}},
        // Options of other programs are not taken as a prefix of ours.
        CommandLineCase{{QStringLiteral("--vers")}, 2, {}, {QStringLiteral("未知选项 --vers")}}));

// --help names the user's own working tree, the one an installed program works in.
TEST(CommandLineHelp, NamesThePerUserWorkingTree)
{
    QProcessEnvironment env = withoutDisplay();
    env.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("/nonexistent/data-home"));
    const ProgramRun r = runProgram({QStringLiteral("--help")}, env);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("/nonexistent/data-home/zhengding/"))) << r.out.toStdString();
}

// The environment above really has no display: the windowed start does not come through it.
// Without this, the cases above would prove nothing about needing no display.
TEST(CommandLineEnvironment, WindowedStartFailsWithoutADisplay)
{
    const ProgramRun r = runProgram({QStringLiteral("--no-splash")});
    ASSERT_TRUE(r.finished);
    EXPECT_FALSE(r.status == QProcess::NormalExit && r.code == 0);
    EXPECT_FALSE(r.err.isEmpty());
}

} // namespace
