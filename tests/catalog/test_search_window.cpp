// The search window driven with the keyboard and the mouse: the four simple pages and the
// combined condition (quotes in every input), refusals, statements the database refuses,
// page changes, the collapse strip, the detail pane and the ticks into the cart; the result
// in the shared browse widget: export, print, the keyboard over its buttons, remembered columns.
#include "find_named.h"
#include "remembering_settings.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include "catalog/book_browse_widget.h"
#include "catalog/book_detail_pane.h"
#include "catalog/search_window.h"
#include "common/gbk_codec.h"
#include "common/prompter.h"
#include "data/sql_helper.h"
#include "grid/grid_model.h"
#include "grid/grid_view.h"
#include "widgets/toggle_strip_widget.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class SearchWindowTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();
    ScriptedPrompter prompter;
    std::unique_ptr<TFrmQuery> w;

    void SetUp() override
    {
        const struct {
            const char *tm, *zbh, *sm, *zz, *yz, *cbbm, *cbmc, *isbn, *ztmc;
            const char *csm;   // nullptr: null
        } rows[] = {
            {"T1", "1", "高等数学", "王一", "", "P01", "高等教育出版社", "7-04-1", "数学", "数学丛书"},
            {"T2", "2", "数学分析", "张三", "", "P01", "高等教育出版社", "7-04-9", "数学", ""},
            {"T3", "3", "大学物理", "王二", "D'Arcy", "P02", "科学出版社", "7-03-5", "物理", nullptr},
            {"T4", "4", "Teacher's Book", "O'Brien", "", "P'03", "读者'之友出版社", "7-05-2", "英语'阅读", "外语丛书"},
            {"T5", "5", "线性代数", "李四", "", "P02", "科学出版社", "7-03-7", "数学", "数学丛书"},
        };
        for (const auto &r : rows)
            Sql::exec(db,
                      QStringLiteral("insert into debooks (tm,zbh,sm,zz,yz,cbbm,cbmc,isbn,ztmc,csm,dj,jj)"
                                     " values (?,?,?,?,?,?,?,?,?,?,12.5,null)"),
                      {QString::fromUtf8(r.tm), QString::fromUtf8(r.zbh), QString::fromUtf8(r.sm),
                       QString::fromUtf8(r.zz), QString::fromUtf8(r.yz), QString::fromUtf8(r.cbbm),
                       QString::fromUtf8(r.cbmc), QString::fromUtf8(r.isbn), QString::fromUtf8(r.ztmc),
                       r.csm ? QVariant(QString::fromUtf8(r.csm)) : QVariant()});
    }
    void TearDown() override
    {
        w.reset();
    }

    void open(const QString &relation = QStringLiteral("包含"), bool showDetail = false)
    {
        TFrmQuery::Options options;
        options.defaultRelation = relation;
        options.showDetail = showDetail;
        w = std::make_unique<TFrmQuery>(prompter, db, options);
        // Wide enough for the criteria rows (a narrower window scrolls them under a taller panel).
        w->resize(1000, 700);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    template <class T>
    T *find(const char *name) const
    {
        return findNamed<T>(w.get(), name);
    }
    QLineEdit *edit(const char *name) const { return find<QLineEdit>(name); }
    QComboBox *combo(const char *name) const { return find<QComboBox>(name); }
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }

    void showPage(int index)
    {
        w->pages()->setCurrentIndex(index);
        QCoreApplication::sendPostedEvents();
    }
    // Types text at the end of an edit: ASCII as key clicks, Chinese as an input method
    // commits it.
    static void type(QLineEdit *e, const QString &text)
    {
        const QString before = e->text();
        e->setFocus();
        for (const QChar ch : text) {
            if (ch.unicode() < 0x80) {
                QTest::keyClick(e, char(ch.unicode()));
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(ch));
                QCoreApplication::sendEvent(e, &commit);
            }
        }
        ASSERT_EQ(e->text(), before + text);
    }
    static void click(QPushButton *b) { QTest::mouseClick(b, Qt::LeftButton); }

    // The tm of the result, sorted; empty when the result is closed.
    QStringList result() const
    {
        QStringList out;
        for (int row = 0; w->books().isOpen() && row < w->books().recordCount(); ++row)
            out << w->books().text(row, QStringLiteral("tm"));
        out.sort();
        return out;
    }

    void addCondition(int field, const QString &relation, const QString &value, const QString &value2 = {})
    {
        combo("CbField")->setCurrentIndex(field);
        combo("CbRelation")->setCurrentText(relation);
        edit("EdtValue")->clear();
        edit("EdtValue2")->clear();
        if (!value.isEmpty())
            type(edit("EdtValue"), value);
        if (!value2.isEmpty())
            type(edit("EdtValue2"), value2);
        click(button("BtnNew"));
    }
    QString shownLines() const { return find<QPlainTextEdit>("MmName")->toPlainText(); }
    // Searches the base page's first field (书名) for text with the default relation.
    void searchTitles(const QString &text)
    {
        QLineEdit *e = edit("EdtBase");
        e->clear();
        type(e, text);
        QTest::keyClick(e, Qt::Key_Return);
    }
};

