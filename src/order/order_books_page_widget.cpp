#include "order/order_books_page_widget.h"

#include "order/order_wizard_controls_widget.h"

#include "order/cart_statements.h"
#include "order/order_making.h"

#include "cart/order_count_dialog.h"
#include "cart/season_orders.h"
#include "common/guarded.h"
#include "common/prompter.h"
#include "data/dataset.h"
#include "grid/grid_model.h"
#include "grid/grid_popup_gui.h"
#include "grid/grid_view.h"
#include "grid/marked_rows.h"

#include <QAbstractItemDelegate>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>

OrderBooksPage::OrderBooksPage(Prompter &prompter, const QSqlDatabase &db, const QString &op, DataSet &books,
                               DataSet &totals, MarkedRowList &marked, PpMenu *popupMenu, QWidget *parent)
    : QWidget(parent), m_prompter(prompter), m_db(db), m_op(op), m_books(books), m_totals(totals), m_marked(marked)
{
    setObjectName(QStringLiteral("tb2"));
    setLeftOut({});   // the whole cart
    const QString quantity = QStringLiteral("#,"), money = QStringLiteral("#,.00;#,.00;0");
    const struct {
        const char *name, *caption;
        const QString &format;
    } fields[] = {
        {"SM", "书名", QString()},         {"TM", "条码", QString()},
        {"ZBH", "征订序号", QString()},    {"ISBN", "ISBN", QString()},
        {"YC", "印次", QString()},         {"SL", "数量", quantity},
        {"DJ", "定价", money},             {"MY", "码洋", money},
        {"ZZ", "作者", QString()},         {"CBBM", "出版社编号", QString()},
        {"CBMC", "出版社名称", QString()}, {"GHBM", "供货商编号", QString()},
        {"GHMC", "供货商名称", QString()}, {"DHDH", "DHDH", QString()},
    };
    for (const auto &f : fields)
        m_books.defineField(QString::fromLatin1(f.name), QString::fromUtf8(f.caption), f.format);

    m_grid = OrderWizardControls::grid(this, "DbgOk", QStringLiteral("订购书目"), popupMenu);
    GridColumns cols;
    cols.addMark(GridColumns::MarkTitle, 34);
    cols.addField(QStringLiteral("SM"), QStringLiteral("书名"), 260);
    cols.addField(QStringLiteral("SL"), QStringLiteral("数量"), 60);
    cols.addField(QStringLiteral("DJ"), QStringLiteral("定价"), 64);
    cols.addField(QStringLiteral("MY"), QStringLiteral("码洋"), 80);
    cols.addField(QStringLiteral("TM"), QStringLiteral("条码"), 110);
    cols.addField(QStringLiteral("ZBH"), QStringLiteral("本季征订序号"), 90);
    cols.addField(QStringLiteral("YC"), QStringLiteral("印次"), 40);
    cols.addField(QStringLiteral("ZZ"), QStringLiteral("作者"), 110);
    cols.addField(QStringLiteral("CBMC"), QStringLiteral("版别"), 150);
    cols.addField(QStringLiteral("ISBN"), QStringLiteral("ISBN(统一书号)"), 110).visible = false;
    cols.addField(QStringLiteral("CBBM"), QStringLiteral("出版社编号"), 80).visible = false;
    cols.addField(QStringLiteral("GHBM"), QStringLiteral("供货商编号"), 80).visible = false;
    cols.addField(QStringLiteral("GHMC"), QStringLiteral("供货商"), 150).visible = false;
    m_grid->setColumns(cols);
    m_grid->setDataSet(&m_books);
    m_grid->setMarkedRows(&marked);
    m_grid->setPopupOptions(0, 0);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_grid);

    // The quantity column takes exactly what the quantity dialog takes; a changed quantity
    // recomputes the row's amount and goes to the cart when its cell is left.
    m_grid->setEditableField(QStringLiteral("SL"), [](const QVariant &value) -> std::optional<QVariant> {
        if (const auto quantity = TFrmOrderCount::parseQuantity(value.toString()))
            return QVariant(*quantity);
        return std::nullopt;
    });
    CartQuantityWrites::followAmounts(m_books);
    // A refused quantity is told as the quantity dialog tells it, once the cell's editor is
    // gone: a message box opened while the editor commits would take its focus and commit
    // it again.
    connect(m_grid->gridModel(), &GridModel::editRefused, this, [this] {
        m_editRefused = true;
        QTimer::singleShot(0, this, [this] { tellRefusedEdit(); });
    });
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { editQuantity(); });
}

void OrderBooksPage::followEdits(PpMenu *popupMenu)
{
    connect(&m_books, &DataSet::valueChanged, this, &OrderBooksPage::quantityChanged);
    // Whatever the pop-up then does (刷新, 订购数量, a sort) finds the typed quantity in place.
    if (popupMenu)
        connect(popupMenu, &QMenu::aboutToShow, this, [this] { commitEdit(); });
}

