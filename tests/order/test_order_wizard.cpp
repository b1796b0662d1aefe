// The order wizard driven page by page on a real database: the cart and its quantities, the
// parties, confirming, sending and exporting a batch, and what the user sees when something
// fails on the way.
#include "find_named.h"
#include "mail_desktop.h"
#include "order_fixture.h"
#include "scripted_prompter.h"
#include "spoken.h"

#include "cart/order_count_dialog.h"
#include "catalog/list_report_dialog.h"
#include "grid/grid_popup_gui.h"
#include "grid/grid_view.h"
#include "order/dispatch_summary_dialog.h"
#include "order/order_wizard_window.h"
#include "order/unsent_sending_gui.h"
#include "wait_for.h"

#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>
#include <QStandardPaths>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

namespace {

// Answers from the script; before answering, a test may act on what was asked.
class HookedPrompter : public ScriptedPrompter {
public:
    std::function<void(const QString &text)> onMessage;
    int message(const QString &text, const QString &caption, int flags) override
    {
        if (onMessage)
            onMessage(text);
        return ScriptedPrompter::message(text, caption, flags);
    }
};

const QString Confirm = QStringLiteral("订单生成后将不可修改，确认生成订单吗？");

class OrderWizardTest : public OrderDbTest {
protected:
    HookedPrompter prompter;
    std::unique_ptr<TFrmOrderDo> w;
    QString mailLog;

    void SetUp() override
    {
        Sql::exec(db, QStringLiteral("insert into bookstore (bno,bname,contact,tele,zipcode,address)"
                                     " values ('B01','读者''之友书店','王''一','010-1234','100001','东街 1 号')"));
        // Three suppliers; S2 holds two titles.
        addLines({10, 5, 3, 1});
        mailLog = tree.path(QStringLiteral("mail.log"));
        useMailProgram(0);
    }
    void TearDown() override { w.reset(); }

    // The four titles' cart lines with these quantities.
    void addLines(const std::array<int, 4> &quantities)
    {
        addLine(QStringLiteral("T1"), QStringLiteral("高等数学"), 12.5, quantities[0], QStringLiteral("S2"), QStringLiteral("二号供货商"));
        addLine(QStringLiteral("T2"), QStringLiteral("大学物理"), 20, quantities[1], QStringLiteral("S1"), QStringLiteral("一号供货商"));
        addLine(QStringLiteral("T3"), QStringLiteral("线性代数"), 8, quantities[2], QStringLiteral("S3"), QStringLiteral("三号供货商"));
        addLine(QStringLiteral("T4"), QStringLiteral("数学分析"), 30, quantities[3], QStringLiteral("S2"), QStringLiteral("二号供货商"));
    }
    // No orders, and a cart of the four titles only.
    void freshStart(const std::array<int, 4> &quantities)
    {
        for (const char *table : {"deorder", "deorder_mx", "deshopcart_mx", "deshopcart"})
            Sql::exec(db, QStringLiteral("delete from ") + QLatin1String(table));
        addLines(quantities);
    }

    // A stand-in for xdg-email that logs its arguments and exits with code.
    void useMailProgram(int code)
    {
        tree.writeFile(QStringLiteral("fakebin/xdg-email"),
                       QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '%1'; done\n"
                                      "[ %2 = 0 ] || echo 'xdg-email: no method available' >&2\nexit %2\n")
                           .arg(mailLog)
                           .arg(code)
                           .toUtf8());
        QFile::setPermissions(tree.path(QStringLiteral("fakebin/xdg-email")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The hand-over's wrapper moves its status file into place; nothing else is on the PATH,
        // so no real mail program is ever started.
        QFile::link(QStandardPaths::findExecutable(QStringLiteral("mv")), tree.path(QStringLiteral("fakebin/mv")));
    }

    std::unique_ptr<PpMenu> menu;
    std::unique_ptr<QMdiArea> area;   // goes after the window (TearDown)
    StandInDesktop desktop{tree.path(QStringLiteral("desktop"))};
    bool mailProgramChosen = false;
    QStringList openedFolders;   // what the window showed in the file manager

    void open()
    {
        TFrmOrderDo::Options options;
        options.popupMenu = menu.get();
        options.spoolRoot = tree.path(QStringLiteral("spool"));
        options.mail.environment.insert(QStringLiteral("PATH"), tree.path(QStringLiteral("fakebin")));
        // The user's mail program takes the attachment unless the test chose another.
        if (!mailProgramChosen)
            desktop.defaultMailProgram(QStringLiteral("org.gnome.Evolution.desktop"), QStringLiteral("evolution"));
        desktop.applyTo(options.mail.environment);
        options.openFolder = [this](const QString &folder) { openedFolders << folder; };
        options.mail.graceMs = 3000;
        options.mail.pollMs = 20;
        w = std::make_unique<TFrmOrderDo>(prompter, db, options);
        w->resize(1100, 700);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    template <class T>
    T *find(const char *name) const
    {
        return findNamed<T>(w.get(), name);
    }
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }
    QLineEdit *edit(const char *name) const { return find<QLineEdit>(name); }
    QString label(const char *name) const { return find<QLabel>(name)->text(); }
    QString spoken(const char *name) const { return spokenText(find<QWidget>(name)); }
    // Labels that show a value are read as their caption with the value they show.
    void expectReadWithValues(const std::vector<std::pair<const char *, const char *>> &labels) const
    {
        for (const auto &[name, caption] : labels) {
            EXPECT_FALSE(label(name).isEmpty()) << name;
            EXPECT_EQ(spoken(name), QString::fromUtf8(caption) + QStringLiteral("：") + label(name)) << name;
        }
    }
    void next() { QTest::mouseClick(button("BtnNext"), Qt::LeftButton); }

    // The caption of the one visible tab, which must be the current page's.
    QString visibleTab() const
    {
        auto *pages = w->findChild<QTabWidget *>(QStringLiteral("PgcOrder"));
        QStringList visible;
        for (int i = 0; i < pages->count(); ++i)
            if (pages->isTabVisible(i))
                visible << pages->tabText(i);
        EXPECT_EQ(visible.size(), 1);
        EXPECT_TRUE(pages->isTabVisible(pages->currentIndex()));
        return visible.value(0);
    }

    void toParties()
    {
        open();
        next();
        ASSERT_EQ(w->currentPage(), TFrmOrderDo::PartiesPage);
    }
    void toConfirm()
    {
        toParties();
        next();
        ASSERT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
    }
    void toSend()
    {
        toConfirm();
        next();
        ASSERT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    }
    // Types text into the quantity cell of row, leaving the editor open.
    QLineEdit *typeQuantity(int row, const QString &text)
    {
        DbGrid *grid = w->bookGrid();
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, grid->columns().indexOfField(QStringLiteral("SL"))));
        QTest::keyClick(grid, Qt::Key_F2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QLineEdit *editor = nullptr;
        for (QLineEdit *e : grid->viewport()->findChildren<QLineEdit *>())
            if (e->isVisible())
                editor = e;
        EXPECT_NE(editor, nullptr);
        if (!editor)
            return nullptr;
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, text);
        return editor;
    }
    // "sl|my" of one cart line.
    QString stored(const QString &tm)
    {
        return rows(QStringLiteral("select sl,my from deshopcart_mx where tm=?"), {tm}).value(0);
    }
    // Waits for the hand-over of the current order to report.
    void send()
    {
        const qsizetype before = prompter.shown.size();
        next();
        ZD_WAIT_TRUE(prompter.shown.size() > before || w->currentPage() == TFrmOrderDo::DonePage, 8000);
    }
};

