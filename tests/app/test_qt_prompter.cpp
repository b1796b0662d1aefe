// The program's message boxes: a question whose Yes gives something up answers No to Enter and
// Esc; an ordinary question keeps Yes as its default. Details open under "详细信息", which
// keeps its caption, and can be selected from the keyboard. The save dialog shows a request's
// options as check boxes and hands back what was ticked.
#include "app/qt_prompter_gui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QTextEdit>
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

TEST(QtPrompterTest, DetailsOpenUnderTheirOwnCaptionAndEscCloses)
{
    QtPrompter prompter;
    const QString words = QStringLiteral("xdg-email: no method available for opening 'mailto:'");
    QStringList captions;   // the details button's caption: shown, after opening, after closing
    bool detailsShown = false;
    QString detailsText;
    QString spoken;
    bool keyboardSelectable = false;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        auto *details = box->findChild<QAbstractButton *>(QStringLiteral("BtnDetails"));
        auto *memo = box->findChild<QTextEdit *>();
        if (!details || !memo)
            return box->done(0);
        spoken = details->accessibleName();
        captions << details->text();
        details->click();
        QApplication::processEvents();
        captions << details->text();
        detailsShown = memo->isVisible();
        detailsText = memo->toPlainText();
        keyboardSelectable = memo->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard);
        details->click();
        QApplication::processEvents();
        captions << details->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(prompter.messageWithDetails(QStringLiteral("发送订单时发生错误！"), words,
                                          QStringLiteral("信息提示"), MsgFlags::Error),
              MsgResult::Ok);
    EXPECT_EQ(captions, QStringList(3, QStringLiteral("详细信息(&D)")));
    EXPECT_EQ(spoken, QStringLiteral("详细信息"));
    EXPECT_TRUE(detailsShown);
    EXPECT_EQ(detailsText, words);
    EXPECT_TRUE(keyboardSelectable);
}

TEST(QtPrompterTest, SaveDialogOptionsComeBackAsTicked)
{
    QTemporaryDir folder;
    for (const bool before : {false, true}) {
        SCOPED_TRACE(before);
        bool option = before;
        SaveRequest request;
        request.caption = QStringLiteral("导出书目");
        request.filters = QStringLiteral("文本文件(*.txt)|*.txt");
        request.options << SaveOption{QStringLiteral("ISBN统一写为13位(&I)"), &option};
        bool shownAs = !before;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto *box = dialog->findChild<QCheckBox *>();
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), QStringLiteral("ISBN统一写为13位(&I)"));
            shownAs = box->isChecked();
            box->click();
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(folder.filePath(QStringLiteral("a.txt")));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QtPrompter prompter;
        EXPECT_EQ(prompter.saveFileName(request), folder.filePath(QStringLiteral("a.txt")));
        EXPECT_EQ(shownAs, before);
        EXPECT_EQ(option, !before);
    }
}

} // namespace
