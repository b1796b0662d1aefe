// Grid layouts the user makes are kept per user and given back; columns open readable.
#include "common/user_settings.h"
#include "grid/column_widths.h"
#include "grid/grid_memory.h"
#include "grid_fixture.h"

#include <QFile>
#include <QFontMetrics>
#include <QSettings>
#include <QVBoxLayout>

namespace {

// ----- the layout text and merging a layout into a window's columns -------------------------

TEST(GridMemoryText, ReadsBackWhatItWroteAndSkipsWhatItCannotRead)
{
    const QList<GridColumnState> columns = {
        {QStringLiteral("#选择"), 0, true}, {QStringLiteral("SM"), 150, true}, {QStringLiteral("ISBN"), 0, false}};
    EXPECT_EQ(GridMemory::parseColumns(GridMemory::columnsText(columns)), columns);

    const struct {
        const char *text;
        QStringList ids;
    } cases[] = {
        {"SM 90 1;ISBN 20 0", {"SM", "ISBN"}},
        {"SM 90;ISBN 20 0", {"ISBN"}},            // a word missing
        {"SM x 1;DJ -5 1;ZBH 10 2", {}},           // width not a number, negative, flag not 0/1
        {"#a title 0 1", {"#a title"}},            // a title with a blank
        {"", {}},
    };
    for (const auto &c : cases) {
        QStringList ids;
        for (const GridColumnState &s : GridMemory::parseColumns(QString::fromUtf8(c.text)))
            ids << s.id;
        EXPECT_EQ(ids, c.ids) << c.text;
    }
}

TEST(GridMemoryApply, GivesKnownColumnsTheirStateAndKeepsNewOnesBesideTheirNeighbour)
{
    auto columns = [] {
        GridColumns c;
        c.addMark(GridColumns::MarkTitle, 28);
        c.addField(QStringLiteral("TM"), QStringLiteral("条码"), 60);
        c.addField(QStringLiteral("SM"), QStringLiteral("书名"), 90);
        c.addField(QStringLiteral("DJ"), QStringLiteral("定价"), 60);
        return c;
    };
    const struct {
        const char *what;
        const char *layout;
        QList<int> order;
        QList<bool> visible;
        QList<int> widths;
    } cases[] = {
        {"nothing remembered", "", {0, 1, 2, 3}, {true, true, true, true}, {28, 60, 90, 60}},
        {"reordered, one hidden, one width", "#选择 0 1;DJ 0 1;SM 150 1;TM 0 0", {0, 3, 2, 1},
         {true, false, true, true}, {28, 60, 150, 60}},
        {"a column the program added since (DJ)", "SM 0 1;#选择 0 1;TM 0 1", {2, 3, 0, 1},
         {true, true, true, true}, {28, 60, 90, 60}},
        {"a column the program dropped since", "ZZ 80 1;TM 0 1;SM 0 0", {0, 1, 2, 3},
         {true, true, false, true}, {28, 60, 90, 60}},
    };
    for (const auto &c : cases) {
        GridColumns cols = columns();
        GridState state;
        state.columns = GridMemory::parseColumns(QString::fromUtf8(c.layout));
        EXPECT_EQ(GridMemory::apply(state, cols), c.order) << c.what;
        for (int i = 0; i < cols.count(); ++i) {
            EXPECT_EQ(cols.at(i).visible, c.visible[i]) << c.what << " column " << i;
            EXPECT_EQ(cols.at(i).width, c.widths[i]) << c.what << " column " << i;
        }
    }
}

TEST(ColumnWidthsRule, FitsCaptionAndSamplesAndSharesSpareRoomWithShortColumns)
{
    const auto chars = [](const QString &t) { return int(t.size()) * 10; };
    EXPECT_EQ(ColumnWidths::captionWidth(QStringLiteral("版别"), chars), 20 + ColumnWidths::TitlePadding);
    const struct {
        int caption;
        QStringList samples;
        int expected;
    } fits[] = {
        {40, {}, 40},                                    // no rows: the caption
        {40, {"ab", "abcdefghij"}, 100 + ColumnWidths::CellPadding},
        {120, {"abc"}, 120},                             // the caption is wider than the rows
        {40, {QString(100, u'x')}, ColumnWidths::MaxFitted},
        {500, {QString(100, u'x')}, 500},                // never below the caption
    };
    for (const auto &c : fits)
        EXPECT_EQ(ColumnWidths::fitted(c.caption, c.samples, chars), c.expected) << c.samples.join(u',').toStdString();

    const struct {
        const char *what;
        QList<int> widths, wanted;
        QList<bool> growable;
        int spare;
        QList<int> expected;
    } grows[] = {
        {"room for all", {50, 60, 70}, {80, 60, 100}, {true, true, true}, 100, {80, 60, 100}},
        {"room runs out in column order", {50, 60, 70}, {80, 60, 100}, {true, true, true}, 40, {80, 60, 80}},
        {"no room", {50, 60}, {80, 90}, {true, true}, -10, {50, 60}},
        {"the user's width stays", {50, 60}, {80, 90}, {false, true}, 100, {50, 90}},
        {"a long column takes no spare room", {100, 60}, {ColumnWidths::MaxGrown + 1, 90}, {true, true}, 500,
         {100, 90}},
    };
    for (const auto &c : grows)
        EXPECT_EQ(ColumnWidths::grow(c.widths, c.wanted, c.growable, c.spare), c.expected) << c.what;
}

// ----- a grid in a window, remembered under a temporary configuration folder ----------------

class RememberedGridTest : public GridFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config.isValid());
        savedConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        UserSettings::setEnabled(true);
        GridFixture::SetUp();
        grid->hide();
    }

    void TearDown() override
    {
        window.reset();
        GridFixture::TearDown();
        UserSettings::setEnabled(false);
        if (savedConfigHome.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", savedConfigHome);
    }

    // A window "FrmProbe" holding a grid "Dbgbook" over the fixture's list; a new instance
    // stands for the window opened again (or the program started again).
    DbGrid *openWindow()
    {
        window = std::make_unique<QWidget>();
        window->setObjectName(QStringLiteral("FrmProbe"));
        auto *g = new DbGrid(window.get());
        g->setObjectName(QStringLiteral("Dbgbook"));
        g->setPopupMenu(menu.get());
        g->setColumns(bookColumns());
        g->setDataSet(ds.get());
        g->setMarkedRows(&marked);
        auto *layout = new QVBoxLayout(window.get());
        layout->addWidget(g);
        window->resize(900, 300);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
        return g;
    }

    void closeWindow()
    {
        window->close();
        window.reset();
    }

    static QList<int> visualOrder(const DbGrid *g)
    {
        QList<int> order;
        for (int v = 0; v < g->horizontalHeader()->count(); ++v)
            order << g->horizontalHeader()->logicalIndex(v);
        return order;
    }

    QTemporaryDir config;
    QByteArray savedConfigHome;
    std::unique_ptr<QWidget> window;
};