TEST_F(OrderWizardTest, FirstPageListsTheCart)
{
    open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("订单制作"));
    EXPECT_EQ(w->objectName(), QStringLiteral("FrmOrderDo"));
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::BooksPage);
    EXPECT_EQ(visibleTab(), QStringLiteral("确认书目"));
    EXPECT_EQ(w->books().recordCount(), 4);
    EXPECT_TRUE(button("BtnDel")->isVisible());
    EXPECT_TRUE(button("BtnPre")->isVisible());
    EXPECT_FALSE(button("BtnPre")->isEnabled());
    EXPECT_FALSE(button("BtnPrint")->isVisible());   // page 4 only
    EXPECT_EQ(button("BtnNext")->text(), QStringLiteral("下一步(&N)"));
    EXPECT_EQ(button("BtnClose")->text(), QStringLiteral("关闭(&C)"));
    EXPECT_EQ(label("LbCount"), QStringLiteral("4"));
}

TEST_F(OrderWizardTest, ThreeSuppliersMakeThreeOrdersOfOneBatch)
{
    toParties();
    EXPECT_EQ(visibleTab(), QStringLiteral("订货信息"));
    EXPECT_FALSE(button("BtnDel")->isVisible());
    // No remembered consignee or payer: both are the unit, the consignee at the unit's address.
    const struct {
        const char *edit, *value;
    } offered[] = {
        {"EdtName_Dh", "读者'之友书店"}, {"EdtLxr_Dh", "王'一"},         {"EdtTel_Dh", "010-1234"},
        {"EdtName_Sh", "读者'之友书店"}, {"EdtLxr_Sh", "王'一"},         {"EdtTel_Sh", "010-1234"},
        {"EdtCode_Sh", "100001"},        {"EdtAdd_Sh", "东街 1 号"},      {"EdtAdd2_Sh", ""},
        {"EdtName_Fk", "读者'之友书店"}, {"EdtLxr_Fk", "王'一"},         {"EdtTel_Fk", "010-1234"},
        {"EdtUno_Dh", "B01"},           {"EdtUno_Sh", "1"},             {"EdtUno_Fk", "1"},
    };
    for (const auto &o : offered)
        EXPECT_EQ(edit(o.edit)->text(), QString::fromUtf8(o.value)) << o.edit;
    edit("EdtName_Sh")->setText(QStringLiteral("第一中学"));
    edit("EdtName_Fk")->setText(QStringLiteral("教育局"));

    next();
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
    EXPECT_EQ(visibleTab(), QStringLiteral("确认订单"));
    EXPECT_EQ(edit("EdtName_Sh_Ok")->text(), QStringLiteral("第一中学"));
    EXPECT_EQ(edit("EdtUno_Fk_Ok")->text(), QStringLiteral("1"));
    EXPECT_EQ(edit("EdtFhrq_Ok")->text(), QDate::currentDate().addDays(2).toString(QStringLiteral("yyyy-MM-dd")));
    EXPECT_EQ(label("LbHzCount"), QStringLiteral("4"));
    EXPECT_EQ(label("LbHzSl"), QStringLiteral("19"));
    EXPECT_EQ(label("LbHzMy"), QStringLiteral("279.00"));
    expectReadWithValues({{"LbHzCount", "品种"}, {"LbHzSl", "数量"}, {"LbHzMy", "码洋"}});
    // The parties are remembered, whole: one consignee and one payer.
    EXPECT_EQ(rows(QStringLiteral("select cls,uno,uname,def,state from decltrla order by cls")),
              (QStringList{QStringLiteral("FKR|1|教育局|Y|N"), QStringLiteral("SHR|1|第一中学|Y|N")}));

    next();
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    EXPECT_EQ(prompter.shown.last().text, Confirm);
    EXPECT_EQ(visibleTab(), QStringLiteral("发送订单"));
    EXPECT_EQ(button("BtnPre")->text(), QStringLiteral("导出(&E)"));
    EXPECT_TRUE(button("BtnPre")->isVisible());
    EXPECT_EQ(button("BtnNext")->text(), QStringLiteral("发送邮件(&S)"));
    EXPECT_EQ(button("BtnNext")->accessibleName(), QStringLiteral("发送邮件"));
    EXPECT_TRUE(button("BtnPrint")->isVisible());
    EXPECT_EQ(button("BtnPrint")->accessibleName(), QStringLiteral("打印订单"));

    // One batch, consecutive order numbers in supplier order, the cart empty.
    const QString year = QString::number(QDate::currentDate().year());
    EXPECT_EQ(w->batchNumber(), year + QStringLiteral("00000001"));
    EXPECT_EQ(rows(QStringLiteral("select dhdh,dfdh,xsfh,dhrm,shrm,shrh,fkrm,fkrh from deorder order by dhdh")),
              (QStringList{year + "00000001|" + year + "00000001|S1|读者'之友书店|第一中学|1|教育局|1",
                           year + "00000002|" + year + "00000001|S2|读者'之友书店|第一中学|1|教育局|1",
                           year + "00000003|" + year + "00000001|S3|读者'之友书店|第一中学|1|教育局|1"}));
    EXPECT_EQ(count(QStringLiteral("deshopcart_mx")), 0);
    EXPECT_EQ(w->orders().recordCount(), 3);
    // The upper grid's current order shows its rows below, with their totals.
    w->orders().setCurrentRow(1);
    EXPECT_EQ(w->orderRows().recordCount(), 2);
    EXPECT_EQ(label("LbMxCount"), QStringLiteral("2"));
    EXPECT_EQ(label("LbMxSl"), QStringLiteral("11"));
    EXPECT_EQ(label("LbMxMy"), QStringLiteral("155.00"));
    expectReadWithValues({{"LbMxCount", "品种"}, {"LbMxSl", "数量"}, {"LbMxMy", "码洋"}});
}

// The confirmation page shows typical addresses and names whole in a window as wide as a
// 1400 or a 1024 screen leaves it, and a value too long still shows its start.
TEST_F(OrderWizardTest, TheConfirmationPageShowsAddressesWhole)
{
    toParties();
    edit("EdtName_Dh")->setText(QStringLiteral("江城大学教材供应中心"));
    edit("EdtName_Sh")->setText(QStringLiteral("江城市第一中学教务处"));
    edit("EdtName_Fk")->setText(QStringLiteral("江城市教育局财务科"));
    edit("EdtAdd_Sh")->setText(QStringLiteral("江城市南湖路100号江城大学图书馆一楼"));
    edit("EdtAdd2_Sh")->setText(QStringLiteral("江城市东湖区学府路8号教学楼三楼"));
    next();
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
    for (int width : {1390, 1010}) {
        w->resize(width, 640);
        QCoreApplication::processEvents();
        for (const char *name : {"EdtAdd_Sh_Ok", "EdtAdd2_Sh_Ok", "EdtName_Dh_Ok", "EdtName_Sh_Ok",
                                 "EdtName_Fk_Ok", "EdtTel_Dh_Ok", "EdtFhrq_Ok"}) {
            QLineEdit *e = edit(name);
            // The text, the frame and the margins of the field.
            EXPECT_LE(e->fontMetrics().horizontalAdvance(e->text()) + 10, e->width()) << name << " at " << width;
        }
    }
    w->resize(700, 640);
    edit("EdtAdd_Sh")->setText(QStringLiteral("江城市南湖路100号江城大学图书馆一楼东侧教材科收发室"));
    QTest::mouseClick(button("BtnPre"), Qt::LeftButton);
    next();
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
    EXPECT_EQ(edit("EdtAdd_Sh_Ok")->cursorPosition(), 0);
}

TEST_F(OrderWizardTest, NoAtTheConfirmationMakesNothing)
{
    toConfirm();
    prompter.answers.enqueue(MsgResult::No);
    next();
    EXPECT_EQ(prompter.shown.last().text, Confirm);
    EXPECT_EQ(prompter.shown.last().flags, MsgFlags::YesNo);
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
    EXPECT_TRUE(button("BtnNext")->isEnabled());
    EXPECT_EQ(count(QStringLiteral("deorder")), 0);
    EXPECT_EQ(count(QStringLiteral("deshopcart_mx")), 4);
}

