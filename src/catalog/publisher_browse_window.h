#pragma once
// The publisher browse (版别浏览): the publishers on the left, filtered by part of a code or a
// name; on the right the chosen publisher's categories as a field of clickable labels, the
// titles of the publisher or of one category in the grid, the detail pane, and buttons to put
// marked titles into the cart, export the list (layout B) and print it.
//
// Three ways to group a publisher's titles, picked in CbxType:
//   按专业分类浏览书目  debook_categories   titles whose ztmc is the category
//   按类别分类浏览书目  debook_categories2  titles whose ywbc is the category
//   按其他分类浏览书目  debookotype         titles linked to the classification in debook2type
#include "catalog/browse_setup.h"
#include "data/dataset.h"

#include <QList>
#include <QSqlDatabase>
#include <QWidget>

class BookBrowseWidget;
class Prompter;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSplitter;
class QTreeWidget;
class TToggleStrip;

namespace PublisherBrowse {
class LinkLabel;
}

class TFrmMagN : public QWidget {
    Q_OBJECT
public:
    static const QString ModeSpecialty;   // 按专业分类浏览书目
    static const QString ModeBusiness;    // 按类别分类浏览书目
    static const QString ModeOther;       // 按其他分类浏览书目

    // setup.showDetail: the detail pane at opening (ShowDetailYoN of section FrmMag).
    TFrmMagN(Prompter &prompter, const QSqlDatabase &db, const BrowseSetup &setup = {}, QWidget *parent = nullptr);
    ~TFrmMagN() override;

    // The window's own size, 848 × 612, which a child-window frame takes when it is restored.
    QSize sizeHint() const override { return {848, 612}; }

    BookBrowseWidget *browse() const { return m_browse; }
    bool hasPublisher() const { return m_hasPublisher; }
    QString publisherCode() const { return m_publisherCode; }
    QString publisherName() const { return m_publisherName; }
    QString mode() const { return m_mode; }
    // The caption of the last chosen category label.
    QString category() const { return m_category; }

    // Rebuilds the tree from the filter text (Enter in EdtPress); selects the first node.
    void loadPublishers();
    // Makes the tree's selected node the current publisher: its categories, all its titles.
    void choosePublisher();
    // Takes the mode from CbxType, rebuilds the category labels of the current publisher and
    // shows the titles of the last one.
    void changeMode();
    // All titles of the current publisher (LbPress).
    void showAllTitles();
    // The titles of one category of the current publisher in the current mode (a label with
    // its caption and its code).
    void showCategory(const QString &category, const QString &code = QString());

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLeft();
    QWidget *buildRight(Prompter &prompter, const QSqlDatabase &db);
    void rebuildCategories(bool showTitlesToo);
    void clearLabels();
    void placeLabels();
    void setTopHeight(int height);
    void setLabelsShown(bool shown);
    void markChosenLabel(PublisherBrowse::LinkLabel *chosen);
    void focusNeighbourLabel(PublisherBrowse::LinkLabel *from, int step);
    void showTitles(bool byCategory, const QString &category, const QString &code);
    bool openList(DataSet &list);
    void print();

    Prompter &m_prompter;
    QSqlDatabase m_db;
    bool m_showDetail = false;
    DataSet m_publishers;
    DataSet m_categories;

    bool m_hasPublisher = false;
    QString m_publisherCode;
    QString m_publisherName;
    QString m_mode;
    QString m_category;
    bool m_shownOnce = false;

    QWidget *m_panel1 = nullptr;
    QWidget *m_panel4 = nullptr;
    QLineEdit *m_filter = nullptr;
    QTreeWidget *m_tree = nullptr;
    QSplitter *m_splitter1 = nullptr;
    QSplitter *m_splitter2 = nullptr;
    TToggleStrip *m_navStrip = nullptr;
    QWidget *m_top = nullptr;
    QComboBox *m_modeBox = nullptr;
    PublisherBrowse::LinkLabel *m_pressLabel = nullptr;
    QLabel *m_count = nullptr;
    QScrollArea *m_typeArea = nullptr;
    QWidget *m_typeField = nullptr;
    QList<PublisherBrowse::LinkLabel *> m_labels;
    BookBrowseWidget *m_browse = nullptr;
    QPushButton *m_print = nullptr;
};
