// The order query window driven with the keyboard and the mouse over orders made through
// order making: the default date range, the field filter, the head panel, the rows and totals
// of the current order, ticks and deletion, export and sending again.
#include "find_named.h"
#include "sending_fixture.h"
#include "scripted_prompter.h"
#include "spoken.h"

#include "common/gbk_codec.h"
#include "grid/grid_model.h"
#include "grid/grid_view.h"
#include "catalog/list_report_dialog.h"
#include "grid/grid_popup_gui.h"
#include "order/dispatch_log.h"
#include "order/dispatch_log_dialog.h"
#include "order/dispatch_summary_dialog.h"
#include "order/order_query_window.h"
#include "widgets/toggle_strip_widget.h"
#include "wait_for.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

const QDate today(2026, 3, 15);
const QDateTime sendTime(QDate(2026, 3, 15), QTime(9, 8, 7));

QStringList sortedList(QStringList list)
{
    list.sort();
    return list;
}

class OrderQueryWindowTest : public SendingTest {
protected:
    ScriptedPrompter prompter;
    std::unique_ptr<TFrmSeh> w;
    // Order numbers by run.
    QStringList feb28, mar01, mar05, mar10, mar11, mar12, mar15, mar16;

    void SetUp() override
    {
        // Runs out of date order, so order numbers and dates do not go together.
        mar15 = makeRun(QDate(2026, 3, 15), QStringLiteral("五_店"), {QStringLiteral("G1")});
        feb28 = makeRun(QDate(2026, 2, 28), QStringLiteral("二月店"), {QStringLiteral("G1")});
        mar01 = makeRun(QDate(2026, 3, 1), QStringLiteral("一中"), {QStringLiteral("G1"), QStringLiteral("G2")});
        mar05 = makeRun(QDate(2026, 3, 5), QStringLiteral("读者'之友书店"), {QStringLiteral("G2")});
        mar10 = makeRun(QDate(2026, 3, 10), QStringLiteral("百分之50%店"), {QStringLiteral("G1")});
        mar11 = makeRun(QDate(2026, 3, 11), QStringLiteral("50店"), {QStringLiteral("G1")});
        mar12 = makeRun(QDate(2026, 3, 12), QStringLiteral("五A店"), {QStringLiteral("G1")});
        mar16 = makeRun(QDate(2026, 3, 16), QStringLiteral("三月末店"), {QStringLiteral("G1")});
    }
    void TearDown() override { w.reset(); }
    QStringList openedFolders;   // what the window showed in the file manager

    void open(const QDate &day = today)
    {
        TFrmSeh::Options options;
        options.today = day;
        options.sending.spoolRoot = spoolRoot;
        options.sending.handOver = handOverSettings();
        options.sending.now = sendTime;
        options.openFolder = [this](const QString &folder) { openedFolders << folder; };
        w = std::make_unique<TFrmSeh>(prompter, db, options);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    template <class T>
    T *find(const char *name) const
    {
        return findNamed<T>(w.get(), name);
    }
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }
    static void click(QPushButton *b) { QTest::mouseClick(b, Qt::LeftButton); }

    // The order numbers listed, in list order; empty when the list is closed.
    QStringList listed() const
    {
        QStringList out;
        for (int row = 0; w->orders().isOpen() && row < w->orders().recordCount(); ++row)
            out << w->orders().text(row, QStringLiteral("dhdh"));
        return out;
    }
    int rowOf(const QString &dhdh) const { return int(listed().indexOf(dhdh)); }
    // Clicks the mark cell of an order.
    void tick(const QString &dhdh)
    {
        DbGrid *grid = w->orderGrid();
        const int row = rowOf(dhdh);
        ASSERT_GE(row, 0) << dhdh.toStdString();
        const QModelIndex cell = grid->model()->index(row, 0);
        grid->scrollTo(cell);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    }
    // Ticks an order that takes ticks.
    void tickMarkable(const QString &dhdh)
    {
        tick(dhdh);
        ASSERT_TRUE(w->marked().containsKey(dhdh)) << dhdh.toStdString();
    }
    // Field choice and value as the user gives them; Enter is pressed (not released).
    void query(const QString &field, const QString &value)
    {
        find<QComboBox>("CbField")->setCurrentText(field);
        QLineEdit *edit = find<QLineEdit>("EdtValue");
        edit->setText(value);
        edit->setFocus();
        QTest::keyPress(edit, Qt::Key_Return);
    }
    QString label(const char *name) const { return find<QLabel>(name)->text(); }
    QString spoken(const char *name) const { return spokenText(find<QWidget>(name)); }
    QStringList stored(const char *table) const
    {
        QStringList out;
        QSqlQuery q = Sql::exec(db, QStringLiteral("select distinct dhdh from %1 order by dhdh").arg(QLatin1String(table)));
        while (q.next())
            out << q.value(0).toString();
        return out;
    }
};

