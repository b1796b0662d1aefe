#pragma once
// PpMenu: the one pop-up menu that every grid opens on the right button. The data module owns
// it; each opening stores its context (grid, display-field mode, marked-row list, browse
// action, owner window class) and shows only the items that apply.
//
// Windows that open other windows from it install hooks once: the detail window on a list
// (setDetailOpener) and the order quantity dialog on a grid (setQuantityOpener).
#include <QMenu>
#include <QPointer>
#include <functional>

class DataSet;
class DbGrid;
class MarkedRowList;
class Prompter;

class PpMenu : public QMenu {
    Q_OBJECT
public:
    using DetailOpener = std::function<void(DataSet &)>;
    using QuantityOpener = std::function<void(DbGrid &)>;
    using OwnerNameSource = std::function<QString()>;

    enum Item { Browse, OrderQuantity, RecordCount, DisplayFields, RestoreDefaults, SortSetup, CancelSort, MarkAll, Refresh };

    struct Context {
        QPointer<DbGrid> grid;
        int displayFieldMode = 0;
        MarkedRowList *marked = nullptr;   // owned by the window; none for some grids
        int browseAction = 0;
        QString ownerName;
    };

    explicit PpMenu(Prompter &prompter, QWidget *parent = nullptr);
    ~PpMenu() override;

    void setDetailOpener(DetailOpener opener) { m_detailOpener = std::move(opener); }
    void setQuantityOpener(QuantityOpener opener) { m_quantityOpener = std::move(opener); }
    // Where the owner name comes from (the program gives the class of the main window's
    // active child window); without a source the owner name is empty.
    void setOwnerNameSource(OwnerNameSource source) { m_ownerName = std::move(source); }

    // Stores the context and sets which items show; false (and nothing stored) when the
    // grid's list is not open. popupAt() does this and then shows the menu.
    bool prepare(DbGrid *grid, int displayFieldMode, MarkedRowList *marked, int browseAction);
    void popupAt(DbGrid *grid, int displayFieldMode, MarkedRowList *marked, int browseAction,
                 const QPoint &globalPos);
    const Context &context() const { return m_context; }
    QAction *action(Item item) const { return m_actions[item]; }
    // The item of the grid's own (DbGrid::setOwnPopupItem), hidden when the grid has none.
    QAction *ownItemAction() const { return m_ownItem; }

    // The items' actions on the stored context (the menu's actions call these).
    void browse();
    void orderQuantity();
    void recordCount();
    void displayFields();
    void restoreDefaults();
    void sortSetup();
    void cancelSort();
    void markAll();
    void refresh();

    // Opens the detail window on ds when it is open and a detail opener is installed; an error
    // of the window is shown, not passed on.
    void openDetail(DataSet &ds);

private:
    QAction *addItem(Item item, const QString &caption, void (PpMenu::*handler)());

    Prompter &m_prompter;
    QAction *m_actions[Refresh + 1] = {};
    QAction *m_ownItem = nullptr;
    QAction *m_ownItemSeparator = nullptr;
    QAction *m_quantitySeparator = nullptr;
    QAction *m_markAllSeparator = nullptr;
    Context m_context;
    QString m_previousOwner;
    DetailOpener m_detailOpener;
    QuantityOpener m_quantityOpener;
    OwnerNameSource m_ownerName;
};