TEST_F(SearchWindowTest, OpensOnTheFirstPageWithTheDefaultRelation)
{
    const struct {
        const char *configured;
        const char *preselected;
    } cases[] = {
        {"包含", "包含"}, {"等于", "等于"}, {"以...结尾", "以...结尾"},
        // A relation outside the five, or none at all, leaves the single-field searches usable.
        {"大于", "包含"}, {"", "包含"},
    };
    for (const auto &c : cases) {
        open(QString::fromUtf8(c.configured));
        EXPECT_EQ(w->windowTitle(), QStringLiteral("书目检索"));
        EXPECT_EQ(w->pages()->currentWidget()->objectName(), QStringLiteral("tb1"));
        for (const char *name : {"tb1cbrelation", "tb2cbrelation", "tb3cbrelation", "tb4cbrelation"})
            EXPECT_EQ(combo(name)->currentText(), QString::fromUtf8(c.preselected)) << c.configured << name;
        EXPECT_EQ(combo("CbRelation")->currentText(), QStringLiteral("等于"));
        EXPECT_EQ(combo("CbBase")->currentText(), QStringLiteral("书名"));
        EXPECT_FALSE(w->books().isOpen());
        EXPECT_EQ(find<QWidget>("Panel5")->height(), 72);
        EXPECT_FALSE(find<QWidget>("Panel7")->isVisible());
    }
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(SearchWindowTest, DetailPaneFollowsTheSettingAndTheCurrentRow)
{
    for (bool showDetail : {false, true}) {
        open(QStringLiteral("包含"), showDetail);
        EXPECT_EQ(w->pane()->isVisible(), showDetail);
        EXPECT_EQ(w->pane()->objectName(), QStringLiteral("Pldetail"));
    }
    type(edit("EdtBase"), QStringLiteral("数学"));
    QTest::keyClick(edit("EdtBase"), Qt::Key_Return);
    ASSERT_EQ(result(), (QStringList{"T1", "T2"}));
    EXPECT_EQ(w->pane()->fieldEdit(QStringLiteral("sm"))->text(), w->books().currentText(QStringLiteral("sm")));
    w->books().setCurrentRow(1);
    EXPECT_EQ(w->pane()->fieldEdit(QStringLiteral("sm"))->text(), w->books().text(1, QStringLiteral("sm")));

    // Under the list and whole, with no scroll bar, in the window a 1400 by 1000 screen
    // leaves it and in a smaller one.
    auto *area = find<QScrollArea>("PaneArea");
    for (QSize size : {QSize(1390, 830), QSize(1010, 640)}) {
        w->resize(size);
        QCoreApplication::processEvents();
        EXPECT_FALSE(area->horizontalScrollBar()->isVisible()) << size.width();
        EXPECT_GE(w->pane()->width(), w->pane()->minimumSizeHint().width()) << size.width();
        EXPECT_GE(area->y(), w->grid()->geometry().bottom()) << size.width();
        // Every caption of the pane's first page shows whole, inside the window.
        int captions = 0;
        for (QLabel *label : w->pane()->findChildren<QLabel *>()) {
            if (!label->isVisible() || label->text().isEmpty() || label->wordWrap())
                continue;
            ++captions;
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
                << label->text().toStdString() << " at " << size.width();
            EXPECT_LE(label->mapTo(w.get(), QPoint(label->width(), 0)).x(), w->width())
                << label->text().toStdString() << " at " << size.width();
        }
        EXPECT_GE(captions, 20) << size.width();
    }
}

TEST_F(SearchWindowTest, EnterOnEverySimplePageSearchesItsField)
{
    const struct {
        int page;
        const char *fieldCombo, *relationCombo, *editName;
        int field;
        const char *relation;
        const char *value;
        QStringList expected;
    } cases[] = {
        {0, "CbBase", "tb1cbrelation", "EdtBase", 0, "包含", "数学", {"T1", "T2"}},
        {0, "CbBase", "tb1cbrelation", "EdtBase", 0, "以...开头", "Teacher's", {"T4"}},
        {0, "CbBase", "tb1cbrelation", "EdtBase", 3, "以...开头", "7-03", {"T3", "T5"}},
        {1, "CbPress", "tb2cbrelation", "EdtPress", 0, "包含", "读者'之友", {"T4"}},
        {1, "CbPress", "tb2cbrelation", "EdtPress", 1, "等于", "P'03", {"T4"}},
        {1, "CbPress", "tb2cbrelation", "EdtPress", 1, "不等于", "P01", {"T3", "T4", "T5"}},
        // The empty third field searches the title.
        {1, "CbPress", "tb2cbrelation", "EdtPress", 2, "以...结尾", "物理", {"T3"}},
        {2, "CbPerson", "tb3cbrelation", "EdtPerson", 0, "等于", "O'Brien", {"T4"}},
        {2, "CbPerson", "tb3cbrelation", "EdtPerson", 2, "以...开头", "D'A", {"T3"}},
        {3, "CbType", "tb4cbrelation", "EdtType", 1, "包含", "英语'", {"T4"}},
        {3, "CbType", "tb4cbrelation", "EdtType", 1, "等于", "数学", {"T1", "T2", "T5"}},
    };
    open();
    for (const auto &c : cases) {
        showPage(c.page);
        combo(c.fieldCombo)->setCurrentIndex(c.field);
        combo(c.relationCombo)->setCurrentText(QString::fromUtf8(c.relation));
        QLineEdit *e = edit(c.editName);
        e->clear();
        type(e, QString::fromUtf8(c.value));
        // The search runs on the key press, before any release.
        QTest::keyPress(e, Qt::Key_Return);
        EXPECT_EQ(result(), c.expected) << c.editName << ' ' << c.value;
        QTest::keyRelease(e, Qt::Key_Return);
        EXPECT_TRUE(w->marked().isEmpty());
    }
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();
}

TEST_F(SearchWindowTest, QueryButtonsSearchAndEmptyValuesAreRefused)
{
    open();
    const char *const pages[][2] = {{"EdtBase", "BtnBase"}, {"EdtPress", "BtnPress"},
                                    {"EdtPerson", "BtnPerson"}, {"EdtType", "BtnType"}};
    for (int page = 0; page < 4; ++page) {
        showPage(page);
        prompter.shown.clear();
        click(button(pages[page][1]));
        EXPECT_EQ(prompter.texts(), QStringList{"请输入有效的查询值"}) << pages[page][1];
        EXPECT_EQ(prompter.shown.value(0).flags, MsgFlags::Information);
        EXPECT_FALSE(w->books().isOpen());
    }
    showPage(0);
    type(edit("EdtBase"), QStringLiteral("物理"));
    click(button("BtnBase"));
    EXPECT_EQ(result(), QStringList{"T3"});
}

TEST_F(SearchWindowTest, ChangingPagesClosesTheResultAndEmptiesTheShownEdit)
{
    open();
    showPage(4);
    addCondition(0, QStringLiteral("包含"), QStringLiteral("数学"));
    showPage(2);
    type(edit("EdtPerson"), QStringLiteral("王"));
    QTest::keyClick(edit("EdtPerson"), Qt::Key_Return);
    ASSERT_FALSE(result().isEmpty());

    showPage(4);
    EXPECT_FALSE(w->books().isOpen());
    EXPECT_EQ(w->grid()->gridModel()->rowCount(), 0);
    EXPECT_EQ(edit("EdtValue")->text(), QString());
    EXPECT_EQ(shownLines(), QStringLiteral("书名 包含 数学"));   // the combined lines survive
    EXPECT_EQ(find<QWidget>("Panel5")->height(), 206);
    EXPECT_TRUE(find<QWidget>("Panel7")->isVisible());

    showPage(2);
    EXPECT_EQ(edit("EdtPerson")->text(), QString());
    EXPECT_EQ(find<QWidget>("Panel5")->height(), 72);
    EXPECT_FALSE(find<QWidget>("Panel7")->isVisible());
    EXPECT_EQ(w->conditionLines().size(), 1);
}

TEST_F(SearchWindowTest, CombinedConditionWithQuotesRunsAsOneStatement)
{
    open();
    showPage(4);
    addCondition(0, QStringLiteral("包含"), QStringLiteral("数学"));
    click(button("BtnOr"));
    click(button("BtnLeft"));
    addCondition(2, QStringLiteral("以...开头"), QStringLiteral("读者'"));
    click(button("BtnAdd"));
    addCondition(1, QStringLiteral("在...之间"), QStringLiteral("O'A"), QStringLiteral("O'C"));
    click(button("BtnRight"));
    EXPECT_EQ(shownLines(), QStringLiteral("书名 包含 数学\n 或\n （\n出版社名称 以 读者' 开头\n 和\n"
                                           "作者 在 O'A 和 O'C 之间\n ）"));
    EXPECT_EQ(find<QPlainTextEdit>("MmWhere")->toPlainText().split(u'\n').size(), 7);
    EXPECT_FALSE(find<QPlainTextEdit>("MmWhere")->isVisible());

    click(button("BtnOk"));
    EXPECT_EQ(result(), (QStringList{"T1", "T2", "T4"}));
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();

    // Enter in either value edit adds the condition, as "添加(&A)" does.
    combo("CbField")->setCurrentIndex(0);
    combo("CbRelation")->setCurrentText(QStringLiteral("等于"));
    edit("EdtValue")->clear();
    type(edit("EdtValue"), QStringLiteral("Teacher's Book"));
    QTest::keyPress(edit("EdtValue"), Qt::Key_Return);
    EXPECT_EQ(w->conditionLines().size(), 8);
    EXPECT_TRUE(shownLines().endsWith(QStringLiteral("\n书名 等于 Teacher's Book")));
}

TEST_F(SearchWindowTest, StatementsTheDatabaseRefusesKeepTheConditions)
{
    const std::vector<std::vector<const char *>> cases = {
        {"BtnAdd"},                        // "和" alone
        {"BtnNew", "BtnOr"},               // a trailing connective
        {"BtnLeft", "BtnNew"},             // an unbalanced bracket
        {"BtnNew", "BtnNew"},              // two conditions without a connective
    };
    for (const auto &steps : cases) {
        open();
        showPage(4);
        type(edit("EdtValue"), QStringLiteral("数学"));
        for (const char *b : steps)
            click(button(b));
        prompter.shown.clear();
        click(button("BtnOk"));
        ASSERT_EQ(prompter.shown.size(), 1);
        const QStringList message = prompter.shown.first().text.split(u'\n');
        EXPECT_EQ(message.value(0), QStringLiteral("条件设置有误，请重新设置"));
        EXPECT_FALSE(message.value(1).trimmed().isEmpty()) << "the cause on the second line";
        EXPECT_EQ(prompter.shown.first().caption, QStringLiteral("系统提示"));
        EXPECT_EQ(prompter.shown.first().flags, MsgFlags::Information);
        EXPECT_FALSE(w->books().isOpen());
        EXPECT_EQ(w->conditionLines().size(), int(steps.size()));
    }
}

TEST_F(SearchWindowTest, SimpleSearchWithoutARelationFailsWithItsCause)
{
    open();
    type(edit("EdtBase"), QStringLiteral("数学"));
    QTest::keyClick(edit("EdtBase"), Qt::Key_Return);
    ASSERT_EQ(result(), (QStringList{"T1", "T2"}));
    combo("tb1cbrelation")->setCurrentIndex(-1);
    QTest::keyClick(edit("EdtBase"), Qt::Key_Return);
    ASSERT_EQ(prompter.shown.size(), 1);
    const QStringList message = prompter.shown.first().text.split(u'\n');
    EXPECT_EQ(message.value(0), QStringLiteral("条件设置有误，请重新设置"));
    EXPECT_FALSE(message.value(1).trimmed().isEmpty());
    EXPECT_FALSE(w->books().isOpen());
    EXPECT_EQ(edit("EdtBase")->text(), QStringLiteral("数学"));
}

TEST_F(SearchWindowTest, CombinedInputErrorsAreRefused)
{
    open();
    showPage(4);
    prompter.shown.clear();
    click(button("BtnOk"));
    EXPECT_EQ(prompter.texts(), QStringList{"请输入有效的查询条件"});

    const struct {
        const char *relation;
        const char *value, *value2;
        const char *message;
    } cases[] = {
        {"等于", "", "", "请输入有效的查询值"},
        {"包含", "", "", "请输入有效的查询值"},
        {"在...之间", "10", "", "请输入有效的范围值"},
        {"在...之间", "", "20", "请输入有效的范围值"},
    };
    for (const auto &c : cases) {
        prompter.shown.clear();
        addCondition(0, QString::fromUtf8(c.relation), QString::fromUtf8(c.value), QString::fromUtf8(c.value2));
        EXPECT_EQ(prompter.texts(), QStringList{QString::fromUtf8(c.message)}) << c.relation;
        EXPECT_TRUE(w->conditionLines().isEmpty());
        EXPECT_EQ(shownLines(), QString());
    }
    // An empty test needs no value.
    addCondition(4, QStringLiteral("为空"), QString());
    EXPECT_EQ(shownLines(), QStringLiteral("丛书名称 为空"));
    click(button("BtnOk"));
    EXPECT_EQ(result(), (QStringList{"T2", "T3"}));
}

TEST_F(SearchWindowTest, RelationLaysOutTheValueEdits)
{
    open();
    showPage(4);
    const struct {
        const char *relation;
        bool second;
        int width;
        bool valueEnabled;
    } cases[] = {
        {"在...之间", true, 120, true}, {"等于", false, 260, true}, {"为空", false, 260, false},
        {"不为空", false, 260, false}, {"以...开头", false, 260, true},
    };
    for (const auto &c : cases) {
        combo("CbRelation")->setCurrentText(QString::fromUtf8(c.relation));
        EXPECT_EQ(find<QLabel>("Lbl")->isVisible(), c.second) << c.relation;
        EXPECT_EQ(edit("EdtValue2")->isVisible(), c.second) << c.relation;
        EXPECT_EQ(edit("EdtValue")->width(), c.width) << c.relation;
        EXPECT_EQ(edit("EdtValue")->isEnabled(), c.valueEnabled) << c.relation;
    }
}

TEST_F(SearchWindowTest, ClearingAsksFirstAndOnlyWhenThereAreLines)
{
    open();
    showPage(4);
    click(button("BtnClear"));
    EXPECT_TRUE(prompter.shown.isEmpty());

    click(button("BtnAdd"));
    prompter.answers.enqueue(MsgResult::No);
    click(button("BtnClear"));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown.first().text, QStringLiteral("请确认是否清除查询条件？"));
    EXPECT_EQ(prompter.shown.first().flags, MsgFlags::YesNo);
    EXPECT_EQ(shownLines(), QStringLiteral(" 和"));

    prompter.answers.enqueue(MsgResult::Yes);
    click(button("BtnClear"));
    EXPECT_EQ(shownLines(), QString());
    EXPECT_EQ(find<QPlainTextEdit>("MmWhere")->toPlainText(), QString());
    EXPECT_TRUE(w->conditionLines().isEmpty());
}