TEST_F(OrderQueryWindowTest, OpensOnTheMonthSoFarInOrderNumberOrder)
{
    const struct {
        QDate day;
        QDate from;
        QStringList expected;
    } cases[] = {
        {today, QDate(2026, 3, 1), mar01 + mar05 + mar10 + mar11 + mar12 + mar15},
        {QDate(2026, 3, 1), QDate(2026, 3, 1), mar01},
        {QDate(2026, 2, 28), QDate(2026, 2, 1), feb28},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.day.toString(Qt::ISODate).toStdString());
        open(c.day);
        EXPECT_EQ(w->windowTitle(), QStringLiteral("订单查询"));
        EXPECT_EQ(find<QDateEdit>("EdtBdate")->date(), c.from);
        EXPECT_EQ(find<QDateEdit>("EdtEdate")->date(), c.day);
        EXPECT_EQ(find<QDateEdit>("EdtBdate")->displayFormat(), QStringLiteral("yyyy-MM-dd"));
        EXPECT_EQ(find<QComboBox>("CbField")->currentText(), QStringLiteral("订货单号"));
        QStringList sorted = c.expected;
        sorted.sort();
        EXPECT_EQ(listed(), sorted);
    }
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'\n').toStdString();
}

TEST_F(OrderQueryWindowTest, TheFieldFilterMatchesWhatWasTypedAndClearsTheTicks)
{
    open();
    const QString batchOfMar01 = Sql::scalar(db, QStringLiteral("select dfdh from deorder where dhdh=?"),
                                             {mar01.first()}).toString();
    const struct {
        const char *field;
        QString value;
        QStringList expected;
    } cases[] = {
        // The last digits of a batch number: that batch's orders only.
        {"流水号", batchOfMar01.right(3), mar01},
        {"订货人名称", QStringLiteral("者'之"), mar05},
        {"订货人名称", QStringLiteral("50%"), mar10},
        {"订货人名称", QStringLiteral("五_"), mar15},
        {"订货人名称", QStringLiteral("%"), mar10},
        {"订货人名称", QStringLiteral("_"), mar15},
        {"订货人名称", QStringLiteral("乙"), {}},
        {"订货单号", QString(), mar01 + mar05 + mar10 + mar11 + mar12 + mar15},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((QString::fromUtf8(c.field) + u' ' + c.value).toStdString());
        for (const QString &dhdh : listed())
            tickMarkable(dhdh);
        query(QString::fromUtf8(c.field), c.value);
        QStringList sorted = c.expected;
        sorted.sort();
        EXPECT_EQ(listed(), sorted);
        EXPECT_TRUE(w->marked().isEmpty());
    }
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'\n').toStdString();
}

TEST_F(OrderQueryWindowTest, AQueryTheDatabaseRefusesSaysWhyAndLeavesTheListClosed)
{
    open();
    Sql::exec(db, QStringLiteral("alter table deorder rename to deorder_old"));
    click(button("BtnQuery"));
    ASSERT_EQ(prompter.shown.size(), 1);
    const QStringList text = prompter.shown[0].text.split(u'\n');
    ASSERT_EQ(text.size(), 2);
    EXPECT_EQ(text[0], QStringLiteral("查询数据时出现错误!"));
    EXPECT_TRUE(text[1].contains(QStringLiteral("deorder"))) << text[1].toStdString();
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
    EXPECT_FALSE(w->orders().isOpen());
    EXPECT_FALSE(w->lines().isOpen());
    EXPECT_EQ(label("LblCount"), QString());
}