TEST_F(OrderWizardTest, EachRequiredFieldStopsThePartiesPage)
{
    toParties();
    const struct {
        const char *edit, *message;
    } required[] = {
        {"EdtName_Dh", "请填写订货人名称"}, {"EdtLxr_Dh", "请填写订货联系人"},
        {"EdtTel_Dh", "请填写订货人联系电话"}, {"EdtName_Sh", "请填写收货人名称"},
        {"EdtLxr_Sh", "请填写收货联系人"}, {"EdtTel_Sh", "请填写收货人电话"},
        {"EdtCode_Sh", "请填写收货人邮编"}, {"EdtAdd_Sh", "请填写收货人地址"},
        {"EdtName_Fk", "请填写付款人名称"}, {"EdtLxr_Fk", "请填写付款联系人"},
        {"EdtTel_Fk", "请填写付款人电话"},
    };
    for (const auto &r : required) {
        SCOPED_TRACE(r.edit);
        const QString kept = edit(r.edit)->text();
        edit(r.edit)->clear();
        prompter.shown.clear();
        next();
        ASSERT_EQ(prompter.texts(), QStringList{QString::fromUtf8(r.message)});
        EXPECT_EQ(prompter.shown[0].caption, QStringLiteral("系统提示"));
        EXPECT_EQ(w->currentPage(), TFrmOrderDo::PartiesPage);
        EXPECT_TRUE(button("BtnNext")->isEnabled());
        EXPECT_TRUE(edit(r.edit)->hasFocus());
        edit(r.edit)->setText(kept);
    }
    // Blanks count as content; the second address line is not required.
    edit("EdtTel_Fk")->setText(QStringLiteral(" "));
    edit("EdtAdd2_Sh")->clear();
    prompter.shown.clear();
    next();
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
    EXPECT_EQ(count(QStringLiteral("deorder")), 0);
}

TEST_F(OrderWizardTest, EmptyQuantityStops)
{
    Sql::exec(db, QStringLiteral("update deshopcart_mx set sl=null where tm='T3'"));
    open();
    next();
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("请确定图书的订购数量")});
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::BooksPage);
    EXPECT_TRUE(button("BtnNext")->isEnabled());
    EXPECT_EQ(w->books().currentText(QStringLiteral("tm")), QStringLiteral("T3"));

    const int row = w->books().currentRow();
    w->books().setValue(row, QStringLiteral("sl"), 2);
    next();
    next();
    next();
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    EXPECT_EQ(rows(QStringLiteral("select tm,sl,my from deorder_mx order by tm")),
              (QStringList{"T1|10|125", "T2|5|100", "T3|2|16", "T4|1|30"}));
}

// A line of quantity 0 is not sent to its supplier without a word: 下一步 on page 1 names it
// and, unless the clerk says to order it as 0, the run leaves it in the cart.
TEST_F(OrderWizardTest, ZeroQuantitiesAreAskedAboutAndLeftInTheCartByDefault)
{
    const struct {
        const char *name;
        QList<int> answers;   // to the question about the zero lines; none: the default
        QStringList ordered;  // deorder_mx: tm|sl
        QStringList cart;     // what stays in the cart
        const char *totals;   // 品种 on the confirmation page
        int orders;
    } cases[] = {
        {"default: left out", {}, {"T1|10", "T4|1"}, {"T2|0|0", "T3|0|0"}, "2", 1},
        {"no: left out", {MsgResult::No}, {"T1|10", "T4|1"}, {"T2|0|0", "T3|0|0"}, "2", 1},
        {"yes: ordered as 0", {MsgResult::Yes}, {"T1|10", "T2|0", "T3|0", "T4|1"}, {}, "4", 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        w.reset();
        freshStart({10, 0, 0, 1});
        prompter.shown.clear();
        prompter.answers.clear();
        for (int a : c.answers)
            prompter.answers.enqueue(a);
        open();
        next();
        ASSERT_EQ(prompter.shown.size(), 1);
        const ShownMessage asked = prompter.shown[0];
        EXPECT_EQ(asked.flags, MsgFlags::YesNoDefaultNo);
        EXPECT_TRUE(asked.text.contains(QStringLiteral("《大学物理》（条码 T2）"))) << asked.text.toStdString();
        EXPECT_TRUE(asked.text.contains(QStringLiteral("《线性代数》（条码 T3）"))) << asked.text.toStdString();
        EXPECT_FALSE(asked.text.contains(QStringLiteral("高等数学"))) << asked.text.toStdString();
        ASSERT_EQ(w->currentPage(), TFrmOrderDo::PartiesPage);
        next();
        ASSERT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
        EXPECT_EQ(label("LbHzCount"), QString::fromLatin1(c.totals));
        EXPECT_EQ(w->books().recordCount(), QString::fromLatin1(c.totals).toInt());
        next();
        ASSERT_EQ(w->currentPage(), TFrmOrderDo::SendPage) << prompter.texts().join(u'|').toStdString();
        EXPECT_EQ(rows(QStringLiteral("select tm,sl from deorder_mx order by tm")), c.ordered);
        EXPECT_EQ(cartLines(), c.cart);
        EXPECT_EQ(count(QStringLiteral("deorder")), c.orders);
    }
}

// A title ordered this season is named on 下一步 of page 1, with its order: 是 orders it again,
// 否 leaves it in the cart for this run. An order of last year is not named.
TEST_F(OrderWizardTest, TitlesOrderedThisSeasonAreNamedOnPageOne)
{
    const QString thisYear = QString::number(QDate::currentDate().year()) + QStringLiteral("-01-01");
    const QString lastYear = QString::number(QDate::currentDate().year() - 1) + QStringLiteral("-12-31");
    const struct {
        const char *name;
        int answer;
        QStringList ordered;   // this run's order rows: tm|sl
        QStringList cart;      // what stays in the cart
    } cases[] = {
        {"是: ordered again", MsgResult::Yes, {"T1|10", "T2|5", "T3|3", "T4|1"}, {}},
        {"否: left in the cart", MsgResult::No, {"T2|5", "T3|3", "T4|1"}, {"T1|10|125"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        w.reset();
        Sql::exec(db, QStringLiteral("delete from deorderlog"));
        freshStart({10, 5, 3, 1});
        Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dhrq) values ('D1',?)"), {thisYear});
        Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dhrq) values ('D0',?)"), {lastYear});
        Sql::exec(db, QStringLiteral("insert into deorder_mx (dhdh,tm,sm,sl) values ('D1','T1','高等数学',7)"));
        Sql::exec(db, QStringLiteral("insert into deorder_mx (dhdh,tm,sm,sl) values ('D0','T2','大学物理',2)"));
        prompter.shown.clear();
        prompter.answers.clear();
        prompter.answers.enqueue(c.answer);
        open();
        next();
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::YesNo);
        EXPECT_EQ(prompter.shown[0].text,
                  QStringLiteral("以下书目本季已经订购：\n《高等数学》（条码 T1）（D1，%1，7）\n仍然订购这些书目吗？\n"
                                 "选择\"否\"则本次不订购这些书目，它们留在购物车中。")
                      .arg(thisYear));
        ASSERT_EQ(w->currentPage(), TFrmOrderDo::PartiesPage);
        next();
        next();
        ASSERT_EQ(w->currentPage(), TFrmOrderDo::SendPage) << prompter.texts().join(u'|').toStdString();
        EXPECT_EQ(rows(QStringLiteral("select tm,sl from deorder_mx where dhdh not in ('D0','D1') order by tm")),
                  c.ordered);
        EXPECT_EQ(cartLines(), c.cart);
    }
    // When every line was ordered this season, 否 leaves nothing to order: page 1 stays.
    w.reset();
    Sql::exec(db, QStringLiteral("delete from deorder_mx where dhdh not in ('D0','D1')"));
    Sql::exec(db, QStringLiteral("delete from deorder where dhdh not in ('D0','D1')"));
    Sql::exec(db, QStringLiteral("delete from deshopcart_mx where tm<>'T1'"));
    prompter.shown.clear();
    prompter.answers.clear();
    prompter.answers.enqueue(MsgResult::No);
    open();
    next();
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.shown[1].text, QStringLiteral("购物车中的书目本季都已经订购，没有可以订购的书目"));
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::BooksPage);
    EXPECT_EQ(w->books().recordCount(), 1);
}

