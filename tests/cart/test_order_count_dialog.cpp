// "设置订购数量": what it takes and refuses, the current row or every row, and Enter.
#include "scripted_prompter.h"
#include "temp_tree.h"

#include "cart/order_count_dialog.h"
#include "data/dataset.h"
#include "grid/grid_view.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class OrderCountDialogTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();
    ScriptedPrompter prompter;
    DataSet list;
    std::unique_ptr<DbGrid> grid;
    std::unique_ptr<TFrmOrderCount> dialog;

    void SetUp() override
    {
        list.setConnection(db);
        list.setStatement(QStringLiteral("select 'T1' as tm, 5 as sl, 12.5 as dj, 62.5 as my"
                                         " union all select 'T2', 3, 20, 60"
                                         " union all select 'T3', 1, 7.3, 7.3"));
        list.open();
        grid = std::make_unique<DbGrid>();
        grid->setDataSet(&list);
        list.setCurrentRow(1);
    }
    void TearDown() override
    {
        dialog.reset();
        grid.reset();
    }

    void open()
    {
        dialog = std::make_unique<TFrmOrderCount>(prompter, *grid);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    QLineEdit *count() const { return dialog->findChild<QLineEdit *>(QStringLiteral("EdtCount")); }
    QCheckBox *all() const { return dialog->findChild<QCheckBox *>(QStringLiteral("All")); }
    QPushButton *button(const char *name) const
    {
        return dialog->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    // "tm sl my" of every row.
    QStringList rows() const
    {
        QStringList out;
        for (int row = 0; row < list.recordCount(); ++row)
            out << list.text(row, QStringLiteral("tm")) + u' ' + list.text(row, QStringLiteral("sl")) + u' '
                       + list.text(row, QStringLiteral("my"));
        return out;
    }
};

TEST_F(OrderCountDialogTest, ShowsTheCurrentRowsQuantity)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("设置订购数量"));
    EXPECT_EQ(count()->text(), QStringLiteral("3"));
    EXPECT_FALSE(all()->isChecked());
    EXPECT_EQ(button("BtnOk")->text(), QStringLiteral("确定(&O)"));
    EXPECT_EQ(button("BtnClose")->text(), QStringLiteral("关闭(&C)"));
}

TEST_F(OrderCountDialogTest, TakesWholeNumbersAndRefusesTheRest)
{
    const QStringList before = {QStringLiteral("T1 5 62.5"), QStringLiteral("T2 3 60"),
                                QStringLiteral("T3 1 7.3")};
    const struct {
        const char *typed;
        bool everyRow;
        bool accepted;
        QStringList after;
    } cases[] = {
        {"12", false, true, {"T1 5 62.5", "T2 12 240", "T3 1 7.3"}},
        {"0", false, true, {"T1 5 62.5", "T2 0 0", "T3 1 7.3"}},
        {" 7 ", false, true, {"T1 5 62.5", "T2 7 140", "T3 1 7.3"}},
        {"99999", false, true, {"T1 5 62.5", "T2 99999 1999980", "T3 1 7.3"}},
        {"4", true, true, {"T1 4 50", "T2 4 80", "T3 4 29.2"}},
        {"-3", false, false, before},
        {"2.5", false, false, before},
        {"abc", false, false, before},
        {"", false, false, before},
        {"+5", false, false, before},
        {"100000", false, false, before},
        {"１２", false, false, before},
        {"-3", true, false, before},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("typed: \"") + c.typed + (c.everyRow ? "\" every row" : "\""));
        list.open();
        list.setCurrentRow(1);
        prompter.shown.clear();
        open();
        count()->setText(QString::fromUtf8(c.typed));
        all()->setChecked(c.everyRow);
        QTest::mouseClick(button("BtnOk"), Qt::LeftButton);
        EXPECT_EQ(rows(), c.after);
        if (c.accepted) {
            EXPECT_TRUE(prompter.shown.isEmpty());
            EXPECT_EQ(dialog->result(), QDialog::Accepted);
            EXPECT_FALSE(dialog->isVisible());
            // Every row ends on the last row, one row keeps its place.
            EXPECT_EQ(list.currentRow(), c.everyRow ? 2 : 1);
        } else {
            ASSERT_EQ(prompter.shown.size(), 1);
            EXPECT_EQ(prompter.shown[0].text, QStringLiteral("输入错误！"));
            EXPECT_EQ(prompter.shown[0].caption, QStringLiteral("系统提示"));
            EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Information);
            EXPECT_TRUE(dialog->isVisible());
        }
    }
}

TEST_F(OrderCountDialogTest, EnterAppliesOnThePressOnly)
{
    open();
    count()->setText(QStringLiteral("x"));
    QTest::keyPress(count(), Qt::Key_Return);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("输入错误！")});
    // The release that would close the message box does not apply again.
    QTest::keyRelease(count(), Qt::Key_Return);
    EXPECT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(dialog->isVisible());

    count()->setText(QStringLiteral("9"));
    QTest::keyClick(count(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(list.text(1, QStringLiteral("sl")), QStringLiteral("9"));
    EXPECT_EQ(list.text(1, QStringLiteral("my")), QStringLiteral("180"));
}

TEST_F(OrderCountDialogTest, CloseChangesNothing)
{
    open();
    count()->setText(QStringLiteral("50"));
    all()->setChecked(true);
    QTest::mouseClick(button("BtnClose"), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("T1 5 62.5"), QStringLiteral("T2 3 60"), QStringLiteral("T3 1 7.3")}));
}

} // namespace