TEST_F(RememberedGridTest, ColumnsWidthsOrderAndSortComeBackInANewWindow)
{
    DbGrid *g = openWindow();
    EXPECT_EQ(g->memoryKey(), QStringLiteral("FrmProbe/Dbgbook"));
    const int isbn = col(QStringLiteral("ISBN"));
    const int sm = col(QStringLiteral("SM"));
    const int zbh = col(QStringLiteral("ZBH"));
    const int dj = col(QStringLiteral("DJ"));
    g->setColumnVisible(isbn, false);
    g->horizontalHeader()->resizeSection(sm, 173);
    g->horizontalHeader()->moveSection(g->horizontalHeader()->visualIndex(dj), 1);
    ASSERT_TRUE(g->titleClick(zbh));
    ASSERT_TRUE(g->titleClick(zbh));
    const QList<int> order = visualOrder(g);
    closeWindow();
    ds->setSortText(QString());   // the list itself forgets; the grid must bring it back

    EXPECT_TRUE(QFile::exists(UserSettings::filePath()));
    g = openWindow();
    EXPECT_TRUE(g->isColumnHidden(isbn));
    EXPECT_FALSE(g->columns().at(isbn).visible);
    EXPECT_EQ(g->columnWidth(sm), 173);
    EXPECT_EQ(visualOrder(g), order);
    EXPECT_EQ(g->horizontalHeader()->visualIndex(dj), 1);
    EXPECT_EQ(ds->sortText(), QStringLiteral("ZBH DESC"));
    EXPECT_EQ(g->columns().at(zbh).title, QStringLiteral("本季征订序号▼"));
    EXPECT_TRUE(g->columns().at(zbh).emphasised);
    EXPECT_EQ(values(QStringLiteral("zbh")), (QStringList{"5", "4", "3", "2", "1"}));
}

