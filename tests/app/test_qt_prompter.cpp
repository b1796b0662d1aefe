// The program's message boxes: a question whose Yes gives something up answers No to Enter and
// Esc; an ordinary question keeps Yes as its default.
#include "app/qt_prompter_gui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(QtPrompterTest, TheDefaultOfAQuestionIsItsSafeAnswer)
{
    const struct {
        bool defaultNo;
        Qt::Key key;
        bool yes;   // what askYesNo returns
    } cases[] = {
        {true, Qt::Key_Return, false}, {true, Qt::Key_Escape, false},
        {false, Qt::Key_Return, true},
    };
    QtPrompter prompter;
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "defaultNo " << c.defaultNo << " key " << c.key);
        QString buttons;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (QAbstractButton *b : box->buttons())
                buttons += b->text() + u' ';
            QTest::keyClick(box, c.key);
        });
        EXPECT_EQ(prompter.askYesNo(QStringLiteral("确定关闭吗？"), c.defaultNo), c.yes);
        EXPECT_TRUE(buttons.contains(QStringLiteral("是(&Y)"))) << buttons.toStdString();
        EXPECT_TRUE(buttons.contains(QStringLiteral("否(&N)"))) << buttons.toStdString();
    }
}

} // namespace
