#pragma once
// DbGrid: the read-only grid every list window uses. It shows a DataSet under its own column
// list, follows and sets the list's current row, toggles marks in the "选择" column (mouse or
// Space; a tick belongs to the row's key and follows it through sorts), sorts on a title click, opens the shared pop-up menu on a right-button release
// (or the menu key) and, for book grids, the detail window on a double click or Enter.
//
// A window wires it like this:
//   grid->setObjectName("Dbgbook");
//   GridColumns columns;
//   columns.addMark();                       // "选择"
//   columns.addField("SM", "书名", 220);
//   grid->setColumns(columns);               // none: one column per field of the list
//   grid->setDataSet(&dsBook);               // not owned
//   grid->setMarkedRows(&marked);            // not owned; handed to the pop-up as well
//   grid->setEditableField("SL", GridModel::wholeNumbers(0, 99999));   // optional
//   grid->setOpensDetail(true);
//   grid->setPopupOptions(0, 0);             // display-field mode, browse action
//
// Widths: no column opens narrower than its caption; a column without a width of its own, or
// one shown through "设置显示项", fits its caption and the rows on screen; a double click on a
// title's right edge fits that column; once rows are there, spare room goes to the short
// columns whose text is cut. While remembering is on (UserSettings), the layout the user makes
// (shown columns, their order, the widths the user set, the sort) is kept under the key
// "<window>/<grid>" and given back when a grid of that name opens again.
#include "grid/grid_columns.h"
#include "grid/grid_memory.h"
#include "grid/grid_model.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTableView>
#include <functional>

class QTimer;

class DataSet;
class MarkedRowList;
class PpMenu;

class DbGrid : public QTableView {
    Q_OBJECT
public:
    explicit DbGrid(QWidget *parent = nullptr);
    ~DbGrid() override;

    void setDataSet(DataSet *ds);
    DataSet *dataSet() const;
    GridModel *gridModel() const { return m_model; }

    // The window's own columns: what "恢复默认显示" returns to.
    void setColumns(const GridColumns &columns);
    const GridColumns &columns() const;
    // The user shows or hides a column ("设置显示项"); a column shown is fitted unless the
    // user gave it a width.
    void setColumnVisible(int column, bool visible);
    // The user's choice of columns as a whole (the display-field dialog in field mode).
    void setShownColumns(const GridColumns &columns);

    // "FrmBookTypeB/Dbgbook" once the grid was shown; empty when the window or the grid has
    // no name (nothing is remembered then).
    QString memoryKey() const { return m_memoryKey; }
    // The layout as it would be remembered now.
    GridState currentLayout() const;
    // Writes the layout if the user changed it since it was last written.
    void saveLayout();
    // "恢复默认显示": the window's own columns, widths and order in statement order; the
    // remembered layout is forgotten.
    void restoreDefaultLayout();
    // Width that shows the whole caption, and width that fits the caption and the rows shown.
    int captionWidth(int column) const;
    int fittedWidth(int column) const;
    // Fits the column as the user asked (a double click on the title's right edge).
    void fitColumn(int column);

    void setMarkedRows(MarkedRowList *marked);
    MarkedRowList *markedRows() const;
    // Repaints the marks after the marked-row list was changed from outside.
    void marksChanged();

    // What the pop-up menu is opened with: display-field mode (0 columns, 1 fields), the
    // browse action (0 opens the detail window, 1 shows the item only, -1 hides it) and
    // whether the grid's marked-row list goes with it (it offers "全选(&A)" then).
    void setPopupOptions(int displayFieldMode, int browseAction, bool withMarkedRows = true);
    int displayFieldMode() const { return m_displayFieldMode; }
    int browseAction() const { return m_browseAction; }
    // The menu to open (the program's shared one, given by the window's maker); without one
    // the grid opens no menu and opens no detail window.
    void setPopupMenu(PpMenu *menu);
    PpMenu *popupMenu() const;
    void openPopup(const QPoint &globalPos);
    // An item of the pop-up menu that only this grid offers, first in the menu: its caption
    // and what it does (the window catches its errors). An empty caption: none.
    void setOwnPopupItem(const QString &caption, std::function<void()> action)
    {
        m_ownItemCaption = caption;
        m_ownItem = std::move(action);
    }
    const QString &ownPopupItemCaption() const { return m_ownItemCaption; }
    void runOwnPopupItem() const
    {
        if (m_ownItem)
            m_ownItem();
    }

    // A double click or Enter opens the detail window on the list (book grids).
    void setOpensDetail(bool on) { m_opensDetail = on; }

    // The title lists' look: cells in the Song face at 12 pixels, titles a pixel smaller so
    // that "选择" fits its 28-pixel column (the order wizard's wider lists keep 12), rows as
    // high as the text needs.
    void useTitleListFonts(int titlePixelSize = 11);
    bool opensDetail() const { return m_opensDetail; }

    bool titleClick(int column);
    void clearSort();
    // Sets the list's sort and drops the title markers; a refused sort changes nothing and
    // rethrows its AppError.
    void applySortText(const QString &sortText);
    // Cells of field become editable (a key typed, F2, or a click on the current cell) and
    // take only what validator accepts; an empty field makes the grid read-only again.
    void setEditableField(const QString &field, GridModel::Validator validator);
    // Toggles the mark of row when the grid has a "选择" column and a marked-row list.
    bool toggleMark(int row);

signals:
    void markToggled(int row);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void syncColumns();
    void followCurrentRow();
    void openDetail();
    bool restoreLayout();
    void applyPendingSort();
    void noteSort();
    void userChangedLayout();
    void growIntoSpareRoom();
    void fitShownColumn(int column);
    bool hasUserWidth(int column) const;
    QString formName() const;
    QString columnSignature() const;

    GridModel *m_model;
    QPointer<PpMenu> m_popup;
    QMetaObject::Connection m_rowConnection;
    QList<QMetaObject::Connection> m_dataConnections;
    int m_displayFieldMode = 0;
    int m_browseAction = 0;
    bool m_popupWithMarks = true;
    QString m_ownItemCaption;
    std::function<void()> m_ownItem;
    bool m_opensDetail = false;
    bool m_syncing = false;

    GridColumns m_defaults;                  // the window's own columns
    QHash<QString, bool> m_defaultFieldShown; // automatic columns: the fields' own visibility
    QString m_memoryKey;
    QString m_restoredSignature;             // the column set the remembered layout was given to
    QSet<QString> m_userWidths;              // columns whose width the user set
    QString m_sort;                          // the list's sort as last seen
    bool m_sortMarked = false;
    QString m_pendingSort;                   // a remembered sort waiting for the list's rows
    bool m_pendingMarked = false;
    bool m_hasPendingSort = false;
    bool m_restoring = false;
    bool m_dirty = false;
    bool m_grown = false;
    QTimer *m_saveTimer = nullptr;
};