TEST_F(OrderQueryWindowTest, RowsTotalsAndHeadFollowTheCurrentOrder)
{
    open();
    Sql::exec(db, QStringLiteral("update deorder_mx set sl=1234, my=15425 where dhdh=? and tm=(select min(tm) from deorder_mx where dhdh=?)"),
              {mar05.first(), mar05.first()});
    for (const QString &dhdh : {mar05.first(), mar01.last()}) {
        SCOPED_TRACE(dhdh.toStdString());
        w->orders().setCurrentRow(rowOf(dhdh));
        ASSERT_TRUE(w->lines().isOpen());
        const QStringList stored = rows(QStringLiteral("select tm from deorder_mx where dhdh=? order by tm"), {dhdh});
        QStringList shown;
        for (int row = 0; row < w->lines().recordCount(); ++row) {
            EXPECT_EQ(w->lines().text(row, QStringLiteral("dhdh")), dhdh);
            shown << w->lines().text(row, QStringLiteral("tm"));
        }
        shown.sort();
        EXPECT_EQ(shown, stored);
        const QStringList totals = rows(QStringLiteral("select count(*),sum(sl),sum(my) from deorder_mx where dhdh=?"), {dhdh});
        const QStringList t = totals.first().split(u'|');
        EXPECT_EQ(label("LblCount"), t[0]);
        EXPECT_EQ(label("LblSl"), DataSet::formatNumber(t[1].toDouble(), QStringLiteral("#,")));
        EXPECT_EQ(label("LblMy"), DataSet::formatNumber(t[2].toDouble(), QStringLiteral("#,.00;#,.00;0")));
        // Read by a screen reader with the value, as it follows the current order.
        for (const auto &[name, caption] : {std::pair{"LblCount", "品种"}, {"LblSl", "数量"}, {"LblMy", "码洋"}})
            EXPECT_EQ(spoken(name), QString::fromUtf8(caption) + QStringLiteral("：") + label(name)) << name;
        EXPECT_EQ(find<QLineEdit>("Head_dhdh")->text(), dhdh);
    }
    // Thousands separators and two decimals.
    w->orders().setCurrentRow(rowOf(mar05.first()));
    EXPECT_TRUE(label("LblSl").contains(u',')) << label("LblSl").toStdString();
    EXPECT_TRUE(label("LblMy").endsWith(QStringLiteral(".50")) || label("LblMy").endsWith(QStringLiteral(".00")))
        << label("LblMy").toStdString();
    EXPECT_EQ(find<QLineEdit>("Head_dhrm")->text(), QStringLiteral("读者'之友书店"));
    EXPECT_EQ(find<QLineEdit>("Head_dhrq")->text(), QStringLiteral("2026-03-05"));
}

TEST_F(OrderQueryWindowTest, TheHeadPanelIsShownAndHiddenByMouseAndKeyboard)
{
    open();
    auto *strip = find<TToggleStrip>("HeadStrip");
    QWidget *panel = find<QWidget>("Panel8");
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(strip->topPicture()->objectName(), QStringLiteral("ImgUp"));
    EXPECT_EQ(strip->toolTip(), QStringLiteral("显示单头"));

    // Tab from the order list reaches the strip; Space and Enter toggle it.
    w->orderGrid()->setFocus();
    QTest::keyClick(w->orderGrid(), Qt::Key_Tab);
    ASSERT_TRUE(strip->hasFocus());
    QTest::keyClick(strip, Qt::Key_Space);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(w->headVisible());
    EXPECT_EQ(strip->topPicture()->objectName(), QStringLiteral("ImgDown"));
    EXPECT_EQ(strip->toolTip(), QStringLiteral("隐藏单头"));
    QTest::keyClick(strip, Qt::Key_Return);
    EXPECT_FALSE(panel->isVisible());

    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->topPicture()->geometry().center());
    EXPECT_TRUE(panel->isVisible());
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->topPicture()->geometry().center());
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(OrderQueryWindowTest, DeletingTwoTickedOrdersTakesThemWholeAndLeavesNoTrace)
{
    open();
    const QString current = mar05.first();
    w->orders().setCurrentRow(rowOf(current));
    tick(mar05.first());
    tick(mar01.last());
    ASSERT_EQ(w->marked().size(), 2);
    click(button("BtnDel"));

    ASSERT_EQ(prompter.shown.size(), 2) << prompter.texts().join(u'\n').toStdString();
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("本操作将删除选中订单，是否继续？"));
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::YesNo);
    EXPECT_EQ(prompter.shown[1].text, QStringLiteral("已经将选中的订单删除"));
    for (const char *table : {"deorder", "deorder_mx"}) {
        EXPECT_FALSE(stored(table).contains(mar05.first())) << table;
        EXPECT_FALSE(stored(table).contains(mar01.last())) << table;
        EXPECT_TRUE(stored(table).contains(mar01.first())) << table;
    }
    EXPECT_EQ(listed(), sortedList(mar01.mid(0, 1) + mar10 + mar11 + mar12 + mar15));
    EXPECT_TRUE(w->marked().isEmpty());
    // The rows and totals shown belong to an order that still exists.
    const QString shownOrder = w->orders().currentText(QStringLiteral("dhdh"));
    EXPECT_TRUE(listed().contains(shownOrder));
    for (int row = 0; row < w->lines().recordCount(); ++row)
        EXPECT_EQ(w->lines().text(row, QStringLiteral("dhdh")), shownOrder);
    EXPECT_EQ(label("LblCount"), QStringLiteral("2"));
}