TEST_F(OrderWizardTest, BackOnPageOneTheLinesLeftOutShowAgain)
{
    Sql::exec(db, QStringLiteral("update deshopcart_mx set sl=0, my=0 where tm in ('T2','T3')"));
    toParties();
    QTest::mouseClick(button("BtnPre"), Qt::LeftButton);
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::BooksPage);
    EXPECT_EQ(w->books().recordCount(), 4);
    // The clerk gives one of them a quantity: only the other is asked about.
    for (int row = 0; row < w->books().recordCount(); ++row)
        if (w->books().text(row, QStringLiteral("tm")) == u"T2")
            w->books().setValue(row, QStringLiteral("sl"), 6);
    prompter.shown.clear();
    next();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_FALSE(prompter.shown[0].text.contains(QStringLiteral("T2")));
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("T3")));
    next();
    next();
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    EXPECT_EQ(rows(QStringLiteral("select tm,sl from deorder_mx order by tm")), (QStringList{"T1|10", "T2|6", "T4|1"}));
    EXPECT_EQ(cartLines(), QStringList{"T3|0|0"});
}

TEST_F(OrderWizardTest, ACartOfOnlyZeroQuantitiesLeftOutHasNothingToOrder)
{
    Sql::exec(db, QStringLiteral("update deshopcart_mx set sl=0, my=0"));
    open();
    next();
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.shown[1].text, QStringLiteral("购物车中书目的订购数量都是 0，没有可以订购的书目"));
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::BooksPage);
    EXPECT_EQ(w->books().recordCount(), 4);
    EXPECT_TRUE(button("BtnNext")->isEnabled());
}

TEST_F(OrderWizardTest, AFailedRunLeavesNoTraceAndTheButtonWorks)
{
    Sql::exec(db, QStringLiteral("create trigger fail_rows before insert on deorder_mx when new.tm='T4'"
                                 " begin select raise(abort, '磁盘已满'); end"));
    toConfirm();
    const QStringList cartBefore = cartLines();
    prompter.shown.clear();
    next();
    ASSERT_EQ(prompter.shown.size(), 2);   // the question, then the failure
    const ShownMessage failure = prompter.shown[1];
    EXPECT_TRUE(failure.text.startsWith(QStringLiteral("生成订单时出现错误\n"))) << (failure.text).toStdString();
    EXPECT_TRUE(failure.text.contains(QStringLiteral("磁盘已满"))) << (failure.text).toStdString();
    EXPECT_EQ(failure.caption, QStringLiteral("信息提示"));
    EXPECT_EQ(failure.flags, MsgFlags::Error);
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
    EXPECT_TRUE(button("BtnNext")->isEnabled());
    EXPECT_EQ(count(QStringLiteral("deorder")), 0);
    EXPECT_EQ(count(QStringLiteral("deorder_mx")), 0);
    EXPECT_EQ(count(QStringLiteral("parameter")), 0);
    EXPECT_EQ(cartLines(), cartBefore);

    // The cause gone, the same page makes the orders.
    Sql::exec(db, QStringLiteral("drop trigger fail_rows"));
    next();
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    EXPECT_EQ(count(QStringLiteral("deorder")), 3);
}

TEST_F(OrderWizardTest, AFailingStepGivesTheButtonBack)
{
    // Remembering the parties fails on the payer: the unit record and the parties stay.
    Sql::exec(db, QStringLiteral("insert into decltrla (uno,uname,addr,addr2,contact,zip,tel,def,state,cls)"
                                 " values ('7','旧收货人','西街','','赵','200002','1','Y','N','SHR')"));
    Sql::exec(db, QStringLiteral("create trigger fail_payer before insert on decltrla when new.cls='FKR'"
                                 " begin select raise(abort, '付款人表已锁定'); end"));
    toParties();
    edit("EdtName_Dh")->setText(QStringLiteral("新书店"));
    const QStringList partiesBefore = rows(QStringLiteral("select uno,uname,cls from decltrla"));
    next();
    ASSERT_FALSE(prompter.shown.isEmpty());
    EXPECT_TRUE(prompter.shown.last().text.contains(QStringLiteral("付款人表已锁定")));
    EXPECT_EQ(prompter.shown.last().flags, MsgFlags::Error);
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::PartiesPage);
    EXPECT_TRUE(button("BtnNext")->isEnabled());
    EXPECT_EQ(rows(QStringLiteral("select uno,uname,cls from decltrla")), partiesBefore);
    EXPECT_EQ(rows(QStringLiteral("select bname from bookstore")), QStringList{QStringLiteral("读者'之友书店")});
}

TEST_F(OrderWizardTest, ACartChangedMeanwhileSendsTheUserBackToTheCart)
{
    toConfirm();
    prompter.onMessage = [this](const QString &text) {
        if (text == Confirm)
            addLine(QStringLiteral("T9"), QStringLiteral("新书"), 9, 1, QStringLiteral("S1"), QStringLiteral("一号供货商"));
    };
    next();
    prompter.onMessage = nullptr;
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_TRUE(prompter.shown[1].text.contains(QStringLiteral("购物车"))) << (prompter.shown[1].text).toStdString();
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::BooksPage);
    EXPECT_EQ(visibleTab(), QStringLiteral("确认书目"));
    EXPECT_EQ(w->books().recordCount(), 5);
    EXPECT_EQ(count(QStringLiteral("deorder")), 0);
    EXPECT_EQ(count(QStringLiteral("parameter")), 0);
}

TEST_F(OrderWizardTest, LinesWithoutASupplierAreRefusedOnThePage)
{
    Sql::exec(db, QStringLiteral("update deshopcart_mx set ghbm=null where tm='T2'"));
    toConfirm();
    next();
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_TRUE(prompter.shown[1].text.contains(QStringLiteral("大学物理"))) << (prompter.shown[1].text).toStdString();
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
    EXPECT_TRUE(button("BtnNext")->isEnabled());
    EXPECT_EQ(count(QStringLiteral("deorder")), 0);
}

TEST_F(OrderWizardTest, OrdersThatCannotBeShownAreStillNamed)
{
    toConfirm();
    // Once the orders are in, listing them fails.
    prompter.onMessage = [this](const QString &text) {
        if (text == Confirm)
            Sql::exec(db, QStringLiteral("alter table deorder rename column pno to pno_gone"));
    };
    next();
    prompter.onMessage = nullptr;
    ASSERT_EQ(prompter.shown.size(), 2);
    const QString told = prompter.shown[1].text;
    EXPECT_TRUE(told.contains(w->batchNumber())) << (told).toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("订单查询"))) << (told).toStdString();
    EXPECT_FALSE(w->batchNumber().isEmpty());
    EXPECT_EQ(count(QStringLiteral("deorder")), 3);
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::DonePage);
    EXPECT_EQ(w->pendingOrders().size(), 3);
    EXPECT_FALSE(label("LbDone").contains(QStringLiteral("已经发送")));
    EXPECT_TRUE(label("LbUnsent").contains(w->madeOrders().join(QStringLiteral("、")))) << (label("LbUnsent")).toStdString();
}