TEST_F(SearchWindowTest, CollapseStripHidesAndShowsTheSearchPanel)
{
    open();
    showPage(4);
    auto *strip = find<TToggleStrip>("Panel7");
    QWidget *panel = find<QWidget>("Panel5");
    for (bool expected : {false, true}) {
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->topPicture()->geometry().center());
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(panel->isVisible(), expected);
        EXPECT_EQ(strip->topPicture()->objectName(), expected ? QStringLiteral("Image6") : QStringLiteral("Image5"));
    }
}

TEST_F(SearchWindowTest, TickedTitlesGoIntoTheCart)
{
    open();
    type(edit("EdtBase"), QStringLiteral("数学"));
    QTest::keyClick(edit("EdtBase"), Qt::Key_Return);
    prompter.shown.clear();
    click(button("BtnShop"));
    EXPECT_EQ(prompter.texts(), QStringList{"请选择放入购物车中的书目"});

    DbGrid *grid = w->grid();
    const QModelIndex index = grid->gridModel()->index(1, grid->columns().markColumn());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    ASSERT_EQ(w->marked().size(), 1);
    const QString ticked = w->books().text(1, QStringLiteral("tm"));

    prompter.shown.clear();
    click(button("BtnShop"));
    EXPECT_EQ(prompter.texts(), QStringList{"已经将所选书目放入购物车"});
    EXPECT_TRUE(w->marked().isEmpty());
    QSqlQuery q = Sql::exec(db, QStringLiteral("select tm from deshopcart_mx"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), ticked);
    EXPECT_FALSE(q.next());

    // A new search starts without ticks.
    grid->toggleMark(0);
    ASSERT_FALSE(w->marked().isEmpty());
    QTest::keyClick(edit("EdtBase"), Qt::Key_Return);
    EXPECT_TRUE(w->marked().isEmpty());
}