TEST_F(OrderQueryWindowTest, DeletingEveryListedOrderLeavesNoRowsOrTotals)
{
    open(QDate(2026, 3, 1));
    ASSERT_EQ(listed(), mar01);
    for (const QString &dhdh : mar01)
        tick(dhdh);
    click(button("BtnDel"));
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_FALSE(w->lines().isOpen() && w->lines().recordCount() > 0);
    EXPECT_EQ(label("LblCount"), QString());
    EXPECT_EQ(label("LblMy"), QString());
    EXPECT_EQ(spoken("LblCount"), QStringLiteral("品种"));
    EXPECT_EQ(find<QLineEdit>("Head_dhdh")->text(), QString());
}

TEST_F(OrderQueryWindowTest, DeletionAsksFirstAndNeedsTicks)
{
    open();
    click(button("BtnDel"));
    ASSERT_EQ(prompter.texts(), QStringList{QStringLiteral("请选择要删除的订单")});
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Information);

    prompter.shown.clear();
    tick(mar10.first());
    prompter.answers.enqueue(MsgResult::No);
    click(button("BtnDel"));
    EXPECT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(stored("deorder").contains(mar10.first()));
    EXPECT_TRUE(w->marked().containsKey(mar10.first()));
}

TEST_F(OrderQueryWindowTest, ASentOrderCannotBeTicked)
{
    Sql::exec(db, QStringLiteral("update deorder set cdcs=1 where dhdh=?"), {mar10.first()});
    open();
    tick(mar10.first());
    EXPECT_TRUE(w->marked().isEmpty());
    EXPECT_FALSE(w->orderGrid()->toggleMark(rowOf(mar10.first())));
    // Space on the current row does not tick it either.
    w->orders().setCurrentRow(rowOf(mar10.first()));
    w->orderGrid()->setFocus();
    QTest::keyClick(w->orderGrid(), Qt::Key_Space);
    EXPECT_TRUE(w->marked().isEmpty());
    click(button("BtnDel"));
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("请选择要删除的订单")});
    EXPECT_TRUE(stored("deorder").contains(mar10.first()));
}

TEST_F(OrderQueryWindowTest, AFailedDeletionSaysWhyAndKeepsTheTicks)
{
    open();
    Sql::exec(db, QStringLiteral("create trigger keep_rows before delete on deorder_mx"
                                 " begin select raise(abort, 'rows are locked'); end"));
    tick(mar05.first());
    tick(mar11.first());
    click(button("BtnDel"));

    ASSERT_EQ(prompter.shown.size(), 2) << prompter.texts().join(u'\n').toStdString();
    const QStringList text = prompter.shown[1].text.split(u'\n');
    ASSERT_GE(text.size(), 2);
    EXPECT_EQ(text[0], QStringLiteral("删除订单时发生错误！"));
    EXPECT_TRUE(prompter.shown[1].text.contains(QStringLiteral("rows are locked")));
    EXPECT_EQ(prompter.shown[1].flags, MsgFlags::Error);
    EXPECT_EQ(w->marked().markedKeys(), (QStringList{mar05.first(), mar11.first()}));
    for (const char *table : {"deorder", "deorder_mx"}) {
        EXPECT_TRUE(stored(table).contains(mar05.first())) << table;
        EXPECT_TRUE(stored(table).contains(mar11.first())) << table;
    }
    EXPECT_TRUE(listed().contains(mar05.first()));
}

TEST_F(OrderQueryWindowTest, ADeletionThatFindsTheDatabaseBusyOffersToTryAgain)
{
    // Another desk is in the middle of a change: each try waits 100 ms for its turn.
    const QString other = QStringLiteral("other_desk");
    {
        QSqlDatabase desk = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), other);
        desk.setDatabaseName(db.databaseName());
        ASSERT_TRUE(desk.open());
        auto holding = std::make_unique<Sql::Transaction>(desk);
        Sql::exec(db, QStringLiteral("PRAGMA busy_timeout=100"));
        open();
        tick(mar05.first());
        // Confirm, try again once, then give up.
        prompter.answers << MsgResult::Yes << MsgResult::Retry << MsgResult::Cancel;
        click(button("BtnDel"));
        holding.reset();
        desk.close();
    }
    QSqlDatabase::removeDatabase(other);

    ASSERT_EQ(prompter.shown.size(), 4) << prompter.texts().join(u'\n').toStdString();
    for (int i : {1, 2}) {
        EXPECT_EQ(prompter.shown[i].flags, MsgFlags::RetryCancel);
        EXPECT_TRUE(prompter.shown[i].text.startsWith(QStringLiteral("数据库正被其他工作站使用。是否重试？")));
    }
    EXPECT_TRUE(prompter.shown[3].text.startsWith(QStringLiteral("删除订单时发生错误！\n")
                                                  + Sql::failureSentence(EngineError::Kind::Busy)));
    EXPECT_EQ(w->marked().markedKeys(), QStringList{mar05.first()});
    EXPECT_TRUE(stored("deorder").contains(mar05.first()));
}