bool OrderBooksPage::commitEdit()
{
    const QModelIndex current = m_grid->currentIndex();
    QWidget *editor = current.isValid() ? m_grid->indexWidget(current) : nullptr;
    if (editor) {
        QAbstractItemDelegate *delegate = m_grid->itemDelegateForIndex(current);
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    if (!m_editRefused)
        return true;
    tellRefusedEdit();
    return false;
}

void OrderBooksPage::tellRefusedEdit()
{
    if (!m_editRefused)
        return;
    m_editRefused = false;
    m_prompter.info(QStringLiteral("输入错误！"));
}

void OrderBooksPage::quantityChanged(int row, int fieldIndex)
{
    if (!m_quantities.noteChange(m_books, row, fieldIndex))
        return;
    // One edit goes at once; a run of edits (the quantity dialog on every row) goes together
    // once it is over.
    if (m_books.controlsDisabled()) {
        if (!m_writeQueued) {
            m_writeQueued = true;
            QTimer::singleShot(0, this, [this] { guarded(m_prompter, [&] { writeQuantities(); }); });
        }
        return;
    }
    guarded(m_prompter, [&] { writeQuantities(); });
}

void OrderBooksPage::writeQuantities()
{
    m_writeQueued = false;
    m_quantities.write(m_db);
}

void OrderBooksPage::writeAllQuantities()
{
    m_quantities.noteAll(m_books);
    writeQuantities();
}

void OrderBooksPage::editQuantity()
{
    if (!commitEdit())
        return;
    guarded(m_prompter, [&] {
        writeQuantities();
        if (!m_books.isOpen() || m_books.isEmpty()) {
            m_prompter.info(QStringLiteral("没有选择要修改的记录，不能修改定购数量！"));
            return;
        }
        TFrmOrderCount dialog(m_prompter, *m_grid, this);
        dialog.exec();
        writeQuantities();
    });
}

bool OrderBooksPage::deleteMarked()
{
    if (!commitEdit())
        return false;
    bool deleted = false;
    guarded(m_prompter, [&] {
        writeQuantities();
        const QStringList keys = m_books.isOpen() ? m_marked.markedKeys() : QStringList();
        if (keys.isEmpty()) {
            m_prompter.info(QStringLiteral("请选择要删除的书目"));
            return;
        }
        if (!m_prompter.askYesNo(QStringLiteral("本操作将从购物车中删除选中图书，是否继续？")))
            return;
        retryWhileBusy(m_prompter, [&] { DeleteCartLines(m_db, m_op, keys); });
        m_marked.clear();
        m_books.open();
        deleted = true;
    });
    m_grid->marksChanged();
    return deleted;
}

void OrderBooksPage::setLeftOut(const QStringList &keys)
{
    m_leftOut = keys;
    m_books.close();
    m_totals.close();
    const CartStatements::Bound lines = CartStatements::lines(m_op, keys);
    const CartStatements::Bound totals = CartStatements::totals(m_op, keys);
    m_books.setStatement(lines.text, lines.values);
    m_totals.setStatement(totals.text, totals.values);
}

bool OrderBooksPage::cartChanged() const
{
    if (!m_books.isOpen())
        return true;
    QStringList listed = m_leftOut;
    for (int row = 0; row < m_books.recordCount(); ++row)
        listed << m_books.text(row, QStringLiteral("tm"));
    listed.sort();
    return listed != CartTitleKeys(m_db, m_op);
}

bool OrderBooksPage::askAboutZeroQuantities()
{
    QStringList keys, names;
    for (int row = 0; row < m_books.recordCount(); ++row) {
        if (m_books.value(row, QStringLiteral("sl")).toLongLong() != 0)
            continue;
        keys << m_books.text(row, QStringLiteral("tm"));
        names << QStringLiteral("《%1》（条码 %2）").arg(m_books.text(row, QStringLiteral("sm")), keys.last());
    }
    if (keys.isEmpty())
        return true;
    const bool orderAsZero = m_prompter.askYesNo(CartStatements::zeroQuantityQuestion(names), true);
    if (orderAsZero)
        return true;
    if (keys.size() == m_books.recordCount()) {
        m_prompter.info(QStringLiteral("购物车中书目的订购数量都是 0，没有可以订购的书目"));
        return false;
    }
    setLeftOut(keys);
    guarded(m_prompter, [&] { m_books.open(); });
    return m_books.isOpen();
}

bool OrderBooksPage::askAboutSeasonOrders()
{
    QStringList keys;
    for (int row = 0; row < m_books.recordCount(); ++row)
        keys << m_books.text(row, QStringLiteral("tm"));
    const QList<SeasonOrders::OrderedLine> lines = SeasonOrders::find(m_db, keys);
    if (lines.isEmpty())
        return true;
    const QString closing = QStringLiteral("仍然订购这些书目吗？\n选择\"否\"则本次不订购这些书目，它们留在购物车中。");
    if (m_prompter.askYesNo(SeasonOrders::question(lines, closing)))
        return true;
    const QStringList ordered = SeasonOrders::keysOf(lines);
    if (ordered.size() >= m_books.recordCount()) {
        m_prompter.info(QStringLiteral("购物车中的书目本季都已经订购，没有可以订购的书目"));
        return false;
    }
    setLeftOut(m_leftOut + ordered);
    guarded(m_prompter, [&] { m_books.open(); });
    return m_books.isOpen();
}
