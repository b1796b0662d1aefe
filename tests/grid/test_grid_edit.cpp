// Editing the one editable column of a grid: values pass the column's validator, go through
// the list's edit and post with its change hook (SL -> MY), and every other cell stays
// read-only.
#include "common/app_error.h"
#include "data/dataset.h"
#include "grid/grid_model.h"
#include "grid/grid_view.h"
#include "grid/marked_rows.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class GridEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        connectionName = QStringLiteral("grid_edit_%1").arg(++counter);
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(QStringLiteral(":memory:"));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE cart_line(tm TEXT, sm TEXT, sl INTEGER, dj REAL, my REAL)")));
        ASSERT_TRUE(q.exec(QStringLiteral(
            "INSERT INTO cart_line VALUES ('A1','高等数学',10,12.5,125),('B2','大学物理',10,30,300)")));

        ds = std::make_unique<DataSet>();
        ds->setConnection(db);
        ds->setStatement(QStringLiteral("SELECT tm, sm, sl, dj, my FROM cart_line ORDER BY tm"));
        ds->setChangeHook(QStringLiteral("sl"), [this](DataSet &d, int row) {
            ++hookCalls;
            d.setValue(row, QStringLiteral("my"),
                       d.value(row, QStringLiteral("sl")).toLongLong() * d.value(row, QStringLiteral("dj")).toDouble());
        });
        ds->open();

        GridColumns columns;
        columns.addMark();
        columns.addField(QStringLiteral("SM"), QStringLiteral("书名"), 90);
        columns.addField(QStringLiteral("SL"), QStringLiteral("数量"), 50);
        columns.addField(QStringLiteral("DJ"), QStringLiteral("定价"), 60);
        columns.addField(QStringLiteral("MY"), QStringLiteral("码洋"), 60);
        grid = std::make_unique<DbGrid>();
        grid->setColumns(columns);
        grid->setDataSet(ds.get());
        grid->setMarkedRows(&marked);
        grid->setEditableField(QStringLiteral("SL"), GridModel::wholeNumbers(0, 99999));
        tester = std::make_unique<QAbstractItemModelTester>(grid->gridModel(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
        grid->resize(400, 200);
        grid->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    }
    void TearDown() override
    {
        tester.reset();
        grid.reset();
        ds.reset();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
    }

    GridModel *model() const { return grid->gridModel(); }
    QModelIndex cell(int row, const QString &field) const
    {
        return model()->index(row, grid->columns().indexOfField(field));
    }
    // The open cell editor, or nullptr; editors closed before are gone first.
    QLineEdit *editor() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QLineEdit *edit : grid->viewport()->findChildren<QLineEdit *>()) {
            if (edit->isVisible())
                return edit;
        }
        return nullptr;
    }

    QString connectionName;
    QSqlDatabase db;
    std::unique_ptr<DataSet> ds;
    MarkedRowList marked;
    std::unique_ptr<DbGrid> grid;
    std::unique_ptr<QAbstractItemModelTester> tester;
    int hookCalls = 0;
};