TEST_F(OrderQueryWindowTest, ExportWritesTheCurrentOrderAsAWorkbook)
{
    open();
    // Nothing listed: nothing to export, and no dialog.
    query(QStringLiteral("订货人名称"), QStringLiteral("乙"));
    click(button("BtnExp"));
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("没有可以导出的数据")});
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Plain);
    EXPECT_TRUE(prompter.saveRequests.isEmpty());

    query(QStringLiteral("订货单号"), QString());
    const struct {
        const char *what;
        QString answer;   // empty: the dialog is cancelled
        QStringList messages;
    } cases[] = {
        {"cancelled", QString(), {}},
        {"written", tree.path(QStringLiteral("order.xlsx")), {QStringLiteral("订单导出完成！")}},
        {"a folder that does not exist", tree.path(QStringLiteral("none/order.xlsx")), {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        prompter.shown.clear();
        prompter.saveRequests.clear();
        if (!c.answer.isEmpty())
            prompter.saveAnswers.enqueue(c.answer);
        click(button("BtnExp"));
        ASSERT_EQ(prompter.saveRequests.size(), 1);
        EXPECT_EQ(prompter.saveRequests[0].filters, QStringLiteral("Excel文件(*.xlsx)|*.xlsx"));
        EXPECT_EQ(prompter.saveRequests[0].defaultSuffix, QStringLiteral("xlsx"));
        if (c.messages.isEmpty() && !c.answer.isEmpty()) {
            ASSERT_EQ(prompter.shown.size(), 1);
            const QStringList text = prompter.shown[0].text.split(u'\n');
            ASSERT_GE(text.size(), 2);
            EXPECT_EQ(text[0], QStringLiteral("导出数据时发生错误！"));
            EXPECT_FALSE(text[1].isEmpty());
            EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
            EXPECT_FALSE(QFile::exists(c.answer));
        } else {
            EXPECT_EQ(prompter.texts(), c.messages);
        }
    }
    QFile workbook(tree.path(QStringLiteral("order.xlsx")));
    ASSERT_TRUE(workbook.open(QIODevice::ReadOnly));
    EXPECT_TRUE(workbook.read(2) == "PK");
}

// 打印订单: the current order in print preview, saved from there as a PDF that names it.
TEST_F(OrderQueryWindowTest, PrintShowsTheCurrentOrderAndSavesItAsPdf)
{
    open();
    QPushButton *print = button("BtnPrint");
    EXPECT_EQ(print->accessibleName(), QStringLiteral("打印订单"));
    query(QStringLiteral("订货人名称"), QStringLiteral("乙"));   // nothing listed
    click(print);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("没有可以打印的订单")});

    query(QStringLiteral("订货单号"), QString());
    const QString order = mar10.first();
    w->orders().setCurrentRow(rowOf(order));
    prompter.shown.clear();
    click(print);   // no Order.layout beside the program yet: told, nothing shown
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("Order.layout")));

    tree.copyFromDist(QStringLiteral("bin/Order.layout"));
    prompter.shown.clear();
    const QString pdf = tree.path(QStringLiteral("printed.pdf"));
    prompter.saveAnswers.enqueue(pdf);
    int previewPages = -1;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<ListReportDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (auto *preview = dialog->findChild<QPrintPreviewWidget *>())
            previewPages = preview->pageCount();
        if (dialog->pdfAction())
            dialog->pdfAction()->trigger();
        dialog->reject();
    });
    click(print);
    EXPECT_EQ(previewPages, 1);
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();
    ASSERT_EQ(prompter.saveRequests.size(), 1);
    EXPECT_EQ(prompter.saveRequests[0].suggestedName, QStringLiteral("订单%1.pdf").arg(order));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput()).remove(u' ');
    EXPECT_TRUE(printed.contains(QStringLiteral("订货单号：") + order)) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("百分之50%店")));
    EXPECT_TRUE(printed.contains(QStringLiteral("供货商：供货商G1")));
}