TEST_F(SearchWindowTest, EveryInputIsNamedByItsCaption)
{
    open();
    for (QWidget *control : w->pages()->findChildren<QWidget *>()) {
        if (qobject_cast<QLineEdit *>(control) && qobject_cast<QComboBox *>(control->parentWidget()))
            continue;   // a combo's own line
        if (qobject_cast<QLineEdit *>(control) || qobject_cast<QComboBox *>(control)
            || qobject_cast<QPushButton *>(control) || qobject_cast<QPlainTextEdit *>(control)) {
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
        }
    }
    EXPECT_EQ(edit("EdtBase")->accessibleName(), QStringLiteral("查询值"));
    EXPECT_EQ(button("BtnBase")->accessibleName(), QStringLiteral("查询"));
    EXPECT_EQ(button("BtnClear")->toolTip(), QStringLiteral("清除查询条件"));
}

TEST_F(SearchWindowTest, TheResultIsExportedAndPrintedAsInTheBrowseWindows)
{
    open();
    searchTitles(QStringLiteral("无此书"));
    ASSERT_TRUE(w->books().isOpen());
    prompter.shown.clear();
    prompter.saveAnswers << tree.path(QStringLiteral("never.txt"));
    click(button("BtnExp"));
    click(button("BtnPrt"));
    EXPECT_EQ(prompter.texts(), (QStringList{"没有可以导出的数据", "没有可以打印的数据"}));
    EXPECT_TRUE(prompter.saveRequests.isEmpty());

    searchTitles(QStringLiteral("数学"));
    ASSERT_EQ(result(), (QStringList{"T1", "T2"}));
    const QString path = tree.path(QStringLiteral("result.txt"));
    prompter.saveAnswers.clear();
    prompter.saveAnswers << path;
    click(button("BtnExp"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = Gbk::decode(file.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);   // layout A's header, two titles, the empty text after the last CR LF
    EXPECT_EQ(lines[0], QStringLiteral("书名\t作者\t出版社名称\tISBN\t估定价\t本季征订序号"));
    for (int row = 0; row < 2; ++row)
        EXPECT_EQ(lines[row + 1].section(u'\t', 0, 0), w->books().text(row, QStringLiteral("sm")));
    EXPECT_EQ(w->books().currentRow(), 1);
}

TEST_F(SearchWindowTest, KeyboardReachesTheResultButtonsWithMnemonicsOfTheirOwn)
{
    open();
    QApplication::setActiveWindow(w.get());
    searchTitles(QStringLiteral("数学"));
    w->grid()->setFocus();
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(order, (QStringList{"Dbgbook", "BtnShop", "BtnExp", "BtnPrt", "BtnClose"}));

    // On every page, no two buttons in view answer to the same Alt key.
    for (int page = 0; page < w->pages()->count(); ++page) {
        showPage(page);
        QStringList keys;
        for (QPushButton *b : w->findChildren<QPushButton *>()) {
            const qsizetype at = b->text().indexOf(u'&');
            if (b->isVisible() && at >= 0 && at + 1 < b->text().size())
                keys << b->text().mid(at + 1, 1).toUpper();
        }
        const qsizetype all = keys.size();
        keys.removeDuplicates();
        EXPECT_EQ(keys.size(), all) << page;
        EXPECT_GE(all, 4) << page;
    }
}

// With remembering on, over a configuration folder of its own.
class RememberedSearchTest : public SearchWindowTest {
protected:
    std::unique_ptr<RememberingSettings> remembering;

    void SetUp() override
    {
        SearchWindowTest::SetUp();
        remembering = std::make_unique<RememberingSettings>();
    }
    void TearDown() override
    {
        SearchWindowTest::TearDown();   // the window goes first: it writes its layout
        remembering.reset();
    }
    int column(const char *field) const { return w->grid()->columns().indexOfField(QString::fromLatin1(field)); }
};

// The columns the user arranges in the result are given back when the window opens again.
TEST_F(RememberedSearchTest, TheUsersColumnsAreGivenBack)
{
    open();
    searchTitles(QStringLiteral("数学"));
    EXPECT_EQ(w->grid()->memoryKey(), QStringLiteral("FrmQuery/Dbgbook"));
    w->grid()->setColumnVisible(column("ZTMC"), false);
    w->grid()->horizontalHeader()->resizeSection(column("SM"), 180);
    w->close();
    w.reset();

    open();
    searchTitles(QStringLiteral("数学"));
    EXPECT_TRUE(w->grid()->isColumnHidden(column("ZTMC")));
    EXPECT_EQ(w->grid()->columnWidth(column("SM")), 180);
}

} // namespace
