#pragma once
// What every catalogue browse window shares, from the grid down: the book list with its marks,
// the grid Dbgbook, the detail pane under it with the pane strip, and the button bar
// (BtnShop "放入购物车", BtnExp "导出(&E)", any extra buttons, BtnClose "关闭(&C)").
// The window puts it where the titles go, chooses the columns and the export layout, opens
// the list with its own statement and wires BtnClose to its own close().
//
//   ┌──────────────────────────┐
//   │ optional top panel       │  setTopPanel(): above the grid, with an 8-pixel splitter
//   │ Dbgbook                  │
//   │ detail pane (Panel5)     │  hidden or shown with setPaneVisible()
//   ├──────────────────────────┤
//   │ pane strip ImgUp/ImgDown │
//   │      [放入购物车][导出][…][关闭] │  right-aligned; wraps onto more rows when narrow
//   └──────────────────────────┘
// The grid keeps room for a few rows at least, so a short window (tiled, say) shrinks the
// parts above it first.
#include "catalog/catalogue_export.h"
#include "data/dataset.h"
#include "grid/grid_columns.h"
#include "grid/marked_rows.h"

#include <QSqlDatabase>
#include <QVariantList>
#include <QWidget>

class ButtonFlowLayout;
class DbGrid;
class Prompter;
class QPushButton;
class QScrollArea;
class QSplitter;
class QVBoxLayout;
class TBookDetailPane;
class TToggleStrip;

class BookBrowseWidget : public QWidget {
    Q_OBJECT
public:
    BookBrowseWidget(Prompter &prompter, const QSqlDatabase &db, QWidget *parent = nullptr);
    ~BookBrowseWidget() override;

    // The book list (captions, formats and the NRJJ marker already set up) and its marks.
    DataSet &books() { return m_books; }
    MarkedRowList &marked() { return m_marked; }
    DbGrid *grid() const { return m_grid; }
    TBookDetailPane *pane() const { return m_pane; }
    TToggleStrip *paneStrip() const { return m_paneStrip; }
    QPushButton *shopButton() const { return m_shop; }
    QPushButton *exportButton() const { return m_export; }
    QPushButton *closeButton() const { return m_close; }

    void setColumns(const GridColumns &columns);
    void setLoadsPictures(bool on);
    void setExportLayout(CatalogueExport::Layout layout) { m_layout = layout; }
    // Whose cart placeSelection() fills (the desk's operator code).
    void setOperatorCode(const QString &code) { m_operatorCode = code; }
    // Shows or hides the pane and puts the strip's matching picture on top.
    void setPaneVisible(bool visible);
    bool paneVisible() const;

    // A further button in the bar, placed before BtnClose (in the order of the calls).
    QPushButton *addButton(const QString &objectName, const QString &caption);
    // Puts panel above the grid with an 8-pixel splitter between them; returns the splitter.
    QSplitter *setTopPanel(QWidget *panel);

    // Replaces the list: closes it, clears the marks, runs statement with the bound values.
    // A database error is told to the user and leaves the list closed (returns false).
    bool openBooks(const QString &statement, const QVariantList &values = {});
    // The same, telling nothing: returns the database's reason when it refuses the statement
    // (a window that words the failure itself), empty when the list opened.
    QString tryOpenBooks(const QString &statement, const QVariantList &values = {});
    void clearMarks();

    // Closes window together with the child-window frame it sits in, if any (closing only
    // the window would leave an empty frame in the main window).
    static void closeWindow(QWidget *window);

    // BtnShop: the marked titles into the cart; the marks go on success.
    bool placeSelection();
    // BtnExp: the list in the export layout; afterwards the last row is the current one.
    CatalogueExport::Outcome exportList();

private:
    // Closes the list, clears the marks and sets the statement for the next open().
    void replaceStatement(const QString &statement, const QVariantList &values);

    Prompter &m_prompter;
    QSqlDatabase m_db;
    DataSet m_books;
    MarkedRowList m_marked;
    CatalogueExport::Layout m_layout = CatalogueExport::Layout::A;
    QString m_operatorCode;

    QVBoxLayout *m_listLayout;
    ButtonFlowLayout *m_buttonBar;
    DbGrid *m_grid;
    TBookDetailPane *m_pane;
    QScrollArea *m_paneArea;
    TToggleStrip *m_paneStrip;
    QPushButton *m_shop;
    QPushButton *m_export;
    QPushButton *m_close;
};