TEST_F(OrderQueryWindowTest, SendingAgainAttachesTheCurrentOrderUnderTheQueryTitle)
{
    installStandIn("exit 0\n");
    open();
    w->orders().setCurrentRow(rowOf(mar01.last()));
    QPushButton *send = button("BtnSend");
    EXPECT_EQ(send->text(), QStringLiteral("发送(&S)"));
    EXPECT_EQ(send->toolTip(), QStringLiteral("发送邮件"));
    click(send);

    // The hand-over is confirmed, naming the recipients (none in this tree).
    ZD_WAIT_EQ(prompter.shown.size(), 1, 20000);
    EXPECT_EQ(prompter.shown[0].text, OrderDispatch::handedOverText(mar01.last(), {}));
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Information);
    EXPECT_TRUE(send->isEnabled());
    EXPECT_EQ(recordedOption(QStringLiteral("--subject")), QStringLiteral("图书征定单"));
    EXPECT_EQ(QFileInfo(recordedOption(QStringLiteral("--attach"))).fileName(),
              QStringLiteral("图书征定单") + sendTime.toString(QStringLiteral("yyyyMMddhhmmss")) + QStringLiteral(".xls"));
    const QStringList lines = Gbk::decode(attachmentCopy()).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("图书征定单"));
    EXPECT_EQ(lines[1], QStringLiteral("订货单号：\t") + mar01.last());

    // The list shows the new state; the handed-over order takes no tick for deletion.
    EXPECT_EQ(w->orders().currentText(QStringLiteral("dhdh")), mar01.last());
    EXPECT_EQ(w->orders().currentText(QStringLiteral("fszt")),
              QStringLiteral("已交给邮件程序 ") + sendTime.toString(QStringLiteral("MM-dd hh:mm")));
    EXPECT_EQ(w->orders().currentText(QStringLiteral("cdcs")), QStringLiteral("1"));
    tick(mar01.last());
    EXPECT_TRUE(w->marked().isEmpty());
    tickMarkable(mar01.first());   // its sibling was not sent

    // Nothing listed: nothing to send.
    prompter.shown.clear();
    QDir(record).removeRecursively();
    query(QStringLiteral("订货人名称"), QStringLiteral("乙"));
    click(send);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("没有可以发送的数据")});
    EXPECT_TRUE(recordedArguments().isEmpty());
}

TEST_F(OrderQueryWindowTest, AFailedHandOverIsToldToTheUser)
{
    installStandIn("echo 'no method available for opening mailto' >&2\nexit 3\n");
    open();
    click(button("BtnSend"));
    ZD_WAIT_EQ(prompter.shown.size(), 1, 20000);
    EXPECT_TRUE(prompter.shown[0].text.startsWith(OrderDispatch::failedFirstLine() + u'\n'))
        << prompter.shown[0].text.toStdString();
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
    // Chinese for the clerk; the launcher's own words behind "详细信息".
    EXPECT_FALSE(prompter.shown[0].text.contains(QStringLiteral("no method"))) << prompter.shown[0].text.toStdString();
    EXPECT_EQ(prompter.shown[0].details, QStringLiteral("no method available for opening mailto"));
    EXPECT_TRUE(w->orders().currentText(QStringLiteral("fszt")).startsWith(QStringLiteral("发送失败：")))
        << w->orders().currentText(QStringLiteral("fszt")).toStdString();
    EXPECT_EQ(w->orders().currentText(QStringLiteral("cdcs")), QStringLiteral("0"));
}