TEST_F(RememberedGridTest, ASortFromTheSortDialogComesBackWithoutMarkers)
{
    DbGrid *g = openWindow();
    g->applySortText(QStringLiteral("SM ASC,ZBH DESC"));
    closeWindow();
    ds->setSortText(QString());
    g = openWindow();
    EXPECT_EQ(ds->sortText(), QStringLiteral("SM ASC,ZBH DESC"));
    for (int i = 0; i < g->columns().count(); ++i)
        EXPECT_FALSE(GridColumns::hasMarker(g->columns().at(i).title)) << i;
}

TEST_F(RememberedGridTest, RestoreDefaultsReturnsTheWindowsOwnLayoutAndForgetsTheUsers)
{
    DbGrid *g = openWindow();
    const GridState builtIn = g->currentLayout();
    QList<int> builtInWidths;
    for (int i = 0; i < g->columns().count(); ++i)
        builtInWidths << g->columnWidth(i);
    const int isbn = col(QStringLiteral("ISBN"));
    const int sm = col(QStringLiteral("SM"));
    g->setColumnVisible(isbn, false);
    g->horizontalHeader()->resizeSection(sm, 211);
    g->horizontalHeader()->moveSection(g->horizontalHeader()->visualIndex(sm), 5);
    ASSERT_TRUE(g->titleClick(sm));
    g->saveLayout();
    ASSERT_FALSE(QSettings(UserSettings::filePath(), QSettings::IniFormat).childGroups().isEmpty());

    ASSERT_TRUE(menu->prepare(g, 0, &marked, 0));
    menu->action(PpMenu::RestoreDefaults)->trigger();

    for (int i = 0; i < g->columns().count(); ++i) {
        EXPECT_EQ(g->isColumnHidden(i), !bookColumns().at(i).visible) << i;
        EXPECT_EQ(g->columnWidth(i), builtInWidths[i]) << i;
        EXPECT_EQ(g->columns().at(i).title, bookColumns().at(i).title) << i;
    }
    EXPECT_EQ(visualOrder(g), (QList<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(ds->sortText(), QString());
    EXPECT_EQ(g->currentLayout(), builtIn);
    closeWindow();
    EXPECT_TRUE(QSettings(UserSettings::filePath(), QSettings::IniFormat).childGroups().isEmpty());

    g = openWindow();
    EXPECT_FALSE(g->isColumnHidden(isbn));
    EXPECT_EQ(g->columnWidth(sm), builtInWidths[sm]);
}

TEST_F(RememberedGridTest, NothingIsWrittenWhileRememberingIsOffOrTheWindowHasNoName)
{
    UserSettings::setEnabled(false);
    DbGrid *g = openWindow();
    EXPECT_TRUE(g->memoryKey().isEmpty());
    g->horizontalHeader()->resizeSection(col(QStringLiteral("SM")), 150);
    closeWindow();
    EXPECT_FALSE(QFile::exists(UserSettings::filePath()));

    UserSettings::setEnabled(true);
    window = std::make_unique<QWidget>();   // no name
    auto *unnamed = new DbGrid(window.get());
    unnamed->setObjectName(QStringLiteral("Dbgbook"));
    unnamed->setColumns(bookColumns());
    unnamed->setDataSet(ds.get());
    window->show();
    EXPECT_TRUE(unnamed->memoryKey().isEmpty());
    unnamed->horizontalHeader()->resizeSection(2, 150);
    closeWindow();
    EXPECT_FALSE(QFile::exists(UserSettings::filePath()));
}

// ----- readable columns ---------------------------------------------------------------------

using ReadableColumnsTest = GridFixture;

TEST_F(ReadableColumnsTest, NoColumnOpensNarrowerThanItsCaption)
{
    GridColumns narrow = bookColumns();
    for (int i = 0; i < narrow.count(); ++i)
        narrow[i].width = i == 0 ? 0 : 10;
    grid->setColumns(narrow);
    QFont bold = grid->horizontalHeader()->font();
    bold.setBold(true);
    const QFontMetrics boldTitles(bold);
    const QFontMetrics titles(grid->horizontalHeader()->font());
    for (int i = 0; i < narrow.count(); ++i) {
        const bool sortable = i != 0 && narrow.at(i).fieldName != u"NRJJ";
        const int caption = sortable ? boldTitles.horizontalAdvance(narrow.at(i).title + GridColumns::AscMarker)
                                     : titles.horizontalAdvance(narrow.at(i).title);
        EXPECT_GE(grid->columnWidth(i), caption + 6) << narrow.at(i).title.toStdString();
    }
}

TEST_F(ReadableColumnsTest, AColumnShownAgainOrWithoutAWidthFitsItsRows)
{
    GridColumns cols = bookColumns();
    const int sm = cols.indexOfField(QStringLiteral("SM"));
    const int isbn = cols.indexOfField(QStringLiteral("ISBN"));
    cols[sm].width = 0;
    cols[isbn].width = 8;
    cols[isbn].visible = false;
    grid->setColumns(cols);
    ds->setValue(0, QStringLiteral("sm"), QStringLiteral("一本书名相当长的教材（第二版）"));
    ds->setValue(2, QStringLiteral("isbn"), QStringLiteral("978-7-04-012345-6"));
    grid->setColumns(cols);   // fitted again against the new texts

    const QFontMetrics cells(grid->font());
    EXPECT_GE(grid->columnWidth(sm), cells.horizontalAdvance(QStringLiteral("一本书名相当长的教材（第二版）")) + 6);

    grid->setColumnVisible(isbn, true);   // "设置显示项"
    EXPECT_FALSE(grid->isColumnHidden(isbn));
    EXPECT_GE(grid->columnWidth(isbn), cells.horizontalAdvance(QStringLiteral("978-7-04-012345-6")) + 6);
    EXPECT_EQ(grid->columnWidth(isbn), grid->fittedWidth(isbn));
}

TEST_F(ReadableColumnsTest, ADoubleClickOnATitlesRightEdgeFitsTheColumn)
{
    const int sm = col(QStringLiteral("SM"));
    ds->setValue(1, QStringLiteral("sm"), QStringLiteral("高等数学（同济第七版）上册"));
    QHeaderView *h = grid->horizontalHeader();
    h->resizeSection(sm, 30);
    ASSERT_EQ(grid->columnWidth(sm), 30);
    const QPoint edge(h->sectionViewportPosition(sm) + h->sectionSize(sm) - 1, h->height() / 2);
    QTest::mouseDClick(h->viewport(), Qt::LeftButton, {}, edge);
    EXPECT_EQ(grid->columnWidth(sm), grid->fittedWidth(sm));
    EXPECT_GE(grid->columnWidth(sm),
              QFontMetrics(grid->font()).horizontalAdvance(QStringLiteral("高等数学（同济第七版）上册")) + 6);
}

TEST_F(ReadableColumnsTest, SpareRoomGoesToShortColumnsWhoseTextIsCut)
{
    GridColumns cols = bookColumns();
    const int isbn = cols.indexOfField(QStringLiteral("ISBN"));
    cols[isbn].width = 30;
    ds->setValue(0, QStringLiteral("isbn"), QStringLiteral("978-7-04-012345-6"));
    auto fresh = std::make_unique<DbGrid>();
    fresh->setColumns(cols);
    fresh->setDataSet(ds.get());
    fresh->resize(1200, 260);
    fresh->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fresh.get()));
    QCoreApplication::processEvents();
    EXPECT_EQ(fresh->columnWidth(isbn), fresh->fittedWidth(isbn));
    EXPECT_GT(fresh->columnWidth(isbn), 30);
}

} // namespace
