#pragma once
// A shown grid over a five-title list with a mark column, a calculated column and two rows
// that cannot be marked (cdcs > 0), its own pop-up menu and a scripted prompter.
#include "data/dataset.h"
#include "grid/grid_model.h"
#include "grid/grid_popup_gui.h"
#include "grid/grid_view.h"
#include "grid/marked_rows.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include <QApplication>
#include <QHeaderView>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

class GridFixture : public ::testing::Test {
protected:
    // Statement order is by tm; by title (pinyin) it is 化学 数学 物理 英语 语文.
    static constexpr const char *Statement = "SELECT tm, sm, isbn, zbh, dj, cdcs FROM probe_book ORDER BY tm";

    void SetUp() override
    {
        static int counter = 0;
        connectionName = QStringLiteral("grid_test_%1").arg(++counter);
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(QStringLiteral(":memory:"));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral(
            "CREATE TABLE probe_book(tm TEXT, sm TEXT, isbn TEXT, zbh INTEGER, dj REAL, cdcs INTEGER)")));
        ASSERT_TRUE(q.exec(QStringLiteral(
            "INSERT INTO probe_book VALUES ('B001','数学','I1',3,12.5,0),('B002','语文','I2',1,20,2),"
            "('B003','英语','I3',5,8,0),('B004','物理','I4',2,30,0),('B005','化学','I5',4,15,1)")));

        ds = std::make_unique<DataSet>();
        ds->setConnection(db);
        ds->setStatement(QString::fromLatin1(Statement));
        ds->addCalculatedField(QStringLiteral("NRJJ"), QStringLiteral("内容简介"),
                               [](const DataSet &d, int row) { return QVariant(d.text(row, QStringLiteral("sm")) + QStringLiteral("简介")); });
        ds->open();

        menu = std::make_unique<PpMenu>(prompter);
        menu->setOwnerNameSource([this] { return owner; });
        grid = std::make_unique<DbGrid>();
        grid->setObjectName(QStringLiteral("Dbgbook"));
        grid->setPopupMenu(menu.get());
        grid->setColumns(bookColumns());
        grid->setDataSet(ds.get());
        grid->setMarkedRows(&marked);
        grid->resize(700, 260);
        grid->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    }

    void TearDown() override
    {
        grid.reset();
        menu.reset();
        ds.reset();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
    }

    static GridColumns bookColumns()
    {
        GridColumns c;
        c.addMark();
        c.addField(QStringLiteral("TM"), QStringLiteral("条码"), 60);
        c.addField(QStringLiteral("SM"), QStringLiteral("书名"), 90);
        c.addField(QStringLiteral("ISBN"), QStringLiteral("ISBN"), 60);
        c.addField(QStringLiteral("ZBH"), QStringLiteral("本季征订序号"), 100);
        c.addField(QStringLiteral("DJ"), QStringLiteral("定价"), 60);
        c.addField(QStringLiteral("NRJJ"), QStringLiteral("内容简介"), 100);
        return c;
    }

    int col(const QString &field) const { return grid->columns().indexOfField(field); }
    QString title(const QString &field) const { return grid->columns().at(col(field)).title; }

    // The field's values in the list's current order.
    QStringList values(const QString &field) const
    {
        QStringList out;
        for (int row = 0; row < ds->recordCount(); ++row)
            out << ds->text(row, field);
        return out;
    }

    void clickCell(int row, int column, Qt::MouseButton button = Qt::LeftButton)
    {
        const QModelIndex index = grid->gridModel()->index(row, column);
        QTest::mouseClick(grid->viewport(), button, {}, grid->visualRect(index).center());
    }

    void clickTitle(int column)
    {
        QHeaderView *h = grid->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2));
    }

    // Runs f on the modal window (dialog or message box) that the next call opens.
    template <class F>
    static void onNextModal(F f)
    {
        QTimer::singleShot(0, [f] {
            QWidget *modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            f(modal);
        });
    }

    TempTree tree;
    QString connectionName;
    QSqlDatabase db;
    ScriptedPrompter prompter;
    MarkedRowList marked;
    std::unique_ptr<DataSet> ds;
    std::unique_ptr<PpMenu> menu;
    std::unique_ptr<DbGrid> grid;
    QString owner = QStringLiteral("TFrmbookTypeB");
};