TEST_F(GridEditTest, OnlyTheNamedColumnIsEditable)
{
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < model()->columnCount(); ++column) {
            const QModelIndex index = model()->index(row, column);
            const bool editable = grid->columns().at(column).fieldName == u"SL";
            EXPECT_EQ(bool(model()->flags(index) & Qt::ItemIsEditable), editable) << row << "," << column;
            if (!editable) {
                EXPECT_FALSE(model()->setData(index, QStringLiteral("5"))) << column;
            }
        }
    }
    EXPECT_EQ(ds->text(0, QStringLiteral("sm")), QStringLiteral("高等数学"));
    EXPECT_EQ(cell(0, QStringLiteral("SL")).data(Qt::EditRole).toString(), QStringLiteral("10"));

    // An empty field name makes the grid read-only again.
    grid->setEditableField(QString(), {});
    EXPECT_FALSE(model()->flags(cell(0, QStringLiteral("SL"))) & Qt::ItemIsEditable);
    EXPECT_FALSE(model()->setData(cell(0, QStringLiteral("SL")), QStringLiteral("5")));
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(GridEditTest, QuantitiesPassTheValidatorAndRecomputeTheAmount)
{
    const struct {
        QVariant typed;
        bool accepted;
        qlonglong quantity;   // after the call
    } cases[] = {
        {QStringLiteral("12"), true, 12},    {QStringLiteral(" 7 "), true, 7},  {QStringLiteral("0"), true, 0},
        {QVariant(25), true, 25},            {QStringLiteral("99999"), true, 99999},
        {QStringLiteral("100000"), false, 99999}, {QStringLiteral("-3"), false, 99999},
        {QStringLiteral("2.5"), false, 99999},    {QStringLiteral("abc"), false, 99999},
        {QStringLiteral(""), false, 99999},       {QStringLiteral("+4"), false, 99999},
        {QStringLiteral("99999999999999999999"), false, 99999},
    };
    QSignalSpy changed(model(), &QAbstractItemModel::dataChanged);
    QSignalSpy refused(model(), &GridModel::editRefused);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toString().toStdString());
        const int hooksBefore = hookCalls;
        changed.clear();
        refused.clear();
        EXPECT_EQ(model()->setData(cell(1, QStringLiteral("SL")), c.typed), c.accepted);
        // A refusal is reported with what was typed, so the window can say so.
        ASSERT_EQ(refused.size(), c.accepted ? 0 : 1);
        if (!c.accepted) {
            EXPECT_EQ(refused[0].at(1).toString(), c.typed.toString());
        }
        EXPECT_EQ(ds->value(1, QStringLiteral("sl")).toLongLong(), c.quantity);
        EXPECT_DOUBLE_EQ(ds->value(1, QStringLiteral("my")).toDouble(), c.quantity * 30.0);
        EXPECT_EQ(hookCalls - hooksBefore, c.accepted ? 1 : 0);
        // The views hear of the new amount in the same row.
        bool amountRepainted = false;
        for (const QList<QVariant> &signal : changed) {
            const auto from = signal.at(0).value<QModelIndex>();
            const auto to = signal.at(1).value<QModelIndex>();
            const int my = cell(1, QStringLiteral("MY")).column();
            amountRepainted |= from.row() <= 1 && to.row() >= 1 && from.column() <= my && to.column() >= my;
        }
        EXPECT_EQ(amountRepainted, c.accepted);
    }
    // The other row was never touched.
    EXPECT_EQ(ds->value(0, QStringLiteral("sl")).toLongLong(), 10);
    EXPECT_EQ(cell(1, QStringLiteral("MY")).data().toString(), ds->displayText(1, ds->fieldIndex(QStringLiteral("my"))));
}

TEST_F(GridEditTest, TypingIntoTheCellEditsThroughTheGrid)
{
    grid->setCurrentIndex(cell(0, QStringLiteral("SL")));
    QTest::keyClick(grid.get(), Qt::Key_3);
    QLineEdit *edit = editor();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("3"));
    QTest::keyClick(edit, Qt::Key_4);
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();   // the editor commits on a queued call
    EXPECT_EQ(ds->value(0, QStringLiteral("sl")).toLongLong(), 34);
    EXPECT_DOUBLE_EQ(ds->value(0, QStringLiteral("my")).toDouble(), 34 * 12.5);

    // A refused text leaves the quantity as it was.
    grid->setCurrentIndex(cell(0, QStringLiteral("SL")));
    QTest::keyClick(grid.get(), Qt::Key_Minus);
    edit = editor();
    ASSERT_NE(edit, nullptr);
    QTest::keyClick(edit, Qt::Key_2);
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();   // the editor commits on a queued call
    EXPECT_EQ(ds->value(0, QStringLiteral("sl")).toLongLong(), 34);

    // Space still ticks the row; a key typed on a read-only cell opens no editor.
    grid->setCurrentIndex(cell(1, QStringLiteral("SM")));
    QTest::keyClick(grid.get(), Qt::Key_Space);
    EXPECT_EQ(marked.keys(), QStringList{QStringLiteral("B2")});
    QTest::keyClick(grid.get(), Qt::Key_5);
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(ds->text(1, QStringLiteral("sm")), QStringLiteral("大学物理"));
}

TEST(WholeNumbersTest, BoundsAreInclusive)
{
    const auto between = GridModel::wholeNumbers(5, 9);
    const struct {
        const char *text;
        bool accepted;
    } cases[] = {{"4", false}, {"5", true}, {"9", true}, {"10", false}, {"007", true}};
    for (const auto &c : cases) {
        const std::optional<QVariant> got = between(QString::fromLatin1(c.text));
        EXPECT_EQ(got.has_value(), c.accepted) << c.text;
        if (got) {
            EXPECT_EQ(got->toInt(), QString::fromLatin1(c.text).toInt()) << c.text;
        }
    }
}

} // namespace