// 发送全部未发送订单 sends every listed order whose last dispatch is not a success, one mail
// each, after asking; the summary names each order and the list shows their new state.
TEST_F(OrderQueryWindowTest, SendingEveryUnsentListedOrder)
{
    installStandIn("n=$(cat \"$ZD_RECORD/calls\" 2>/dev/null || echo 0); echo $((n+1)) > \"$ZD_RECORD/calls\"\nexit 0\n");
    const auto calls = [&] {
        QFile f(record + QStringLiteral("/calls"));
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toInt() : 0;
    };
    DispatchLog::Entry before;
    before.orderNumber = mar10.first();
    before.time = QDateTime(QDate(2026, 3, 14), QTime(10, 0));
    before.result = DispatchLog::Result::HandedOver;
    DispatchLog::record(db, before);
    before.orderNumber = mar11.first();
    before.result = DispatchLog::Result::Failed;
    before.failure = QStringLiteral("没有邮件程序");
    DispatchLog::record(db, before);
    open();
    query(QStringLiteral("订货人名称"), QStringLiteral("店"));   // all but 一中's two orders
    const QStringList shown = listed();
    ASSERT_EQ(shown, sortedList(mar05 + mar10 + mar11 + mar12 + mar15));
    QStringList unsent = shown;
    unsent.removeOne(mar10.first());
    QPushButton *sendAll = button("BtnSendAll");
    EXPECT_EQ(spokenText(sendAll), QStringLiteral("发送全部未发送订单"));

    // "否" (or Esc) sends nothing.
    prompter.answers.enqueue(MsgResult::No);
    click(sendAll);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].text, DispatchRun::question(DispatchRun::Scope::List, unsent));
    EXPECT_TRUE(prompter.shown[0].text.startsWith(QStringLiteral("发送列表中 4 张未发送的订单？每张订单一封邮件。")));
    EXPECT_EQ(prompter.progressesHandedOut, 0);
    QTest::qWait(100);
    EXPECT_EQ(calls(), 0);

    // "是": one mail per unsent order, then the summary.
    prompter.shown.clear();
    w->orders().setCurrentRow(rowOf(mar12.first()));
    click(sendAll);
    EXPECT_FALSE(sendAll->isEnabled());
    EXPECT_FALSE(button("BtnSend")->isEnabled());
    ZD_WAIT_TRUE(w->sendAllSummary() != nullptr, 30000);
    EXPECT_EQ(prompter.shown.size(), 1) << prompter.texts().join(u'|').toStdString();
    EXPECT_EQ(calls(), 4);
    DispatchSummaryDialog *summary = w->sendAllSummary();
    QTableWidget *table = summary->table();
    EXPECT_EQ(spokenText(table), QStringLiteral("发送结果"));
    EXPECT_EQ(spokenText(findNamed<QPushButton>(summary, "BtnClose")), QStringLiteral("关闭"));
    EXPECT_EQ(summary->counts()->text(), QStringLiteral("共 4 张订单：成功 4 张。"));
    ASSERT_EQ(table->rowCount(), 4);
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(table->item(row, 0)->text(), unsent[row]);
        EXPECT_EQ(table->item(row, 1)->text(), QStringLiteral("供货商G") + (unsent[row] == mar05.first() ? u'2' : u'1'));
        EXPECT_EQ(table->item(row, 2)->text(), QStringLiteral("已交给邮件程序（收件人在邮件程序中填写）"));
        EXPECT_EQ(w->orders().text(rowOf(unsent[row]), QStringLiteral("fszt")),
                  QStringLiteral("已交给邮件程序 ") + sendTime.toString(QStringLiteral("MM-dd hh:mm")));
        EXPECT_EQ(w->orders().text(rowOf(unsent[row]), QStringLiteral("cdcs")), QStringLiteral("1"));
    }
    EXPECT_EQ(DispatchLog::entries(db, mar10.first()).size(), 1);   // already handed over: not again
    EXPECT_EQ(w->orders().currentText(QStringLiteral("dhdh")), mar12.first());
    EXPECT_TRUE(sendAll->isEnabled());
    QTest::mouseClick(findNamed<QPushButton>(summary, "BtnClose"), Qt::LeftButton);
    ZD_WAIT_TRUE(w->sendAllSummary() == nullptr, 5000);

    // Nothing left unsent: said so, nothing sent.
    prompter.shown.clear();
    click(sendAll);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("列表中没有未发送的订单。")});
    QTest::qWait(100);
    EXPECT_EQ(calls(), 4);
    EXPECT_EQ(prompter.progressesHandedOut, 1);
}

// A mail program that may drop the attachment: the hand-over is told with the warning, and Yes
// shows the folder of the order file.
TEST_F(OrderQueryWindowTest, AMailProgramThatMayDropTheFileOffersItsFolder)
{
    installStandIn("exit 0\n");
    mailProgram(QStringLiteral("org.gnome.Geary.desktop"), QStringLiteral("geary"));
    open();
    w->orders().setCurrentRow(rowOf(mar01.last()));
    for (const int answer : {MsgResult::No, MsgResult::Yes}) {
        SCOPED_TRACE(answer);
        prompter.shown.clear();
        prompter.answers.enqueue(answer);
        click(button("BtnSend"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !prompter.shown.isEmpty(); }, 20000));
        const QString question = prompter.shown[0].text;
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::YesNo);
        EXPECT_TRUE(question.startsWith(OrderDispatch::handedOverText(mar01.last(), {}))) << question.toStdString();
        EXPECT_TRUE(question.contains(QFileInfo(recordedOption(QStringLiteral("--attach"))).fileName()))
            << question.toStdString();
    }
    // Only the second answer opened the folder: the one the order file lies in.
    ASSERT_EQ(openedFolders.size(), 1);
    EXPECT_EQ(openedFolders[0], QFileInfo(recordedOption(QStringLiteral("--attach"))).absolutePath());
}

