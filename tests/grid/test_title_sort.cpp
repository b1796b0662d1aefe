#include "grid_fixture.h"

#include "common/app_error.h"
#include "grid/sort_text.h"

#include <QAbstractItemModelTester>
#include <functional>

namespace {

const QString Asc = QString(GridColumns::AscMarker);
const QString Desc = QString(GridColumns::DescMarker);

TEST(SortTextTest, ParsesAndFormatsTerms)
{
    struct Case {
        const char *text;
        QList<SortTerm> terms;
        const char *formatted;
    } cases[] = {
        {"", {}, ""},
        {"SM ASC", {{"SM", false}}, "SM ASC"},
        {"sm ASC,zbh DESC", {{"sm", false}, {"zbh", true}}, "sm ASC,zbh DESC"},
        {"SM", {{"SM", false}}, "SM ASC"},          // no direction: ascending
        {"SM desc", {{"SM", true}}, "SM DESC"},
        {"SM asc", {{"SM", false}}, "SM ASC"},
        {"SM ASC,,DJ DESC", {{"SM", false}, {"DJ", true}}, "SM ASC,DJ DESC"},
    };
    for (const Case &c : cases) {
        const SortText sort = SortText::parse(QString::fromUtf8(c.text));
        EXPECT_EQ(sort.terms(), c.terms) << c.text;
        EXPECT_EQ(sort.toString(), QString::fromUtf8(c.formatted)) << c.text;
    }
    EXPECT_EQ(SortText::parse(QStringLiteral("sm ASC,zbh DESC")).indexOf(QStringLiteral("ZBH")), 1);
    // The list's own reader decides: a direction it does not know is refused, not guessed.
    for (const char *bad : {"SM XYZ", "SM ASC DESC", "SM ASC,DJ UP"}) {
        EXPECT_THROW(SortText::parse(QString::fromLatin1(bad)), AppError) << bad;
        EXPECT_THROW(SortTerm::parse(QString::fromLatin1(bad)), AppError) << bad;
    }
}

TEST(SortSetupTest, WorkingListStartsFromTheCurrentSortAndSkipsUnknownFields)
{
    GridColumns columns;
    columns.addMark();
    columns.addField(QStringLiteral("SM"), QStringLiteral("书名") + Asc);
    columns.addField(QStringLiteral("ZBH"), QStringLiteral("本季征订序号"));
    columns.addField(QStringLiteral("DJ"), QStringLiteral("定价")).visible = false;

    const SortSetup setup(columns, QStringLiteral("SM ASC,XX DESC,ZBH DESC"));
    EXPECT_EQ(setup.entries(), QStringList({QStringLiteral("书名 升序"), QStringLiteral("本季征订序号 降序")}));
    EXPECT_EQ(setup.working().toString(), QStringLiteral("SM ASC,ZBH DESC"));
    // Every column with a field is offered, hidden ones too, without markers.
    QStringList offered;
    for (const auto &c : setup.choices())
        offered << c.title;
    EXPECT_EQ(offered, QStringList({QStringLiteral("书名"), QStringLiteral("本季征订序号"), QStringLiteral("定价")}));
}

TEST(SortSetupTest, EditsKeepEntriesAndTermsInStep)
{
    GridColumns columns;
    columns.addField(QStringLiteral("SM"), QStringLiteral("书名"));
    columns.addField(QStringLiteral("ZBH"), QStringLiteral("本季征订序号"));
    columns.addField(QStringLiteral("DJ"), QStringLiteral("定价"));
    SortSetup setup(columns, QString());

    EXPECT_EQ(setup.add(0, false), SortSetup::AddResult::Added);
    EXPECT_EQ(setup.add(1, true), SortSetup::AddResult::Added);
    EXPECT_EQ(setup.add(2, false), SortSetup::AddResult::Added);
    EXPECT_EQ(setup.add(0, true), SortSetup::AddResult::Duplicate);
    EXPECT_EQ(setup.working().toString(), QStringLiteral("SM ASC,ZBH DESC,DJ ASC"));

    EXPECT_EQ(setup.moveUp(2), 1);
    EXPECT_EQ(setup.working().toString(), QStringLiteral("SM ASC,DJ ASC,ZBH DESC"));
    EXPECT_EQ(setup.entries().at(1), QStringLiteral("定价 升序"));
    EXPECT_EQ(setup.moveUp(0), 0);
    EXPECT_EQ(setup.moveDown(2), 2);
    EXPECT_EQ(setup.working().toString(), QStringLiteral("SM ASC,DJ ASC,ZBH DESC"));

    EXPECT_EQ(setup.remove(0), 0);
    EXPECT_EQ(setup.working().toString(), QStringLiteral("DJ ASC,ZBH DESC"));
    EXPECT_EQ(setup.remove(1), 0);   // the last one: the new last is selected
    EXPECT_EQ(setup.entries(), QStringList({QStringLiteral("定价 升序")}));
    EXPECT_EQ(setup.remove(5), -1);
    setup.clear();
    EXPECT_TRUE(setup.working().isEmpty());
    EXPECT_TRUE(setup.entries().isEmpty());
}

using TitleSortTest = GridFixture;

TEST_F(TitleSortTest, SameTitleAlternatesAndAnotherTitleStartsAscending)
{
    const int sm = col(QStringLiteral("SM"));
    const int zbh = col(QStringLiteral("ZBH"));
    const QString byTitle[] = {QStringLiteral("化学,数学,物理,英语,语文"),
                               QStringLiteral("语文,英语,物理,数学,化学")};
    const struct {
        QString marker;
        QString sort;
        int order;
    } steps[] = {{Asc, QStringLiteral("SM ASC"), 0}, {Desc, QStringLiteral("SM DESC"), 1}, {Asc, QStringLiteral("SM ASC"), 0}};
    for (const auto &step : steps) {
        clickTitle(sm);
        EXPECT_EQ(title(QStringLiteral("SM")), QStringLiteral("书名") + step.marker);
        EXPECT_TRUE(grid->columns().at(sm).emphasised);
        EXPECT_EQ(ds->sortText(), step.sort);
        EXPECT_EQ(values(QStringLiteral("sm")).join(u','), byTitle[step.order]);
    }

    clickTitle(zbh);
    EXPECT_EQ(title(QStringLiteral("SM")), QStringLiteral("书名"));
    EXPECT_FALSE(grid->columns().at(sm).emphasised);
    EXPECT_EQ(title(QStringLiteral("ZBH")), QStringLiteral("本季征订序号") + Asc);
    EXPECT_EQ(ds->sortText(), QStringLiteral("ZBH ASC"));
    EXPECT_EQ(values(QStringLiteral("zbh")).join(u','), QStringLiteral("1,2,3,4,5"));
    // The header shows the title the model reports.
    EXPECT_EQ(grid->gridModel()->headerData(zbh, Qt::Horizontal).toString(), title(QStringLiteral("ZBH")));
    EXPECT_TRUE(grid->gridModel()->headerData(zbh, Qt::Horizontal, GridModel::TitleEmphasisRole).toBool());
}

TEST_F(TitleSortTest, ClicksThatChangeNothing)
{
    clickTitle(col(QStringLiteral("DJ")));   // a sort to keep
    const GridColumns before = grid->columns();
    const QStringList order = values(QStringLiteral("tm"));

    struct Case {
        const char *what;
        std::function<void()> prepare;
        int column;
    } cases[] = {
        {"calculated column", [] {}, col(QStringLiteral("NRJJ"))},
        {"mark column", [] {}, 0},
        {"empty list", [this] { ds->setStatement(QStringLiteral("SELECT tm, sm, isbn, zbh, dj, cdcs FROM probe_book WHERE 0")); ds->open(); }, col(QStringLiteral("SM"))},
        {"closed list", [this] { ds->close(); }, col(QStringLiteral("SM"))},
    };
    for (const Case &c : cases) {
        c.prepare();
        const QString sort = ds->sortText();
        EXPECT_FALSE(grid->titleClick(c.column)) << c.what;
        clickTitle(c.column);
        EXPECT_EQ(ds->sortText(), sort) << c.what;
        for (int i = 0; i < before.count(); ++i) {
            EXPECT_EQ(grid->columns().at(i).title, before.at(i).title) << c.what;
            EXPECT_EQ(grid->columns().at(i).emphasised, before.at(i).emphasised) << c.what;
        }
        if (ds->recordCount() > 0) {
            EXPECT_EQ(values(QStringLiteral("tm")), order) << c.what;
        }
    }
}

TEST_F(TitleSortTest, RefusedSortLeavesTheTitles)
{
    GridColumns columns = bookColumns();
    columns.addField(QStringLiteral("NOSUCH"), QStringLiteral("无"));
    grid->setColumns(columns);
    clickTitle(col(QStringLiteral("SM")));
    EXPECT_THROW(grid->titleClick(col(QStringLiteral("NOSUCH"))), AppError);
    EXPECT_EQ(title(QStringLiteral("SM")), QStringLiteral("书名") + Asc);
    EXPECT_EQ(title(QStringLiteral("NOSUCH")), QStringLiteral("无"));
    EXPECT_EQ(ds->sortText(), QStringLiteral("SM ASC"));
}

TEST_F(TitleSortTest, MarksStayOnTheirTitlesAcrossSorts)
{
    clickCell(0, 0);
    clickCell(2, 0);
    EXPECT_EQ(marked.keys(), QStringList({QStringLiteral("B001"), QStringLiteral("B003")}));

    // Clicking a mark cell twice gives the list back.
    clickCell(3, 0);
    clickCell(3, 0);
    EXPECT_EQ(marked.keys(), QStringList({QStringLiteral("B001"), QStringLiteral("B003")}));

    // Rows with cdcs > 0 take no mark and show no check box.
    clickCell(1, 0);
    EXPECT_EQ(marked.size(), 2);
    EXPECT_FALSE(grid->gridModel()->index(1, 0).data(Qt::CheckStateRole).isValid());

    // A click elsewhere in the row does not mark.
    clickCell(3, col(QStringLiteral("SM")));
    EXPECT_EQ(marked.size(), 2);

    clickTitle(col(QStringLiteral("SM")));
    EXPECT_EQ(marked.keys(), QStringList({QStringLiteral("B001"), QStringLiteral("B003")}));
    // By title: 化学 数学 物理 英语 语文. Position 3 now holds 物理 (B004), which stays
    // unticked; 数学 (B001) and 英语 (B003) keep their ticks on their new positions.
    EXPECT_EQ(ds->text(2, QStringLiteral("tm")), QStringLiteral("B004"));
    EXPECT_EQ(grid->gridModel()->index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(grid->gridModel()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(grid->gridModel()->index(3, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(marked.markedKeys(), QStringList({QStringLiteral("B001"), QStringLiteral("B003")}));
}

TEST_F(TitleSortTest, GridAndListShareTheCurrentRow)
{
    clickCell(3, col(QStringLiteral("SM")));
    EXPECT_EQ(ds->currentRow(), 3);
    ds->setCurrentRow(1);
    EXPECT_EQ(grid->currentIndex().row(), 1);

    // Keyboard: Down moves, Space toggles the current row's mark, Enter opens the detail.
    QTest::keyClick(grid.get(), Qt::Key_Down);
    EXPECT_EQ(ds->currentRow(), 2);
    QTest::keyClick(grid.get(), Qt::Key_Space);
    EXPECT_EQ(marked.keys(), QStringList({QStringLiteral("B003")}));

    DataSet *detailOn = nullptr;
    QString detailTitle;
    menu->setDetailOpener([&](DataSet &d) {
        detailOn = &d;
        detailTitle = d.currentText(QStringLiteral("sm"));
    });
    QTest::keyClick(grid.get(), Qt::Key_Return);
    EXPECT_EQ(detailOn, nullptr);   // not a grid that opens the detail window
    grid->setOpensDetail(true);
    QTest::keyClick(grid.get(), Qt::Key_Return);
    EXPECT_EQ(detailOn, ds.get());
    EXPECT_EQ(detailTitle, QStringLiteral("英语"));

    detailOn = nullptr;
    const QModelIndex cell = grid->gridModel()->index(0, col(QStringLiteral("SM")));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    EXPECT_EQ(detailOn, ds.get());
    EXPECT_EQ(detailTitle, QStringLiteral("数学"));
}

TEST_F(TitleSortTest, ModelStaysConsistentThroughOpenSortRefreshAndClose)
{
    QAbstractItemModelTester tester(grid->gridModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    GridModel *model = grid->gridModel();
    EXPECT_EQ(model->rowCount(), 5);
    EXPECT_EQ(model->columnCount(), 7);
    const QModelIndex price = model->index(0, col(QStringLiteral("DJ")));
    EXPECT_EQ(price.data().toString(), ds->displayText(0, ds->fieldIndex(QStringLiteral("dj"))));
    EXPECT_DOUBLE_EQ(price.data(GridModel::RawValueRole).toDouble(), 12.5);
    EXPECT_TRUE(price.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_EQ(model->index(0, col(QStringLiteral("NRJJ"))).data().toString(), QStringLiteral("数学简介"));

    grid->titleClick(col(QStringLiteral("SM")));
    EXPECT_EQ(model->index(0, col(QStringLiteral("SM"))).data().toString(), QStringLiteral("化学"));
    ds->setValue(0, QStringLiteral("sm"), QStringLiteral("化学二"));
    EXPECT_EQ(model->index(0, col(QStringLiteral("NRJJ"))).data().toString(), QStringLiteral("化学二简介"));
    ds->refresh();
    EXPECT_EQ(model->rowCount(), 5);
    grid->clearSort();
    ds->close();
    EXPECT_EQ(model->rowCount(), 0);
    ds->open();
    EXPECT_EQ(model->rowCount(), 5);
}

TEST_F(TitleSortTest, GridWithoutColumnsShowsTheListsFields)
{
    DbGrid plain;
    plain.setDataSet(ds.get());
    const GridColumns &c = plain.columns();
    ASSERT_EQ(c.count(), ds->fieldCount());
    EXPECT_TRUE(c.isAutomatic());
    EXPECT_EQ(c.at(1).fieldName, QStringLiteral("sm"));
    EXPECT_EQ(c.markColumn(), -1);
    // Refreshing keeps the columns (and a title-click marker) of an unchanged field set.
    EXPECT_TRUE(plain.titleClick(1));
    ds->refresh();
    EXPECT_EQ(plain.columns().at(1).title, QStringLiteral("sm") + Asc);
}

} // namespace