TEST_F(OrderWizardTest, ABatchIsSentOrderByOrder)
{
    toSend();
    const QStringList made = w->madeOrders();
    ASSERT_EQ(made.size(), 3);
    // The first order goes to the mail program; two remain, and the user goes on.
    prompter.shown.clear();
    send();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].text.contains(made[1] + QStringLiteral("、") + made[2])) << (prompter.shown[0].text).toStdString();
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::YesNo);
    EXPECT_EQ(w->sentOrders(), QStringList{made[0]});
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    EXPECT_EQ(w->orders().currentText(QStringLiteral("dhdh")), made[1]);
    EXPECT_TRUE(button("BtnNext")->isEnabled());
    // The mail carried the first order's text.
    QFile log(mailLog);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString args = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(args.contains(QStringLiteral("图书征订单"))) << (args).toStdString();
    EXPECT_TRUE(args.contains(QStringLiteral("--attach"))) << (args).toStdString();

    // The second is exported; at the question the user stops.
    prompter.saveAnswers.enqueue(tree.path(QStringLiteral("order.xlsx")));
    prompter.answers.enqueue(MsgResult::No);
    prompter.shown.clear();
    QTest::mouseClick(button("BtnPre"), Qt::LeftButton);
    ASSERT_EQ(prompter.saveRequests.size(), 1);
    EXPECT_EQ(prompter.saveRequests[0].filters, QStringLiteral("Excel文件(*.xlsx)|*.xlsx"));
    EXPECT_EQ(prompter.saveRequests[0].defaultSuffix, QStringLiteral("xlsx"));
    EXPECT_TRUE(QFile::exists(tree.path(QStringLiteral("order.xlsx"))));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].text.contains(made[2])) << (prompter.shown[0].text).toStdString();

    // The summary names what was sent and what was not.
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::DonePage);
    EXPECT_EQ(visibleTab(), QStringLiteral("订购完成"));
    EXPECT_FALSE(button("BtnPre")->isVisible());
    EXPECT_FALSE(button("BtnNext")->isVisible());
    EXPECT_TRUE(label("LbDone").contains(made[0])) << (label("LbDone")).toStdString();
    EXPECT_FALSE(label("LbDone").contains(made[2])) << (label("LbDone")).toStdString();
    EXPECT_TRUE(label("LbUnsent").contains(made[1])) << (label("LbUnsent")).toStdString();
    EXPECT_TRUE(label("LbUnsent").contains(made[2] + QStringLiteral("，可以在\"订单查询\"模块中发送"))) << (label("LbUnsent")).toStdString();
    EXPECT_EQ(label("LbOrderNo"), w->batchNumber());
    EXPECT_EQ(label("LbOrderCount"), QStringLiteral("3"));
    EXPECT_EQ(label("LbCount"), QStringLiteral("4"));
    expectReadWithValues({{"LbCount", "您此次订购的书目总数为"},
                          {"LbOrderNo", "您此次订购书目的订单流水号为"},
                          {"LbOrderCount", "您此次订购操作生成订单数量为"}});
}

TEST_F(OrderWizardTest, EveryOrderSentSaysSo)
{
    addLine(QStringLiteral("T5"), QStringLiteral("概率论"), 10, 1, QStringLiteral("S1"), QStringLiteral("一号供货商"));
    Sql::exec(db, QStringLiteral("delete from deshopcart_mx where ghbm<>'S1'"));
    tree.writeFile(QStringLiteral("init/mailadd.txt"), "orders@s1.cn\r\nagency@x.cn\r\n");
    toSend();
    ASSERT_EQ(w->madeOrders().size(), 1);
    send();
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::DonePage);
    // What happened, truthfully: handed to the mail program, for these recipients.
    EXPECT_EQ(label("LbDone"), QStringLiteral("订购操作已经完成，订单 %1 已交给邮件程序（收件人 orders@s1.cn、agency@x.cn）。")
                                   .arg(w->madeOrders().first()));
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select cdcs from deorder where dhdh=?"), {w->madeOrders().first()}).toInt(), 1);
    EXPECT_FALSE(find<QLabel>("LbUnsent")->isVisible());
    EXPECT_EQ(label("LbCount"), QStringLiteral("2"));
}

TEST_F(OrderWizardTest, AFailedHandOverIsToldAndNotCounted)
{
    useMailProgram(3);
    toSend();
    prompter.shown.clear();
    send();
    ZD_WAIT_EQ(prompter.shown.size(), 1, 20000);
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("没有发送"))) << (prompter.shown[0].text).toStdString();
    // Chinese for the clerk; the launcher's own words behind "详细信息".
    EXPECT_FALSE(prompter.shown[0].text.contains(QStringLiteral("no method"))) << (prompter.shown[0].text).toStdString();
    EXPECT_EQ(prompter.shown[0].details, QStringLiteral("xdg-email: no method available"));
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    EXPECT_TRUE(w->sentOrders().isEmpty());
    EXPECT_TRUE(button("BtnNext")->isEnabled());
    EXPECT_TRUE(button("BtnPre")->isEnabled());

    // Without any mail program at all the hand-over does not even start.
    QFile::remove(tree.path(QStringLiteral("fakebin/xdg-email")));
    prompter.shown.clear();
    next();
    ZD_WAIT_EQ(prompter.shown.size(), 1, 20000);
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("xdg-email"))) << (prompter.shown[0].text).toStdString();
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    EXPECT_TRUE(w->sentOrders().isEmpty());
    EXPECT_TRUE(button("BtnNext")->isEnabled());
    // Both attempts are in the log as failures; the order does not count as sent.
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from deorderlog where jg='发送失败'")).toInt(), 2);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select sum(cdcs) from deorder")).toInt(), 0);
}

// 发送全部未发送订单 (Alt+A) on page 4 sends the orders of the batch not yet sent, one mail
// each, and shows the summary; page 5 follows when none is left unsent.
TEST_F(OrderWizardTest, SendingEveryUnsentOrderOfTheBatch)
{
    const struct {
        const char *what;
        int code;   // the mail program's exit code
        TFrmOrderDo::Page page;
        const char *result, *counts;
    } cases[] = {
        {"handed over", 0, TFrmOrderDo::DonePage, "已交给邮件程序（收件人在邮件程序中填写）", "共 2 张订单：成功 2 张。"},
        {"no mail program", 3, TFrmOrderDo::SendPage, "发送失败：没有可用的邮件程序", "共 2 张订单：成功 0 张，失败 2 张。"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        w.reset();
        Sql::exec(db, QStringLiteral("delete from deorderlog"));
        freshStart({10, 5, 3, 1});
        QFile::remove(mailLog);
        useMailProgram(0);
        toSend();
        const QStringList made = w->madeOrders();
        ASSERT_EQ(made.size(), 3);
        QPushButton *sendAll = button("BtnSendAll");
        EXPECT_TRUE(sendAll->isVisible());
        EXPECT_EQ(spokenText(sendAll), QStringLiteral("发送全部未发送订单"));
        send();   // the first order alone; the user goes on to the next
        ASSERT_EQ(w->sentOrders(), QStringList{made[0]});
        useMailProgram(c.code);

        prompter.shown.clear();
        prompter.progressesHandedOut = 0;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        ZD_WAIT_TRUE(w->unsentSending()->summary() != nullptr, 20000);
        ASSERT_FALSE(prompter.shown.isEmpty());
        EXPECT_EQ(prompter.shown[0].text, DispatchRun::question(DispatchRun::Scope::Batch, {made[1], made[2]}));
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::YesNo);
        EXPECT_EQ(prompter.progressesHandedOut, 1);

        DispatchSummaryDialog *summary = w->unsentSending()->summary();
        QTableWidget *table = summary->table();
        ASSERT_EQ(table->rowCount(), 2);
        for (int row = 0; row < 2; ++row) {
            EXPECT_EQ(table->item(row, 0)->text(), made[row + 1]);
            EXPECT_TRUE(table->item(row, 2)->text().startsWith(QString::fromUtf8(c.result)))
                << table->item(row, 2)->text().toStdString();
        }
        EXPECT_EQ(summary->counts()->text(), QString::fromUtf8(c.counts));
        EXPECT_EQ(w->currentPage(), c.page);
        const int sent = c.code == 0 ? 3 : 1;
        EXPECT_EQ(w->sentOrders().size(), sent);
        EXPECT_EQ(Sql::scalar(db, QStringLiteral("select sum(cdcs) from deorder")).toInt(), sent);
        EXPECT_EQ(count(QStringLiteral("deorderlog")), 3);
        QTest::keyClick(table, Qt::Key_Escape);
        ZD_WAIT_TRUE(w->unsentSending()->summary() == nullptr, 5000);
        if (c.code == 0) {
            // Page 5 names every order as handed over, and the window closes without asking.
            EXPECT_TRUE(label("LbDone").contains(made.join(QStringLiteral("、")))) << label("LbDone").toStdString();
            prompter.shown.clear();
            EXPECT_TRUE(w->close());
            EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();
        } else {
            EXPECT_EQ(w->orders().currentText(QStringLiteral("dhdh")), made[1]);
            for (const char *name : {"BtnNext", "BtnPre", "BtnSendAll"})
                EXPECT_TRUE(button(name)->isEnabled()) << name;
        }
    }
}