// Each order's last dispatch as a column, the filter on it, and the log of one order from the
// pop-up menu.
TEST_F(OrderQueryWindowTest, TheLastDispatchIsShownFilteredAndItsLogOpens)
{
    const auto attempt = [&](const QString &order, DispatchLog::Result result, int minute) {
        DispatchLog::Entry e;
        e.orderNumber = order;
        e.time = QDateTime(QDate(2026, 3, 14), QTime(10, minute));
        e.recipients = {QStringLiteral("a@x.cn")};
        e.subject = QStringLiteral("图书征定单");
        e.result = result;
        if (result == DispatchLog::Result::Failed)
            e.failure = QStringLiteral("发送订单时发生错误！\n没有邮件程序");
        DispatchLog::record(db, e);
    };
    attempt(mar10.first(), DispatchLog::Result::Failed, 1);
    attempt(mar10.first(), DispatchLog::Result::HandedOver, 2);
    attempt(mar11.first(), DispatchLog::Result::Failed, 3);
    PpMenu menu(prompter);
    TFrmSeh::Options options;
    options.today = today;
    options.popupMenu = &menu;
    w = std::make_unique<TFrmSeh>(prompter, db, options);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));

    const auto state = [&](const QString &order) {
        return w->orders().text(rowOf(order), QStringLiteral("fszt"));
    };
    EXPECT_EQ(state(mar10.first()), QStringLiteral("已交给邮件程序 03-14 10:02"));
    EXPECT_EQ(state(mar11.first()), QStringLiteral("发送失败：没有邮件程序"));
    EXPECT_EQ(state(mar05.first()), QStringLiteral("未发送"));

    QComboBox *filter = find<QComboBox>("CbDispatch");
    EXPECT_EQ(filter->accessibleName(), QStringLiteral("发送状态"));
    const struct {
        const char *choice;
        QStringList expected;
    } cases[] = {
        {"已交给邮件程序", {mar10.first()}},
        {"发送失败", {mar11.first()}},
        {"已发送", {}},
        {"未发送", sortedList(mar01 + mar05 + mar12 + mar15)},
        {"全部", sortedList(mar01 + mar05 + mar10 + mar11 + mar12 + mar15)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.choice);
        filter->setFocus();
        const int index = filter->findText(QString::fromUtf8(c.choice));
        ASSERT_GE(index, 0);
        while (filter->currentIndex() != index)
            QTest::keyClick(filter, filter->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
        EXPECT_EQ(listed(), c.expected);
    }

    // The pop-up menu of the order list offers the log of the current order.
    w->orders().setCurrentRow(rowOf(mar10.first()));
    ASSERT_TRUE(menu.prepare(w->orderGrid(), 0, &w->marked(), 1));
    EXPECT_TRUE(menu.ownItemAction()->isVisible());
    EXPECT_EQ(menu.ownItemAction()->text(), QStringLiteral("发送记录(&G)"));
    menu.ownItemAction()->trigger();
    auto *dialog = w->findChild<DispatchLogDialog *>();
    ASSERT_NE(dialog, nullptr);
    QTableWidget *table = dialog->table();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 6)->text(), QStringLiteral("发送失败"));
    EXPECT_EQ(table->item(0, 7)->text(), QStringLiteral("发送订单时发生错误！ 没有邮件程序"));
    EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("2026-03-14 10:02:00"));
    EXPECT_EQ(table->item(1, 2)->text(), QStringLiteral("a@x.cn"));
    EXPECT_EQ(table->item(1, 6)->text(), QStringLiteral("已交给邮件程序"));
    EXPECT_EQ(spokenText(findNamed<QPushButton>(dialog, "BtnClose")), QStringLiteral("关闭"));
    QTest::mouseClick(findNamed<QPushButton>(dialog, "BtnClose"), Qt::LeftButton);
    ZD_WAIT_TRUE(w->findChild<DispatchLogDialog *>() == nullptr, 5000);
    // The book grid has no such item.
    ASSERT_TRUE(menu.prepare(w->bookGrid(), 0, nullptr, 0));
    EXPECT_FALSE(menu.ownItemAction()->isVisible());
    w.reset();
}

} // namespace
