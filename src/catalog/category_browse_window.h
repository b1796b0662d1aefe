#pragma once
// The category browse "分类浏览": the business categories of the whole catalogue in a tree on
// the left (Panel1: header Panel4, tree Tvpress), and on the right the titles of the chosen
// category in ZBH order, with the detail pane (hidden at opening), the cart and export buttons.
// A strip at the left edge of the right area hides and shows the category panel.
#include "catalog/browse_setup.h"
#include "data/dataset.h"

#include <QSqlDatabase>
#include <QWidget>

class BookBrowseWidget;
class Prompter;
class QLabel;
class QSplitter;
class QTreeWidget;
class TToggleStrip;

class TFrmbookTypeB : public QWidget {
    Q_OBJECT
public:
    TFrmbookTypeB(Prompter &prompter, const QSqlDatabase &db, const BrowseSetup &setup = {},
                  QWidget *parent = nullptr);
    ~TFrmbookTypeB() override;

    BookBrowseWidget *browse() const { return m_browse; }
    QTreeWidget *tree() const { return m_tree; }

    // Reads the category list into the tree (done once, when the window is first shown).
    void loadCategories();
    // Loads the titles of the selected node's category and clears the marks; nothing happens
    // without a selected node. Returns whether a list was opened.
    bool chooseCategory();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Prompter &m_prompter;
    DataSet m_categories;
    bool m_shown = false;

    QWidget *m_panel1;
    QLabel *m_panel4;
    QTreeWidget *m_tree;
    QSplitter *m_splitter;
    TToggleStrip *m_navStrip;
    BookBrowseWidget *m_browse;
};