// A mail program that may drop the attachment: the clerk is told and offered the folder of the
// order file, then goes on to the next order.
TEST_F(OrderWizardTest, AMailProgramThatMayDropTheFileOffersItsFolder)
{
    desktop.defaultMailProgram(QStringLiteral("org.gnome.Geary.desktop"), QStringLiteral("geary"));
    mailProgramChosen = true;
    toSend();
    const QStringList made = w->madeOrders();
    prompter.shown.clear();
    send();
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompter.shown.size() == 2; }, 20000)) << prompter.texts().join(u'|').toStdString();
    const QString question = prompter.shown[0].text;
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::YesNo);
    EXPECT_TRUE(question.contains(QStringLiteral("可能没有附上订单文件"))) << question.toStdString();
    ASSERT_EQ(openedFolders.size(), 1);
    EXPECT_TRUE(question.contains(openedFolders[0])) << question.toStdString();
    const QStringList files = QDir(openedFolders[0]).entryList({QStringLiteral("*.xls")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(question.contains(files[0])) << question.toStdString();
    // Then, as after every hand-over, the next order.
    EXPECT_TRUE(prompter.shown[1].text.contains(made[1])) << prompter.shown[1].text.toStdString();
    EXPECT_EQ(w->sentOrders(), QStringList{made[0]});

    // No: nothing is opened.
    prompter.answers.enqueue(MsgResult::No);
    prompter.shown.clear();
    send();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompter.shown.isEmpty(); }, 20000));
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("可能没有附上订单文件")));
    EXPECT_EQ(openedFolders.size(), 1);
}

TEST_F(OrderWizardTest, ARecipientLineThatIsNoAddressIsToldAndNoMailProgramStarts)
{
    tree.writeFile(QStringLiteral("init/mailadd.txt"), "orders@s1.cn\r\n--bcc\r\nspy@x.cn\r\n");
    toSend();
    prompter.shown.clear();
    next();
    ZD_WAIT_EQ(prompter.shown.size(), 1, 20000);
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("mailadd.txt 第 2 行"))) << prompter.shown[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(mailLog));
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    EXPECT_TRUE(w->sentOrders().isEmpty());
    EXPECT_TRUE(button("BtnNext")->isEnabled());
}

TEST_F(OrderWizardTest, CancellingTheExportStaysOnTheSendPage)
{
    toSend();
    prompter.shown.clear();
    QTest::mouseClick(button("BtnPre"), Qt::LeftButton);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("未执行导出，不能进行下一步！"));
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    EXPECT_TRUE(w->exportedOrders().isEmpty());
}

TEST_F(OrderWizardTest, ClosingWithOrdersNotYetSentOrExportedAsksFirst)
{
    // Before any order is made, and after every order went somewhere, the window just closes.
    open();
    prompter.shown.clear();
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(prompter.shown.isEmpty());

    toSend();
    const QStringList made = w->madeOrders();
    ASSERT_EQ(made.size(), 3);
    // Each close names the orders still waiting; the default answer keeps the window.
    for (int left = 3; left > 0; --left) {
        SCOPED_TRACE(left);
        prompter.shown.clear();
        EXPECT_FALSE(w->close());
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::YesNoDefaultNo);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(prompter.shown[0].text.contains(made[i]), i >= 3 - left) << (prompter.shown[0].text).toStdString();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
        // One more order exported; the last export goes on to the summary.
        prompter.saveAnswers.enqueue(tree.path(QStringLiteral("order%1.xlsx").arg(left)));
        QTest::mouseClick(button("BtnPre"), Qt::LeftButton);
    }
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::DonePage);
    prompter.shown.clear();
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(OrderWizardTest, InTheMainAreaBtnCloseAsksAndYesCloses)
{
    toSend();
    area = std::make_unique<QMdiArea>();
    QMdiSubWindow *frame = area->addSubWindow(w.get());
    area->resize(1200, 800);
    area->show();
    frame->show();
    QTest::mouseClick(button("BtnClose"), Qt::LeftButton);
    ASSERT_EQ(prompter.shown.size(), 2);   // the confirmation of the orders, then the close
    EXPECT_TRUE(prompter.shown[1].text.contains(w->madeOrders().join(QStringLiteral("、")))) << (prompter.shown[1].text).toStdString();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(w->isVisible());

    prompter.answers.enqueue(MsgResult::Yes);
    QTest::mouseClick(button("BtnClose"), Qt::LeftButton);
    EXPECT_EQ(prompter.shown.size(), 3);
    EXPECT_FALSE(frame->isVisible());
}

// Outside the main window's area nothing takes Ctrl+Tab before the page widget does: the keys
// must not reach a page that its step has not checked.
TEST_F(OrderWizardTest, PagesChangeOnlyThroughTheSteps)
{
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {
        {Qt::Key_Tab, Qt::ControlModifier},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
        {Qt::Key_PageDown, Qt::ControlModifier},
        {Qt::Key_PageUp, Qt::ControlModifier},
    };
    open();
    auto *pages = find<QTabWidget>("PgcOrder");
    for (int page : {int(TFrmOrderDo::BooksPage), int(TFrmOrderDo::PartiesPage)}) {
        if (page == TFrmOrderDo::PartiesPage) {
            next();
            ASSERT_EQ(w->currentPage(), TFrmOrderDo::PartiesPage);
            for (const char *name : {"EdtName_Dh", "EdtName_Sh", "EdtName_Fk"})
                edit(name)->clear();
        }
        const QString caption = visibleTab();
        for (const auto &k : keys) {
            SCOPED_TRACE(testing::Message() << "page " << page << " key " << k.key);
            for (int times = 0; times < 2; ++times) {
                QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : w.get();
                QTest::keyClick(target, k.key, k.modifiers);
                if (page == TFrmOrderDo::PartiesPage) {
                    edit("EdtLxr_Dh")->setFocus();
                    QTest::keyClick(edit("EdtLxr_Dh"), k.key, k.modifiers);
                }
            }
            EXPECT_EQ(pages->currentIndex(), page);
            EXPECT_EQ(visibleTab(), caption);
        }
        // Any other way of changing the tab is turned back as well.
        pages->setCurrentIndex(TFrmOrderDo::ConfirmPage);
        EXPECT_EQ(pages->currentIndex(), page);
        EXPECT_EQ(w->currentPage(), page);
    }
    // 下一步 still checks the parties of the page that shows.
    prompter.shown.clear();
    next();
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("请填写订货人名称")});
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::PartiesPage);
    EXPECT_EQ(count(QStringLiteral("deorder")), 0);
}

