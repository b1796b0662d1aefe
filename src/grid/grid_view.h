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
#include "grid/grid_columns.h"
#include "grid/grid_model.h"

#include <QPointer>
#include <QTableView>

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

    void setColumns(const GridColumns &columns);
    const GridColumns &columns() const;
    void setColumnVisible(int column, bool visible);

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

    // A double click or Enter opens the detail window on the list (book grids).
    void setOpensDetail(bool on) { m_opensDetail = on; }
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
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void syncColumns();
    void followCurrentRow();
    void openDetail();
    int defaultWidth(int column) const;

    GridModel *m_model;
    QPointer<PpMenu> m_popup;
    QMetaObject::Connection m_rowConnection;
    int m_displayFieldMode = 0;
    int m_browseAction = 0;
    bool m_popupWithMarks = true;
    bool m_opensDetail = false;
    bool m_syncing = false;
};