// What the clerk typed on page 2 outlives going back to page 1, also after page 3 remembered
// it: the unit record and the remembered parties then say something else (another desk), and
// offering them again would put them in the place of the typed values.
TEST_F(OrderWizardTest, BackThenNextKeepsWhatWasTyped)
{
    Sql::exec(db, QStringLiteral("insert into decltrla (uno,uname,addr,addr2,contact,zip,tel,def,state,cls)"
                                 " values ('1','旧收货人','西街','','赵','200002','021-1','Y','N','SHR')"));
    toParties();
    const struct {
        const char *edit, *typed;
    } typed[] = {
        {"EdtName_Dh", "新华书店"},   {"EdtLxr_Dh", "钱七"},       {"EdtTel_Dh", "027-1"},
        {"EdtName_Sh", "第二中学"},   {"EdtLxr_Sh", "孙八"},       {"EdtTel_Sh", "027-2"},
        {"EdtCode_Sh", "430070"},     {"EdtAdd_Sh", "南路 9 号"},  {"EdtAdd2_Sh", "二楼"},
        {"EdtName_Fk", "教育局"},     {"EdtLxr_Fk", "周九"},       {"EdtTel_Fk", "027-3"},
    };
    for (const auto &t : typed) {
        ASSERT_NE(edit(t.edit)->text(), QString::fromUtf8(t.typed)) << t.edit;   // not what is offered
        edit(t.edit)->setText(QString::fromUtf8(t.typed));
    }
    const auto expectTyped = [&] {
        ASSERT_EQ(w->currentPage(), TFrmOrderDo::PartiesPage);
        for (const auto &t : typed)
            EXPECT_EQ(edit(t.edit)->text(), QString::fromUtf8(t.typed)) << t.edit;
    };
    QTest::mouseClick(button("BtnPre"), Qt::LeftButton);
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::BooksPage);
    EXPECT_FALSE(button("BtnPre")->isEnabled());
    next();
    expectTyped();

    next();
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
    Sql::exec(db, QStringLiteral("update bookstore set bname='别的书店',contact='别人',tele='0',zipcode='999999',address='别处'"));
    Sql::exec(db, QStringLiteral("update decltrla set uname='别的单位',contact='别人',tel='0',zip='999999',addr='别处',addr2=''"));
    for (int back = 0; back < 2; ++back)
        QTest::mouseClick(button("BtnPre"), Qt::LeftButton);
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::BooksPage);
    next();
    expectTyped();
}

TEST_F(OrderWizardTest, PartyValuesFitTheirOrderColumns)
{
    toParties();
    // Typing stops at the column's width.
    QLineEdit *zip = edit("EdtCode_Sh");
    zip->clear();
    zip->setFocus();
    QTest::keyClicks(zip, QStringLiteral("12345678901234567890"));
    EXPECT_EQ(zip->text(), QStringLiteral("123456789012345"));
    zip->setText(QStringLiteral("100001"));
    // A longer value offered by the program is named, not cut.
    edit("EdtAdd_Sh")->setText(QString(81, u'路'));
    prompter.shown.clear();
    next();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("收货地址"))) << (prompter.shown[0].text).toStdString();
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("80"))) << (prompter.shown[0].text).toStdString();
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::PartiesPage);
    EXPECT_EQ(edit("EdtAdd_Sh")->text().size(), 81);
    EXPECT_EQ(count(QStringLiteral("decltrla")), 0);
}

TEST_F(OrderWizardTest, APostcodeOtherThanSixDigitsIsNamed)
{
    toParties();
    QLineEdit *zip = edit("EdtCode_Sh");
    zip->clear();
    QTest::keyClicks(zip, QStringLiteral("43007a"));
    edit("EdtName_Dh")->setFocus();
    prompter.shown.clear();
    next();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("收货邮编"))) << (prompter.shown[0].text).toStdString();
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("43007a"))) << (prompter.shown[0].text).toStdString();
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::PartiesPage);
    EXPECT_TRUE(zip->hasFocus());
    EXPECT_EQ(count(QStringLiteral("decltrla")), 0);

    zip->setText(QStringLiteral("430070"));
    next();
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
    EXPECT_EQ(edit("EdtCode_Sh_Ok")->text(), QStringLiteral("430070"));
}

TEST_F(OrderWizardTest, EnterMovesToTheNextEditOnThePress)
{
    toParties();
    QLineEdit *name = edit("EdtName_Dh");
    name->setFocus();
    QTest::keyPress(name, Qt::Key_Return);
    EXPECT_TRUE(edit("EdtLxr_Dh")->hasFocus());
    QTest::keyRelease(edit("EdtLxr_Dh"), Qt::Key_Return);
    EXPECT_TRUE(edit("EdtLxr_Dh")->hasFocus());
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(OrderWizardTest, EmptyEditsAreColouredWhenLeft)
{
    toParties();
    QLineEdit *tel = edit("EdtTel_Sh");
    tel->setFocus();
    tel->clear();
    edit("EdtName_Fk")->setFocus();
    EXPECT_NE(tel->palette().color(QPalette::Base), QColor(Qt::white));
    tel->setFocus();
    tel->setText(QStringLiteral("1"));
    edit("EdtName_Fk")->setFocus();
    EXPECT_EQ(tel->palette().color(QPalette::Base), QColor(Qt::white));
}

TEST_F(OrderWizardTest, DeletingMarkedTitlesAsksFirst)
{
    open();
    DbGrid *grid = w->bookGrid();
    prompter.shown.clear();
    QTest::mouseClick(button("BtnDel"), Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("请选择要删除的书目")});

    ASSERT_TRUE(grid->toggleMark(1));
    ASSERT_TRUE(grid->toggleMark(3));
    prompter.answers.enqueue(MsgResult::No);
    QTest::mouseClick(button("BtnDel"), Qt::LeftButton);
    EXPECT_EQ(prompter.shown.last().text, QStringLiteral("本操作将从购物车中删除选中图书，是否继续？"));
    EXPECT_EQ(count(QStringLiteral("deshopcart_mx")), 4);

    const QString second = w->books().text(1, QStringLiteral("tm"));
    const QString fourth = w->books().text(3, QStringLiteral("tm"));
    QTest::mouseClick(button("BtnDel"), Qt::LeftButton);
    EXPECT_EQ(w->books().recordCount(), 2);
    EXPECT_TRUE(w->marked().isEmpty());
    const QStringList left = rows(QStringLiteral("select tm from deshopcart_mx order by tm"));
    EXPECT_EQ(left.size(), 2);
    EXPECT_FALSE(left.contains(second));
    EXPECT_FALSE(left.contains(fourth));
    EXPECT_EQ(label("LbCount"), QStringLiteral("2"));
}

TEST_F(OrderWizardTest, TheQuantityDialogWritesTheCartAndTheTotalsFollow)
{
    open();
    w->books().setCurrentRow(0);
    const QString tm = w->books().text(0, QStringLiteral("tm"));
    const double price = w->books().value(0, QStringLiteral("dj")).toDouble();
    bool answered = false;
    QTimer::singleShot(0, w.get(), [&answered] {
        auto *dialog = qobject_cast<TFrmOrderCount *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        answered = true;
        dialog->findChild<QLineEdit *>(QStringLiteral("EdtCount"))->setText(QStringLiteral("40"));
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("BtnOk")), Qt::LeftButton);
    });
    DbGrid *grid = w->bookGrid();
    const QRect cell = grid->visualRect(grid->model()->index(0, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_TRUE(answered);
    // In the cart at once, amount included.
    EXPECT_EQ(rows(QStringLiteral("select sl,my from deshopcart_mx where tm=?"), {tm}),
              QStringList{QStringLiteral("40|") + QString::number(price * 40, 'g', 15)});

    next();
    next();
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::ConfirmPage);
    prompter.shown.clear();
    const QString shownAmount = label("LbHzMy");
    next();
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    const double made = Sql::scalar(db, QStringLiteral("select sum(my) from deorder_mx")).toDouble();
    EXPECT_EQ(shownAmount, DataSet::formatNumber(made, QStringLiteral("#,.00;#,.00;0")));
}

TEST_F(OrderWizardTest, AQuantityTypedIntoTheGridReachesTheCartWhenTheCellIsLeft)
{
    open();
    const QString tm = w->books().text(0, QStringLiteral("tm"));
    const QString before = stored(tm);
    const double price = w->books().value(0, QStringLiteral("dj")).toDouble();
    const struct {
        const char *typed;
        bool taken;
    } cases[] = {
        {"25", true}, {"0", true}, {"99999", true}, {"-3", false}, {"2.5", false},
        {"abc", false}, {"", false}, {"100000", false},
    };
    QString expected = before;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        QLineEdit *editor = typeQuantity(0, QString::fromUtf8(c.typed));
        ASSERT_NE(editor, nullptr);
        // Not yet: the cell is still being edited.
        EXPECT_EQ(stored(tm), expected);
        // Leaving the cell for the next row commits it.
        QTest::keyClick(editor, Qt::Key_Down);
        QCoreApplication::processEvents();
        if (c.taken) {
            const qint64 q = QString::fromUtf8(c.typed).toLongLong();
            expected = QString::number(q) + u'|' + QString::number(price * double(q), 'g', 15);
        }
        EXPECT_EQ(stored(tm), expected);
        EXPECT_EQ(w->books().text(0, QStringLiteral("sl")), expected.section(u'|', 0, 0));
        // What is refused is said, as the quantity dialog says it.
        EXPECT_EQ(prompter.texts(), c.taken ? QStringList() : QStringList{QStringLiteral("输入错误！")});
        prompter.shown.clear();
    }
}

TEST_F(OrderWizardTest, ARefusedQuantityStopsTheButtonThatCommitsIt)
{
    open();
    const QString before = stored(QStringLiteral("T1"));
    for (const char *name : {"BtnNext", "BtnDel"}) {
        SCOPED_TRACE(name);
        ASSERT_NE(typeQuantity(0, QStringLiteral("1x")), nullptr);
        QTest::mouseClick(button(name), Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("输入错误！")});
        EXPECT_EQ(w->currentPage(), TFrmOrderDo::BooksPage);
        EXPECT_EQ(stored(QStringLiteral("T1")), before);
        prompter.shown.clear();
    }
    // An empty cell left empty is no error.
    Sql::exec(db, QStringLiteral("update deshopcart_mx set sl=null where tm='T1'"));
    w->restart();
    ASSERT_NE(typeQuantity(0, QString()), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();
}

TEST_F(OrderWizardTest, AnOpenCellEditorIsCommittedBeforeAnyButtonActs)
{
    open();
    const QString tm = w->books().text(1, QStringLiteral("tm"));
    const double price = w->books().value(1, QStringLiteral("dj")).toDouble();
    ASSERT_NE(typeQuantity(1, QStringLiteral("17")), nullptr);
    // Alt+N with the editor still open.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
    ZD_WAIT_EQ(w->currentPage(), int(TFrmOrderDo::PartiesPage), 5000);
    EXPECT_EQ(stored(tm), QStringLiteral("17|") + QString::number(price * 17, 'g', 15));

    // Back on the cart, an edit left open is kept by closing the window too.
    QTest::mouseClick(button("BtnPre"), Qt::LeftButton);
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::BooksPage);
    ASSERT_NE(typeQuantity(1, QStringLiteral("6")), nullptr);
    w->close();
    EXPECT_EQ(stored(tm), QStringLiteral("6|") + QString::number(price * 6, 'g', 15));
}

// Page 4's 打印订单 by its accelerator: the print preview of the current order.
TEST_F(OrderWizardTest, AltRPrintsTheCurrentOrderOnTheSendPage)
{
    toSend();
    tree.copyFromDist(QStringLiteral("bin/Order.layout"));
    w->orders().setCurrentRow(1);
    const QString order = w->orders().text(1, QStringLiteral("dhdh"));
    prompter.shown.clear();
    QString previewed;
    int pages = -1;
    // An accelerator clicks its button a moment later: look for the preview until it is there.
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<ListReportDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        previewed = dialog->printer()->docName();
        if (auto *preview = dialog->findChild<QPrintPreviewWidget *>())
            pages = preview->pageCount();
        dialog->reject();
    });
    poll.start();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    ZD_WAIT_TRUE(!poll.isActive(), 5000);
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(previewed, QStringLiteral("订单") + order);   // the document the printer is given
}

TEST_F(OrderWizardTest, TheQuantityDialogOnEveryRowWritesEveryLine)
{
    open();
    // As the grid pop-up's "订购数量(&D)" opens it: on the grid, outside the window's own code.
    QTimer::singleShot(0, w.get(), [] {
        auto *dialog = qobject_cast<TFrmOrderCount *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->findChild<QCheckBox *>(QStringLiteral("All"))->setChecked(true);
        dialog->findChild<QLineEdit *>(QStringLiteral("EdtCount"))->setText(QStringLiteral("7"));
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("BtnOk")), Qt::LeftButton);
    });
    TFrmOrderCount dialog(prompter, *w->bookGrid(), w.get());
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    QCoreApplication::processEvents();
    EXPECT_EQ(cartLines(), (QStringList{"T1|7|87.5", "T2|7|140", "T3|7|56", "T4|7|210"}));
}

TEST_F(OrderWizardTest, TheGridPopUpActsOnACommittedQuantity)
{
    menu = std::make_unique<PpMenu>(prompter);
    open();
    const QString tm = w->books().text(2, QStringLiteral("tm"));
    const double price = w->books().value(2, QStringLiteral("dj")).toDouble();
    ASSERT_NE(typeQuantity(2, QStringLiteral("33")), nullptr);
    // "刷新(&R)" from the pop-up, opened while the cell is still being edited.
    bool refreshed = false;
    QTimer::singleShot(0, w.get(), [this, &refreshed] {
        if (QApplication::activePopupWidget() != menu.get())
            return;
        menu->action(PpMenu::Refresh)->trigger();
        refreshed = true;
        menu->close();
    });
    DbGrid *grid = w->bookGrid();
    grid->openPopup(grid->viewport()->mapToGlobal(QPoint(5, 5)));
    ASSERT_TRUE(refreshed);
    EXPECT_EQ(stored(tm), QStringLiteral("33|") + QString::number(price * 33, 'g', 15));
    EXPECT_EQ(w->books().text(2, QStringLiteral("sl")), QStringLiteral("33"));
}

TEST_F(OrderWizardTest, RestartBeginsANewRun)
{
    toConfirm();
    next();
    ASSERT_EQ(w->currentPage(), TFrmOrderDo::SendPage);
    addLine(QStringLiteral("T8"), QStringLiteral("新书"), 9, 1, QStringLiteral("S1"), QStringLiteral("一号供货商"));
    w->restart();
    EXPECT_EQ(w->currentPage(), TFrmOrderDo::BooksPage);
    EXPECT_EQ(visibleTab(), QStringLiteral("确认书目"));
    EXPECT_EQ(w->books().recordCount(), 1);
    EXPECT_TRUE(w->madeOrders().isEmpty());
    EXPECT_EQ(button("BtnNext")->text(), QStringLiteral("下一步(&N)"));
    EXPECT_EQ(button("BtnPre")->text(), QStringLiteral("上一步(&P)"));
}

} // namespace
